// Directory scan and the order of the file list.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/readdir.h"

#include "engine/match.h"
#include "engine/texts.h"
#include "platform/files.h"
#include "platform/process.h"
#include "support/infobox.h"
#include "support/text.h"

namespace engine {
namespace {

// Progress 0 and above would name a status line; this program has none, so
// only the debugging output of -2 is ever visible.
void meldeFortschritt(int progress, bool verzeichnisse, int count) {
    if (progress != -2 || count <= 0 || count % 1000 != 0) return;
    platform::writeStdout(std::string(verzeichnisse ? text::LesenVerzeichnisse : text::LesenDateien) +
                          std::to_string(count) + "\n");
}

bool passt(const std::string& mask, const std::string& name) {
    return mask == "*.*" || mask == "*" || yMatchPattern(mask, name, 1) == 1;
}

bool istPunktEintrag(const std::string& name) { return name == "." || name == ".."; }

unsigned char klein(char c) { return static_cast<unsigned char>(support::yFoldAZ(c)); }

// Ascending after folding A-Z to a-z. Names that differ only in the case of
// A-Z can both exist on Linux; their raw bytes decide, so the order never
// depends on the listing. Comparing starts at `ab`, behind the folder that
// every entry shares.
bool vorher(const std::string& a, const std::string& b, std::size_t ab) {
    const std::size_t n = std::min(a.size(), b.size());
    int roh = 0;
    for (std::size_t i = ab;; ++i) {
        while (i < n && a[i] == b[i]) ++i;
        if (i == n) break;
        const unsigned char x = klein(a[i]), y = klein(b[i]);
        if (x != y) return x < y;
        if (roh == 0) roh = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return roh < 0;
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
    if (mask.empty()) mask = "*";
    const bool absteigen = recursion == 1 || recursion == -1;
    if (directory.empty()) return count;
    const int handle = platform::openDirList(directory);
    if (handle == 0) return count;

    const std::string prefix = support::withTrailingSlash(directory);
    std::string name;
    platform::EntryKind kind;
    while (platform::nextDirEntry(handle, name, kind)) {
        const bool istVerzeichnis = kind == platform::EntryKind::Directory;
        if (recursion == -1) {
            if (!istVerzeichnis) continue;
            meldeFortschritt(progress, true, count);
            if (istPunktEintrag(name)) continue;
            if (passt(mask, name)) {
                ++count;
                list.push_back(prefix + name);
            }
            count = yReadDir(prefix + name, mask, -1, list, count, progress);
        } else if (!istVerzeichnis) {
            meldeFortschritt(progress, false, count);
            if (passt(mask, name)) {
                ++count;
                list.push_back(prefix + name);
            }
        } else if (absteigen && !istPunktEintrag(name)) {
            count = yReadDir(prefix + name, mask, 1, list, count, progress);
        } else if (folders && !absteigen && !istPunktEintrag(name)) {
            folders->push_back(name);
        }
    }
    platform::closeDirList(handle);
    return count;
}

void ySortFileList(std::vector<std::string>& list) {
    if (list.empty()) return;
    // The bytes every entry starts with decide nothing; on a folder of
    // 100,000 files skipping them makes the sort several times faster.
    std::size_t gemeinsam = list.front().size();
    for (const std::string& e : list) {
        if (e.size() >= gemeinsam && std::memcmp(e.data(), list.front().data(), gemeinsam) == 0) continue;
        std::size_t i = 0;
        while (i < gemeinsam && i < e.size() && e[i] == list.front()[i]) ++i;
        gemeinsam = i;
    }
    std::sort(list.begin(), list.end(),
              [gemeinsam](const std::string& a, const std::string& b) { return vorher(a, b, gemeinsam); });
}

}  // namespace engine
