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

// ---- the rename action, its undo and the undo-script interpreter ----

constexpr const char* Titel = support::texts::Produkt;
constexpr const char* StatusOk = "Ok";
constexpr const char* StatusFehler = "Fehler";

// Undo files in the temporary directory.
constexpr const char* SkriptAnfang = "undo_Quonabix_";
constexpr const char* SkriptZeitMaske = "%yyyy_%mm_%dd_%hh_%ii_%ss";
constexpr const char* SkriptEndung = ".bat";
constexpr const char* LogName = "undo_quonabix.log";
constexpr const char* LogSkriptName = "REM .Datei.:";
constexpr const char* LogTrenner = "REM ";   // followed by 80 minus signs

// Questions and messages of the rename action.
constexpr const char* AbbruchSatz = "Aktion wird komplett abgebrochen !";
constexpr const char* UndoNichtAngelegt = "Fehler: Konnte Undo-Datei nicht anlegen !\\n \\n ";
constexpr const char* LaengeUngueltig = "Fehler: Ungültiger neuer Dateiname !\\n \\n ";
constexpr const char* NamenUngueltig = "Fehler: Ungültige Dateinamen !\\n \\n ";
constexpr const char* InDatei = "in Datei = ";
constexpr const char* Oder = "\\n oder ";
constexpr const char* RenameFehlgeschlagen = "Fehler: Rename konnte nicht ausgeführt werden !\\n \\n ";
constexpr const char* RenameZeile = "Rename \\n ";
constexpr const char* Pfeil = "\\n => ";
constexpr const char* Leerzeile = "\\n \\n ";
constexpr const char* Weitermachen = "Rest Dateien umbenenen oder Aktion abbrechen ?";
constexpr const char* LogBelegt =
    "Das Undo-Log wird gerade von einem anderen Quonabix-Programm benutzt:\\n ";
constexpr const char* VerzeichnisErsetzt =
    "Fehler: Das Verzeichnis ist nicht mehr das eingelesene !\\n ";
constexpr const char* NeuWaehlen = "\\n \\n Bitte das Verzeichnis neu auswählen.\\n \\n ";
constexpr const char* LogVoll =
    "Fehler: Undo-Log konnte nicht geschrieben werden (Datenträger voll ?) !\\n ";
constexpr const char* AngehaltenNach = "\\n \\n Die Aktion wurde angehalten. Umbenannt wurden ";
constexpr const char* AngehaltenDateien =
    " Dateien;\\n \"Rückgängig (l.ren)\" benennt genau diese zurück.";
constexpr const char* NichtsUmbenannt = "\\n \\n Die Aktion wurde angehalten. Es wurde keine Datei umbenannt.";

// Undo.
constexpr const char* AllesZurueck = "Alle Änderungen rückgängig gemacht !";
constexpr const char* NichtZurueck =
    "Fehler: Folgende Dateien konnten nicht zurück umbenannt werden:\\n ";
constexpr const char* WeitereFehler = "... und weitere Zeilen: ";
constexpr const char* NochmalMoeglich =
    "Nach Beheben der Ursache führt \"Rückgängig\" nur diese Zeilen noch einmal aus.";
constexpr const char* SkriptNichtGeschrieben =
    "Fehler: Undo-Datei konnte nicht vollständig geschrieben werden !\\n ";
constexpr const char* SkriptImSpeicher =
    "\\n \\n \"Rückgängig (l.ren)\" nimmt die Umbenennungen trotzdem vollständig zurück."
    "\\n Die Zeilen zum Zurückbenennen stehen auch im Undo-Log:\\n ";
constexpr const char* SkriptUnlesbar = "Fehler: Undo-Datei konnte nicht gelesen werden !\\n ";

// Interpreter: "Zeile " n ": " what ": " reason.
constexpr const char* Zeile = "Zeile ";
constexpr const char* GrundZielDa = "Eine Datei dieses Namens existiert bereits";
constexpr const char* GrundQuelleFehlt = "Datei nicht gefunden";
constexpr const char* GrundRenameFehler = "Umbenennen nicht möglich";
constexpr const char* GrundVerzeichnisFehlt = "Verzeichnis nicht gefunden";
constexpr const char* GrundVerzeichnisErsetzt =
    "Verzeichnis wurde ersetzt, es ist nicht mehr das umbenannte";
constexpr const char* GrundOhneVerzeichnis = "nicht ausgeführt, Verzeichnis fehlt";
constexpr const char* GrundUngueltigerName = "Ungültiger Dateiname";
constexpr const char* GrundUnbekannt = "Unbekannter Befehl";

// The command for running a script by hand.
constexpr const char* AufrufHilfe =
    "Aufruf: quonabix-undo <Skript> [Arbeitsverzeichnis]\n"
    "        quonabix-undo --log [Undo-Log]\n"
    "\n"
    "Das erste nimmt die Umbenennungen eines Undo-Skripts zurück, das zweite die\n"
    "der neuesten Aktion im Undo-Log (Vorgabe: undo_quonabix.log im temporären\n"
    "Verzeichnis), etwa nach einem Absturz während des Umbenennens.\n"
    "Jede Zeile, die nicht ausgeführt werden konnte, wird genannt. Rückgabewert:\n"
    "0 alles zurückbenannt, 1 mindestens eine Zeile fehlgeschlagen, 2 falscher Aufruf.\n";
constexpr const char* SkriptNichtLesbar = "Fehler: Undo-Datei konnte nicht gelesen werden: ";
constexpr const char* LogNichtLesbar = "Fehler: Undo-Log konnte nicht gelesen werden: ";
constexpr const char* FehlerKopf = "Fehler: Folgende Zeilen konnten nicht ausgeführt werden:\n";

}  // namespace engine::text
