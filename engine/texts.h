// Texts of the rename engine that the user sees, written exactly.
#pragma once

#include "support/texts.h"

namespace engine::text {

constexpr const char* Produkt = support::texts::Produkt;

// File table.
constexpr const char* VerzeichnisLabel = "Aktuelles Verzeichnis: ";
constexpr const char* LesenDateien = "ermittel Dateien   =";
constexpr const char* LesenVerzeichnisse = "ermittel Verzeich. =";

// Input check: "Position " n " = " c "\r in " text "\r ist ein ungültiges Zeichen !"
constexpr const char* PruefPosition = "Position ";
constexpr const char* PruefGleich = " = ";
constexpr const char* PruefIn = "\r in ";
constexpr const char* PruefUngueltig = "\r ist ein ungültiges Zeichen !";

}  // namespace engine::text
