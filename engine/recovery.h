// Taking back the newest action of the undo log, after the program died
// before its undo script was written or could be run.
#pragma once

#include <string>

#include "engine/batch.h"

namespace engine {

// The undo script of the newest action in a log's text: its rename-back
// lines from the last to the first, each after the drive and cd lines it
// followed. A crash tail (zero bytes, a last line without its line end)
// is left out.
std::string logUndoScript(const std::string& logText);

// Reads the log (a private file of this user; of a very long log only its
// end) and runs that script. The last line of a crashed action may belong
// to a rename that never started: when its file is still at its old name
// and nothing has the new one, it is left out rather than reported.
BatchResult undoFromLog(const std::string& logPath);

}  // namespace engine
