// Texts of the application shell that the user sees, written exactly.
#pragma once

#include "support/texts.h"

namespace app::text {

constexpr const char* Produkt = support::texts::Produkt;
constexpr const char* FensterBeimOeffnen = "Quonabix - Dateien umbenennen";
constexpr const char* MenueDatei = "&Datei";
constexpr const char* MenueQuit = "&Quit";
constexpr const char* MenueInfoTitel = "&Info";
constexpr const char* MenueInfo = "&Info";
constexpr const char* VerzeichnisLeer = "Aktuelles Verzeichnis:";
constexpr const char* TippTitel = "Platzhalter";
constexpr const char* TippMuster =
    "%nr%=Nummerierung, %dateinamen%=DateinamenKomplett,%datei%=DateinamenOhneErweiterung, "
    "%erw%=Erweiterung, %dc%=Datum-Erstellt, %da%=Datum-Letzter Zugriff, %dm%=Datum-Geändert, "
    "%tc%=Zeit-Erstellt, %ta%=Zeit-Letzter Zugriff, %tm%=Zeit-Geändert";
constexpr const char* TippReihenfolge =
    "%1%=1.Teil nach Trennung durch Trennzeichen, %2%=wie vor usw.,%erw%=Erweiterung";
constexpr const char* StartLogDatei = "lauf.txt";
constexpr const char* StartLogMaske = "%yyyy-%mm-%dd-%hh:%ii:%ss";
constexpr const char* EinstellungsDatei = "Quonabix.ini";
constexpr const char* Abschnitt = "Standard";
constexpr const char* SchluesselLaufDatei = "LaufDatei";

}  // namespace app::text
