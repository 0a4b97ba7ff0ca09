// The program's list of files (DateiListe).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Full paths, held as the folder they share and the names behind it, the
// names one after the other in one block: a folder of a million files
// takes about 22 bytes a file, where a string of its own for every path
// took more than 80. A path that does not lie directly in the list's
// folder makes the folder part of every name instead.
class FileList {
public:
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // The full path of entry i, and its name alone (behind the folder).
    std::string operator[](std::size_t i) const { return folder_ + std::string(name(i)); }
    std::string front() const { return (*this)[0]; }
    std::string_view name(std::size_t i) const {
        return std::string_view(names_).substr(entries_[i].at, entries_[i].size);
    }
    // The file name of entry i: its name, or where the names hold their
    // folders (a list of paths), the part behind the last separator.
    std::string_view fileName(std::size_t i) const;
    // The text every path starts with: "" or ending with a separator.
    const std::string& folder() const { return folder_; }

    void clear();
    // A new listing of `folder` (ending with its separator).
    void startListing(const std::string& folder);
    void addName(std::string_view name);
    void push_back(const std::string& path);
    FileList& operator=(std::initializer_list<std::string> paths);
    // Entry order[k] becomes entry k.
    void reorder(const std::vector<uint32_t>& order);

    class Iterator {
    public:
        Iterator(const FileList& list, std::size_t i) : list_(&list), i_(i) {}
        std::string operator*() const { return (*list_)[i_]; }
        Iterator& operator++() { ++i_; return *this; }
        bool operator!=(const Iterator& o) const { return i_ != o.i_; }
    private:
        const FileList* list_;
        std::size_t i_;
    };
    Iterator begin() const { return {*this, 0}; }
    Iterator end() const { return {*this, size()}; }

private:
    struct Entry {
        uint32_t at;
        uint32_t size;
    };
    std::string folder_;
    std::string names_;
    std::vector<Entry> entries_;
};

}  // namespace engine
