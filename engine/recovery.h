// The undo log as a list of actions: what each action did and whether it
// was taken back, taking back the newest open one after the program died,
// and the lines that say how an action ended.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/batch.h"
#include "platform/files.h"

namespace engine {

// "REM .Ende.:" + script (batchEscape'd) + CR LF: the rename action writes
// it right after its last line when it finishes normally.
std::string actionEndLine(const std::string& script);
// Appends "REM .Rückgängig.:" + script (batchEscape'd) to the log: the
// action of that script was taken back completely. False when the log is
// missing, held by another run or cannot be written.
bool recordTakenBack(const std::string& logPath, const std::string& script);

// One action of the log, from its "REM .Datei.:" line on. Only the
// program's own lines count (see recovery.cpp).
struct LogAction {
    std::string script;          // its undo script's path
    bool timeKnown = false;      // the script's name holds the time
    platform::LocalTime time;    // when the action started
    std::string folder;          // of its cd line; "" when it has none
    std::size_t files = 0;       // its rename lines
    bool ended = false;          // its "REM .Ende." line is in the log
    bool takenBack = false;      // a "REM .Rückgängig." line names it
};
// The actions of a log's text, oldest first.
std::vector<LogAction> logActions(const std::string& logText);
// The same for a log file (a private file of this user; of a very long
// log only its end); false when it cannot be read.
bool readLogActions(const std::string& logPath, std::vector<LogAction>& out);
// One line per action, oldest first, as quonabix-undo --log --list prints
// them: time, folder, number of files, and how it stands.
std::string actionList(const std::vector<LogAction>& actions);

// The undo script of the action that undoFromLog takes back (the newest
// with rename lines that was not taken back): its folder lines, then its
// rename-back lines from the last to the first. Lines not of the program
// and a crash tail (zero bytes, a last line without its line end) are left out.
std::string logUndoScript(const std::string& logText);

struct LogUndoResult : BatchResult {
    bool busy = false;    // another run holds the log: nothing was done
    std::string script;   // the action taken back; "" when none was open
};
// Holds the log, takes back that action in its folder and, when every
// line succeeded, records it as taken back. A rename the program may have
// been in the middle of is finished first (recovery.cpp). Failures name
// the lines of the log ("Zeile n: ...").
LogUndoResult undoFromLog(const std::string& logPath);

}  // namespace engine
