// quonabix-undo <script> [workdir]: runs an undo script of Quonabix by
// hand, as the program does for "Rückgängig". Prints every line that
// failed; exit code 0 when every line was carried out, else 1.
#include <iostream>
#include <string>

#include "engine/batch.h"
#include "engine/renametexts.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << engine::rtext::AufrufHilfe;
        return 1;
    }
    const std::string skript = argv[1];
    const std::string verzeichnis = argc == 3 ? argv[2] : "";
    const engine::BatchErgebnis r = engine::yRunBatch(skript, verzeichnis);
    if (!r.gestartet) {
        std::cerr << engine::rtext::SkriptNichtLesbar << skript << "\n";
        return 1;
    }
    if (r.fehler.empty()) {
        std::cout << engine::rtext::AllesZurueck << "\n";
        return 0;
    }
    std::cerr << engine::rtext::FehlerKopf;
    for (const std::string& f : r.fehler) std::cerr << "  " << f << "\n";
    return 1;
}
