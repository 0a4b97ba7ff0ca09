// quonabix-undo: takes back renames of Quonabix by hand.
//   quonabix-undo SCRIPT [DIR]     runs an undo script as the program does
//                                  for "Rückgängig (l.ren)"
//   quonabix-undo --log [LOGFILE]  takes back the newest action of the undo
//                                  log, as after a crash of the program
// Prints every line that failed; exit code 0 only when every line was
// carried out, 1 when a line failed or the file could not be read, 2 on a
// wrong call.
#include <iostream>
#include <string>

#include "engine/batch.h"
#include "engine/recovery.h"
#include "engine/texts.h"
#include "support/environment.h"

namespace {

int report(const engine::BatchResult& r, const std::string& path, const char* unreadable) {
    if (!r.started) {
        std::cerr << unreadable << path << "\n";
        return 1;
    }
    if (r.failures.empty()) {
        std::cout << engine::text::AllUndone << "\n";
        return 0;
    }
    std::cerr << engine::text::FailedLinesHead;
    for (const std::string& f : r.failures) std::cerr << "  " << f << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::cout << engine::text::Usage;
        return 0;
    }
    if (first == "--log" && argc <= 3) {
        const std::string log = argc == 3 ? std::string(argv[2])
                                          : support::yGetTempDirectory() + engine::text::LogName;
        return report(engine::undoFromLog(log), log, engine::text::LogNotReadable);
    }
    if (argc < 2 || argc > 3 || first.rfind("--", 0) == 0) {
        std::cerr << engine::text::Usage;
        return 2;
    }
    return report(engine::runBatchScript(first, argc == 3 ? argv[2] : ""), first,
                  engine::text::ScriptNotReadable);
}
