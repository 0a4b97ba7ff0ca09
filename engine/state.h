// Program-wide state of the rename engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// Full paths of every file of the chosen directory, sorted ignoring the
// case of A-Z; filled only by a full rebuild.
extern std::vector<std::string> DateiListe;
// The running number of the placeholder "%NR%"; wraps like a 32-bit integer.
extern int32_t LaufendeNummer;
// Set by the rename action, cleared by the next full rebuild.
extern int RenameErfolgt;
// Full path of the undo script of the latest rename action.
extern std::string UndoDatei;

}  // namespace engine
