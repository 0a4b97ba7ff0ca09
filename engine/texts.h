// Texts of the rename engine that the user sees, written exactly.
#pragma once

#include "support/texts.h"

namespace engine::text {

constexpr const char* Product = support::texts::Product;

// File table.
constexpr const char* FolderLabel = "Aktuelles Verzeichnis: ";
constexpr const char* ReadingFiles = "ermittel Dateien   =";
constexpr const char* ReadingFolders = "ermittel Verzeich. =";

// Why a row's "Neuer Name" is marked: what "Rename" would report as
// "Fehler". "Name kommt mehrfach vor (Zeilen " a " und " b ")".
constexpr const char* PreviewTaken = "Name schon vorhanden: ";
constexpr const char* PreviewTwice = "Name kommt mehrfach vor (Zeilen ";
constexpr const char* PreviewAnd = " und ";
constexpr const char* PreviewTwiceEnd = ")";
constexpr const char* PreviewMissing = "Datei nicht mehr vorhanden";

// Why a row failed, for the names and the file system alike: the mark of
// the preview and the tool tip of the row's "Fehler" alike.
constexpr const char* WhyTaken = "Ziel existiert schon";
constexpr const char* WhyMissing = "Datei nicht mehr vorhanden";
constexpr const char* WhyInvalid = "Ungültiger Name";
constexpr const char* WhyNoPermission = "Keine Berechtigung";
constexpr const char* WhyInUse = "Datei wird von einem anderen Programm benutzt";
constexpr const char* WhyDiskFull = "Datenträger voll";
constexpr const char* WhyTooLong = "Name zu lang";
constexpr const char* WhyRefused = "Das Dateisystem erlaubt diesen Namen nicht";
constexpr const char* WhyWindowsRefuses = "Windows erlaubt diesen Namen nicht";
constexpr const char* WhyWindowsAlters = "Windows entfernt den Punkt am Ende";
constexpr const char* WhyNotAFile = "Keine Datei mehr: ein Ordner oder anderes hat den Namen";
constexpr const char* WhyFolderMissing = "Verzeichnis nicht gefunden";
constexpr const char* WhyLogFull = "Undo-Log voll: nicht umbenannt";
constexpr const char* WhyFailed = "Umbenennen nicht möglich";

// Input check: "Position " n " = " c "\r in " text "\r ist ein ungültiges Zeichen !"
constexpr const char* CheckPosition = "Position ";
constexpr const char* CheckEquals = " = ";
constexpr const char* CheckIn = "\r in ";
constexpr const char* CheckInvalidChar = "\r ist ein ungültiges Zeichen !";

// ---- the rename action, its undo and the undo-script interpreter ----

constexpr const char* Title = support::texts::Product;
constexpr const char* StatusOk = "Ok";
constexpr const char* StatusFailed = "Fehler";

// Undo files in the temporary directory.
constexpr const char* ScriptPrefix = "undo_Quonabix_";
constexpr const char* ScriptTimeMask = "%yyyy_%mm_%dd_%hh_%ii_%ss";
constexpr const char* ScriptSuffix = ".bat";
constexpr const char* LogName = "undo_quonabix.log";
constexpr const char* LogScriptName = "REM .Datei.:";
constexpr const char* LogSeparator = "REM ";   // followed by 80 minus signs
// The action may leave an empty reservation under a new name when it dies
// (a file system without a never-replacing rename and without hard links).
constexpr const char* LogReservations = "REM .Platzhalter.";

// Questions and messages of the rename action.
constexpr const char* ActionAborted = "Aktion wird komplett abgebrochen !";
constexpr const char* UndoNotCreated = "Fehler: Konnte Undo-Datei nicht anlegen !\\n \\n ";
constexpr const char* InvalidNewName = "Fehler: Ungültiger neuer Dateiname !\\n \\n ";
constexpr const char* InvalidNames = "Fehler: Ungültige Dateinamen !\\n \\n ";
constexpr const char* InFile = "in Datei = ";
constexpr const char* Or = "\\n oder ";
constexpr const char* RenameFailed = "Fehler: Rename konnte nicht ausgeführt werden !\\n \\n ";
constexpr const char* RenameLine = "Rename \\n ";
constexpr const char* Arrow = "\\n => ";
constexpr const char* BlankLine = "\\n \\n ";
constexpr const char* GoOnOrStop = "Rest Dateien umbenenen oder Aktion abbrechen ?";
constexpr const char* LogBusy =
    "Das Undo-Log wird gerade von einem anderen Quonabix-Programm benutzt:\\n ";
constexpr const char* FolderReplaced =
    "Fehler: Das Verzeichnis ist nicht mehr das eingelesene !\\n ";
constexpr const char* ChooseAgain = "\\n \\n Bitte das Verzeichnis neu auswählen.\\n \\n ";
constexpr const char* LogFull =
    "Fehler: Undo-Log konnte nicht geschrieben werden (Datenträger voll ?) !\\n ";
constexpr const char* StoppedAfter = "\\n \\n Die Aktion wurde angehalten. Umbenannt wurden ";
constexpr const char* StoppedFiles =
    " Dateien;\\n \"Rückgängig (l.ren)\" benennt genau diese zurück.";
constexpr const char* NothingRenamed = "\\n \\n Die Aktion wurde angehalten. Es wurde keine Datei umbenannt.";

// Undo.
constexpr const char* AllUndone = "Alle Änderungen rückgängig gemacht !";
constexpr const char* NotUndone =
    "Fehler: Folgende Dateien konnten nicht zurück umbenannt werden:\\n ";
constexpr const char* MoreLines = "... und weitere Zeilen: ";
constexpr const char* RunAgainHint =
    "Nach Beheben der Ursache führt \"Rückgängig\" nur diese Zeilen noch einmal aus.";
constexpr const char* ScriptNotWritten =
    "Fehler: Undo-Datei konnte nicht vollständig geschrieben werden !\\n ";
constexpr const char* ScriptInMemory =
    "\\n \\n \"Rückgängig (l.ren)\" nimmt die Umbenennungen trotzdem vollständig zurück."
    "\\n Die Zeilen zum Zurückbenennen stehen auch im Undo-Log:\\n ";
constexpr const char* UndoScriptUnreadable = "Fehler: Undo-Datei konnte nicht gelesen werden !\\n ";

// Interpreter: "Zeile " n ": " what ": " reason.
constexpr const char* Line = "Zeile ";
constexpr const char* ReasonTargetExists = "Eine Datei dieses Namens existiert bereits";
constexpr const char* ReasonSourceMissing = "Datei nicht gefunden";
constexpr const char* ReasonRenameFailed = "Umbenennen nicht möglich";
constexpr const char* ReasonFolderMissing = "Verzeichnis nicht gefunden";
constexpr const char* ReasonFolderReplaced =
    "Verzeichnis wurde ersetzt, es ist nicht mehr das umbenannte";
constexpr const char* ReasonNotRunNoFolder = "nicht ausgeführt, Verzeichnis fehlt";
constexpr const char* ReasonInvalidName = "Ungültiger Dateiname";
constexpr const char* ReasonUnknownCommand = "Unbekannter Befehl";

// The command for running a script by hand.
constexpr const char* Usage =
    "Aufruf: quonabix-undo <Skript> [Arbeitsverzeichnis]\n"
    "        quonabix-undo --log [Undo-Log]\n"
    "        quonabix-undo --log --list [Undo-Log]\n"
    "\n"
    "Das erste nimmt die Umbenennungen eines Undo-Skripts zurück, das zweite die\n"
    "der neuesten noch offenen Aktion im Undo-Log (Vorgabe: undo_quonabix.log im\n"
    "temporären Verzeichnis), etwa nach einem Absturz während des Umbenennens;\n"
    "noch einmal aufgerufen, nimmt es die Aktion davor zurück. Das dritte zeigt\n"
    "die Aktionen des Undo-Logs, die älteste zuerst.\n"
    "Jede Zeile, die nicht ausgeführt werden konnte, wird genannt. Rückgabewert:\n"
    "0 alles zurückbenannt, 1 mindestens eine Zeile fehlgeschlagen oder Datei nicht\n"
    "lesbar, 2 falscher Aufruf.\n";
constexpr const char* ScriptNotReadable = "Fehler: Undo-Datei konnte nicht gelesen werden: ";
constexpr const char* LogNotReadable = "Fehler: Undo-Log konnte nicht gelesen werden: ";
constexpr const char* FailedLinesHead = "Fehler: Folgende Zeilen konnten nicht ausgeführt werden:\n";

// The undo log's actions: the lines that say how an action ended, the
// reasons a line of the log is not run, and quonabix-undo --log --list.
constexpr const char* LogEndName = "REM .Ende.:";
constexpr const char* LogTakenBackName = "REM .Rückgängig.:";
constexpr const char* ReasonForeignLine = "Zeile stammt nicht von Quonabix";
constexpr const char* ReasonAfterForeignFolder =
    "nicht ausgeführt, folgt einem fremden Verzeichniswechsel";
constexpr const char* ReasonBeforeFolder = "nicht ausgeführt, steht vor dem Verzeichnis der Aktion";
constexpr const char* ReasonAfterEnd = "nicht ausgeführt, steht nach dem Ende der Aktion";
constexpr const char* ReasonNotFinished = "Unterbrochene Umbenennung konnte nicht beendet werden";
constexpr const char* TakenBackNotRecorded =
    "Undo-Log: Die Rücknahme der Aktion konnte nicht vermerkt werden";
constexpr const char* LogInUse =
    "Fehler: Das Undo-Log wird gerade von einem anderen Quonabix-Programm benutzt: ";
constexpr const char* ListNoAction = "Das Undo-Log enthält keine Aktion.";
constexpr const char* ListTimeMask = "%dd.%mm.%yyyy %hh:%ii:%ss";
constexpr const char* ListNoTime = "Zeit unbekannt";
constexpr const char* ListNoFolder = "(kein Verzeichnis)";
constexpr const char* ListFile = " Datei";
constexpr const char* ListFiles = " Dateien";
constexpr const char* ListOpen = "offen";
constexpr const char* ListTakenBack = "zurückgenommen";
constexpr const char* ListNothingRenamed = "nichts umbenannt";
constexpr const char* ListNotEnded = ", nicht beendet";

}  // namespace engine::text
