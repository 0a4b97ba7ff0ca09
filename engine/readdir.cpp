// Directory scan and the order of the file list.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/readdir.h"

#include "engine/match.h"
#include "engine/repaint.h"
#include "engine/texts.h"
#include "platform/files.h"
#include "platform/process.h"
#include "support/infobox.h"
#include "support/text.h"

namespace engine {
namespace {

// Progress 0 and above would name a status line; this program has none, so
// only the debugging output of -2 is ever visible.
void reportProgress(int progress, bool ofFolders, int count) {
    if (progress != -2 || count <= 0 || count % 1000 != 0) return;
    platform::writeStdout(std::string(ofFolders ? text::ReadingFolders : text::ReadingFiles) +
                          std::to_string(count) + "\n");
}

bool matches(const std::string& mask, const std::string& name) {
    return mask == "*.*" || mask == "*" || yMatchPattern(mask, name, 1) == 1;
}

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

unsigned char folded(char c) { return static_cast<unsigned char>(support::foldAZ(c)); }

// Ascending after folding A-Z to a-z. Names that differ only in the case of
// A-Z can both exist on Linux; their raw bytes decide, so the order never
// depends on the listing. Comparing starts at `from`, behind the folder that
// every entry shares.
bool sortsBefore(std::string_view a, std::string_view b, std::size_t from) {
    const std::size_t n = std::min(a.size(), b.size());
    int raw = 0;
    for (std::size_t i = from;; ++i) {
        while (i < n && a[i] == b[i]) ++i;
        if (i == n) break;
        const unsigned char x = folded(a[i]), y = folded(b[i]);
        if (x != y) return x < y;
        if (raw == 0) raw = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return raw < 0;
}

struct SortKey {
    uint64_t key;
    uint32_t index;
};

uint64_t keyOf(std::string_view entry, std::size_t from) {
    uint64_t key = 0;
    for (std::size_t i = from; i < from + 8; ++i) key = key << 8 | (i < entry.size() ? folded(entry[i]) : 0);
    return key;
}

}  // namespace

// Recursion 0: files of this directory; 1: files of every level; -1: the
// directories of every level (files are skipped). Anything that is not a
// directory counts as a file, symbolic links included, so no entry of the
// folder is silently left out and no link is ever descended.
int yReadDir(const std::string& directory, std::string mask, int recursion,
             std::vector<std::string>& list, int count, int progress,
             std::vector<std::string>* folders) {
    const support::PgmTrace trace("yReadDir");
    if (count < 0) count = 0;
    if (count == 0) list.clear();
    if (recursion != 1 && recursion != -1) {
        // The files of this folder, as the file table reads them.
        FileList files;
        count = yReadDir(directory, mask, 0, files, count, progress, folders);
        for (std::size_t i = 0; i < files.size(); ++i) list.push_back(files[i]);
        return count;
    }
    if (mask.empty()) mask.assign(1, '*');
    const int handle = directory.empty() ? 0 : platform::openDirList(directory);
    if (handle == 0) return count;

    const std::string prefix = support::withTrailingSlash(directory);
    std::string name;
    platform::EntryKind kind;
    while (platform::nextDirEntry(handle, name, kind)) {
        letWindowRepaint();
        const bool isFolder = kind == platform::EntryKind::Directory;
        if (recursion == -1) {
            if (!isFolder) continue;
            reportProgress(progress, true, count);
            if (isDotEntry(name)) continue;
            if (matches(mask, name)) {
                ++count;
                list.push_back(prefix + name);
            }
            count = yReadDir(prefix + name, mask, -1, list, count, progress);
        } else if (!isFolder) {
            reportProgress(progress, false, count);
            if (matches(mask, name)) {
                ++count;
                list.push_back(prefix + name);
            }
        } else if (!isDotEntry(name)) {
            count = yReadDir(prefix + name, mask, 1, list, count, progress);
        }
    }
    platform::closeDirList(handle);
    return count;
}

// The table's listing: the files of one folder, the names behind it.
int yReadDir(const std::string& directory, std::string mask, int recursion, FileList& list, int count,
             int progress, std::vector<std::string>* folders) {
    const support::PgmTrace trace("yReadDir");
    if (count < 0) count = 0;
    if (recursion == 1 || recursion == -1) {
        if (count == 0) list.clear();
        std::vector<std::string> paths;
        count = yReadDir(directory, mask, recursion, paths, count, progress);
        for (const std::string& p : paths) list.push_back(p);
        return count;
    }
    if (mask.empty()) mask.assign(1, '*');
    const std::string prefix = support::withTrailingSlash(directory);
    if (count == 0) list.startListing(prefix);
    const int handle = directory.empty() ? 0 : platform::openDirList(directory);
    if (handle == 0) return count;
    // A list begun for another folder takes whole paths.
    const bool namesOnly = list.folder() == prefix;
    std::string name;
    platform::EntryKind kind;
    while (platform::nextDirEntry(handle, name, kind)) {
        letWindowRepaint();
        if (kind != platform::EntryKind::Directory) {
            reportProgress(progress, false, count);
            if (matches(mask, name)) {
                ++count;
                if (namesOnly) list.addName(name);
                else list.push_back(prefix + name);
            }
        } else if (folders && !isDotEntry(name)) {
            folders->push_back(name);
        }
    }
    platform::closeDirList(handle);
    return count;
}

void sortFileList(FileList& list) {
    if (list.empty()) return;
    // The bytes every name starts with decide nothing; on a folder of
    // 100,000 files skipping them makes the sort several times faster.
    const std::string_view first = list.name(0);
    std::size_t common = first.size();
    for (std::size_t k = 0; k < list.size(); ++k) {
        const std::string_view e = list.name(k);
        if (e.size() >= common && std::memcmp(e.data(), first.data(), common) == 0) continue;
        std::size_t i = 0;
        while (i < common && i < e.size() && e[i] == first[i]) ++i;
        common = i;
    }
    // Most comparisons are decided by the next eight bytes, folded: held as
    // one number beside each entry's index, they spare the sort a visit to
    // the names (a name ends with zeros there, so a shorter one comes
    // first, as in sortsBefore). Equal numbers leave the order to the names.
    std::vector<SortKey> keys(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        letWindowRepaint();
        keys[i] = {keyOf(list.name(i), common), static_cast<uint32_t>(i)};
    }
    std::sort(keys.begin(), keys.end(), [&list, common](const SortKey& a, const SortKey& b) {
        letWindowRepaint();
        if (a.key != b.key) return a.key < b.key;
        return sortsBefore(list.name(a.index), list.name(b.index), common);
    });
    std::vector<uint32_t> order(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) order[k] = keys[k].index;
    std::vector<SortKey>().swap(keys);
    list.reorder(order);
}

// Paths of any folders: the same order as the table's, over the whole paths.
void sortFileList(std::vector<std::string>& list) {
    FileList sorted;
    for (const std::string& p : list) sorted.addName(p);
    sortFileList(sorted);
    for (std::size_t i = 0; i < list.size(); ++i) list[i] = sorted[i];
}

}  // namespace engine
