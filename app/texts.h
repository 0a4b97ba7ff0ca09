// Texts of the application shell that the user sees, written exactly.
#pragma once

#include "support/texts.h"

namespace app::text {

constexpr const char* Product = support::texts::Product;
constexpr const char* WindowTitle = "Quonabix - Dateien umbenennen";
constexpr const char* MenuFileTitle = "&Datei";
constexpr const char* MenuQuitItem = "&Quit";
constexpr const char* MenuInfoTitle = "&Info";
constexpr const char* MenuInfoItem = "&Info";
constexpr const char* FolderLabelEmpty = "Aktuelles Verzeichnis:";
constexpr const char* TipTitle = "Platzhalter";
constexpr const char* TipPattern =
    "%nr%=Nummerierung, %dateinamen%=DateinamenKomplett,%datei%=DateinamenOhneErweiterung, "
    "%erw%=Erweiterung, %dc%=Datum-Erstellt, %da%=Datum-Letzter Zugriff, %dm%=Datum-Geändert, "
    "%tc%=Zeit-Erstellt, %ta%=Zeit-Letzter Zugriff, %tm%=Zeit-Geändert, "
    "%dx%=Datum-Aufnahme, %tx%=Zeit-Aufnahme";
constexpr const char* TipOrder =
    "%1%=1.Teil nach Trennung durch Trennzeichen, %2%=wie vor usw.,%erw%=Erweiterung";
constexpr const char* StartLogName = "lauf.txt";
constexpr const char* StartLogDateMask = "%yyyy-%mm-%dd-%hh:%ii:%ss";
constexpr const char* StartLogSettingsFile = "Quonabix.ini";
constexpr const char* SettingsSection = "Standard";
constexpr const char* KeyStartLogFolder = "LaufDatei";
constexpr const char* NoDisplay = "Quonabix braucht eine grafische Arbeitsoberfläche (keine Anzeige gefunden).";

}  // namespace app::text
