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

int melden(const engine::BatchErgebnis& r, const std::string& datei, const char* unlesbar) {
    if (!r.gestartet) {
        std::cerr << unlesbar << datei << "\n";
        return 1;
    }
    if (r.fehler.empty()) {
        std::cout << engine::text::AllesZurueck << "\n";
        return 0;
    }
    std::cerr << engine::text::FehlerKopf;
    for (const std::string& f : r.fehler) std::cerr << "  " << f << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string erstes = argc > 1 ? argv[1] : "";
    if (erstes == "--help" || erstes == "-h") {
        std::cout << engine::text::AufrufHilfe;
        return 0;
    }
    if (erstes == "--log" && argc <= 3) {
        const std::string log = argc == 3 ? std::string(argv[2])
                                          : support::yGetTempDirectory() + engine::text::LogName;
        return melden(engine::undoFromLog(log), log, engine::text::LogNichtLesbar);
    }
    if (argc < 2 || argc > 3 || erstes.rfind("--", 0) == 0) {
        std::cerr << engine::text::AufrufHilfe;
        return 2;
    }
    return melden(engine::yRunBatch(erstes, argc == 3 ? argv[2] : ""), erstes,
                  engine::text::SkriptNichtLesbar);
}
