// quonabix-undo: takes back renames of Quonabix by hand.
//   quonabix-undo SCRIPT [DIR]     runs an undo script as the program does
//                                  for "Rückgängig (l.ren)"
//   quonabix-undo --log [LOGFILE]  takes back the newest open action of the
//                                  undo log, as after a crash of the program;
//                                  run again, the one before
//   quonabix-undo --log --list [LOGFILE]
//                                  lists the actions of the undo log
// Prints every line that failed; exit code 0 only when every line was
// carried out, 1 when a line failed or the file could not be read (or the
// log is held by a running program), 2 on a wrong call.
#include <string>
#include <vector>

#include "engine/batch.h"
#include "engine/recovery.h"
#include "engine/texts.h"
#include "platform/process.h"
#include "support/environment.h"

namespace {

int report(const engine::BatchResult& r, const std::string& path, const char* unreadable) {
    if (!r.started) {
        platform::writeStderr(unreadable + path + "\n");
        return 1;
    }
    if (r.failures.empty()) {
        platform::writeStdout(std::string(engine::text::AllUndone) + "\n");
        return 0;
    }
    platform::writeStderr(engine::text::FailedLinesHead);
    for (const std::string& f : r.failures) platform::writeStderr("  " + f + "\n");
    return 1;
}

int list(const std::string& log) {
    std::vector<engine::LogAction> actions;
    if (!engine::readLogActions(log, actions)) {
        platform::writeStderr(engine::text::LogNotReadable + log + "\n");
        return 1;
    }
    platform::writeStdout(engine::actionList(actions));
    return 0;
}

int undoLog(const std::string& log) {
    const engine::LogUndoResult r = engine::undoFromLog(log);
    if (r.busy) {
        platform::writeStderr(engine::text::LogInUse + log + "\n");
        return 1;
    }
    return report(r, log, engine::text::LogNotReadable);
}

std::string defaultLog() { return support::yGetTempDirectory() + engine::text::LogName; }

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = platform::commandArguments(argc, argv);
    const std::size_t count = args.size();
    const std::string first = count > 1 ? args[1] : "";
    if (first == "--help" || first == "-h") {
        platform::writeStdout(engine::text::Usage);
        return 0;
    }
    const bool listing = first == "--log" && count >= 3 && args[2] == "--list";
    if (listing && count <= 4) return list(count == 4 ? args[3] : defaultLog());
    if (first == "--log" && !listing && count <= 3) return undoLog(count == 3 ? args[2] : defaultLog());
    if (count < 2 || count > 3 || first.rfind("--", 0) == 0) {
        platform::writeStderr(engine::text::Usage);
        return 2;
    }
    return report(engine::runBatchScript(first, count == 3 ? args[2] : ""), first,
                  engine::text::ScriptNotReadable);
}
