// The program's list of files (see filelist.h).
#include "engine/filelist.h"

#include <stdexcept>

#include "platform/files.h"

namespace engine {

std::string_view FileList::fileName(std::size_t i) const {
    const std::string_view n = name(i);
    if (!folder_.empty()) return n;
    std::size_t start = n.size();
    while (start > 0 && !platform::isSeparator(n[start - 1])) --start;
    return n.substr(start);
}

void FileList::clear() {
    folder_.clear();
    std::string().swap(names_);
    std::vector<Entry>().swap(entries_);
}

// The names of the last listing tell how much room the next one takes.
void FileList::startListing(const std::string& folder) {
    const std::size_t bytes = names_.size(), count = entries_.size();
    clear();
    folder_ = folder;
    names_.reserve(bytes + bytes / 16);
    entries_.reserve(count + count / 16);
}

void FileList::addName(std::string_view name) {
    if (names_.size() + name.size() > UINT32_MAX) throw std::length_error("file list above 4 GiB");
    entries_.push_back({static_cast<uint32_t>(names_.size()), static_cast<uint32_t>(name.size())});
    names_.append(name);
}

void FileList::push_back(const std::string& path) {
    if (folder_.empty()) return addName(path);
    if (path.size() > folder_.size() && path.compare(0, folder_.size(), folder_) == 0 &&
        platform::lastSeparator(path) == folder_.size() - 1)
        return addName(std::string_view(path).substr(folder_.size()));
    // Another folder: every name takes its folder along from now on.
    FileList whole;
    for (std::size_t i = 0; i < size(); ++i) whole.addName((*this)[i]);
    whole.addName(path);
    *this = std::move(whole);
}

FileList& FileList::operator=(std::initializer_list<std::string> paths) {
    clear();
    for (const std::string& p : paths) push_back(p);
    return *this;
}

void FileList::reorder(const std::vector<uint32_t>& order) {
    std::vector<Entry> placed;
    placed.reserve(order.size());
    for (const uint32_t i : order) placed.push_back(entries_[i]);
    entries_.swap(placed);
}

}  // namespace engine
