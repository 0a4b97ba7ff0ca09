// Directory scan and the order of the file list.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
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
bool sortsBefore(const std::string& a, const std::string& b, std::size_t from) {
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

uint64_t keyOf(const std::string& entry, std::size_t from) {
    uint64_t key = 0;
    for (std::size_t i = from; i < from + 8; ++i) key = key << 8 | (i < entry.size() ? folded(entry[i]) : 0);
    return key;
}

// Puts entry keys[k].index at place k, moving each entry once, cycle by cycle.
void placeInOrder(std::vector<std::string>& list, std::vector<SortKey>& keys) {
    constexpr uint32_t Placed = UINT32_MAX;
    for (std::size_t start = 0; start < keys.size(); ++start) {
        if (keys[start].index == Placed || keys[start].index == start) continue;
        std::string first = std::move(list[start]);
        std::size_t at = start;
        for (;;) {
            letWindowRepaint();
            const uint32_t from = keys[at].index;
            keys[at].index = Placed;
            if (from == start) {
                list[at] = std::move(first);
                break;
            }
            list[at] = std::move(list[from]);
            at = from;
        }
    }
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
    // A new list of one folder is written over the old list's texts: a
    // million names freed and made again cost time, and the memory of so
    // many freed names is gathered up in one go by the next larger request
    // (the listing's own buffer), which held the window's repaints up. What
    // is left of the old list goes entry by entry at the end.
    const bool descend = recursion == 1 || recursion == -1;
    std::size_t reused = 0;
    const std::size_t reusable = count == 0 && !descend ? list.size() : 0;
    const auto dropRest = [&list](std::size_t keep) {
        while (list.size() > keep) {
            letWindowRepaint();
            list.pop_back();
        }
    };
    if (count == 0 && descend) dropRest(0);
    if (mask.empty()) mask.assign(1, '*');
    const int handle = directory.empty() ? 0 : platform::openDirList(directory);
    if (handle == 0) {
        if (count == 0) dropRest(0);
        return count;
    }

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
                if (reused < reusable) {
                    std::string& entry = list[reused++];
                    entry.assign(prefix);
                    entry += name;
                } else {
                    list.push_back(prefix + name);
                    ++reused;
                }
            }
        } else if (descend && !isDotEntry(name)) {
            count = yReadDir(prefix + name, mask, 1, list, count, progress);
        } else if (folders && !descend && !isDotEntry(name)) {
            folders->push_back(name);
        }
    }
    platform::closeDirList(handle);
    if (reusable > 0) dropRest(reused);
    return count;
}

void sortFileList(std::vector<std::string>& list) {
    if (list.empty()) return;
    // The bytes every entry starts with decide nothing; on a folder of
    // 100,000 files skipping them makes the sort several times faster.
    std::size_t common = list.front().size();
    for (const std::string& e : list) {
        if (e.size() >= common && std::memcmp(e.data(), list.front().data(), common) == 0) continue;
        std::size_t i = 0;
        while (i < common && i < e.size() && e[i] == list.front()[i]) ++i;
        common = i;
    }
    // Most comparisons are decided by the next eight bytes, folded: held as
    // one number beside each entry's index, they spare the sort a visit to
    // the names (a name ends with zeros there, so a shorter one comes
    // first, as in sortsBefore). Equal numbers leave the order to the names.
    std::vector<SortKey> keys(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        letWindowRepaint();
        keys[i] = {keyOf(list[i], common), static_cast<uint32_t>(i)};
    }
    std::sort(keys.begin(), keys.end(), [&list, common](const SortKey& a, const SortKey& b) {
        letWindowRepaint();
        if (a.key != b.key) return a.key < b.key;
        return sortsBefore(list[a.index], list[b.index], common);
    });
    placeInOrder(list, keys);
}

}  // namespace engine
