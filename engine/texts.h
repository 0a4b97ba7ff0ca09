// Texts of the rename engine that the user sees, written exactly.
#pragma once

#include "support/texts.h"

namespace engine::text {

constexpr const char* Produkt = support::texts::Produkt;

// File table.
constexpr const char* VerzeichnisLabel = "Aktuelles Verzeichnis: ";
constexpr const char* LesenDateien = "ermittel Dateien   =";
constexpr const char* LesenVerzeichnisse = "ermittel Verzeich. =";

// Why a row's "Neuer Name" is marked: what "Rename" would report as
// "Fehler". "Name kommt mehrfach vor (Zeilen " a " und " b ")".
constexpr const char* VorschauVorhanden = "Name schon vorhanden: ";
constexpr const char* VorschauMehrfach = "Name kommt mehrfach vor (Zeilen ";
constexpr const char* VorschauUnd = " und ";
constexpr const char* VorschauMehrfachEnde = ")";
constexpr const char* VorschauUngueltig = "Ungültiger Name";
constexpr const char* VorschauFehlt = "Datei nicht mehr vorhanden";

// Input check: "Position " n " = " c "\r in " text "\r ist ein ungültiges Zeichen !"
constexpr const char* PruefPosition = "Position ";
constexpr const char* PruefGleich = " = ";
constexpr const char* PruefIn = "\r in ";
constexpr const char* PruefUngueltig = "\r ist ein ungültiges Zeichen !";

}  // namespace engine::text
