// The rename a crash may have interrupted: the last rename line of an
// action of the undo log that has no end line (engine/recovery.cpp).
#pragma once

#include <string>

namespace engine {

enum class Interrupted {
    RunLine,    // nothing to finish: the line runs as it is
    Finished,   // finished here (or it never started): the line is left out
    Failed,     // a step of finishing it failed: the line is left out, and reported
};
// For the line `ren "newName" "oldName"` in dir (ending with the separator),
// whose rename renamed oldName to newName; `reservations`: its action may
// have reserved newName (its log said so).
Interrupted finishInterruptedRename(const std::string& dir, const std::string& newName,
                                    const std::string& oldName, bool reservations);

}  // namespace engine
