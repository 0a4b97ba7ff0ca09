// Program-wide state of the rename engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/filelist.h"
#include "platform/files.h"

namespace engine {

// Full paths of every file of the chosen directory, sorted ignoring the
// case of A-Z; filled only by a full rebuild.
extern FileList DateiListe;
// The running number of the placeholder "%NR%"; wraps like a 32-bit integer.
extern int32_t LaufendeNummer;
// Set by the rename action, cleared by the next full rebuild.
extern int RenameErfolgt;
// Full path of the undo script of the latest rename action.
extern std::string UndoDatei;

// The directory the last full rebuild listed, and which directory that
// was: the rename action renames only in that same directory, not in one
// that was put in its place (or behind a link of its name) since.
struct ListedFolder {
    std::string path;
    platform::FileIdentity identity;
    bool known = false;
};
extern ListedFolder listedFolder;

}  // namespace engine
