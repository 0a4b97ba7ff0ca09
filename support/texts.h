// Texts of the support library that the user sees, written exactly once.
// Line breaks inside the information window's sections are written as the
// escape "\n " and turned into CR LF by yUnescape before display.
#pragma once

namespace support::texts {

// The product's name: window titles, message boxes, the start log.
constexpr const char* Product = "Quonabix";

// ---- yLogFileWrite -------------------------------------------------------------
inline constexpr const char* LogTitle = "yLogFileWrite";
inline constexpr const char* LogOpenFailed = "Fehler: Datei konnte nicht geöffnet werden !";

// ---- yCopyFile: "Datei " + path + one of the endings -----------------------------
inline constexpr const char* FilePrefix = "Datei ";
inline constexpr const char* FileNotFound = " nicht gefunden !";
inline constexpr const char* FileNotCreated = " konnte nicht angelegt werden !";
inline constexpr const char* FileNotRead = " konnte nicht gelesen werden !";
inline constexpr const char* FileNotWritten = " konnte nicht geschrieben werden !";
inline constexpr const char* FileSameAsSource = " ist die Quelldatei selbst !";

// ---- information window ----------------------------------------------------------
inline constexpr const char* InfoCloseCaption = "Fenster schließen";
inline constexpr const char* InfoFontFace = "Courier New";
inline constexpr int InfoFontPoints = 9;

// The maker's block; no fixed wording belongs here, only a way to reach us.
inline constexpr const char* MakerSection =
    "Hersteller\\n "
    "----------\\n "
    "Quonabix-Team\\n "
    "Kontakt: siehe Anregungen und Kritik\\n \\n \\n ";

inline constexpr const char* DisclaimerSection =
    "Ausschluß\\n "
    "---------\\n "
    "Sie benutzen das Programm in eigener Verantwortung.\\n "
    "Das Programm ist mit größter Sorgfalt erstellt und getestet\\n "
    "worden.\\n "
    " \\n "
    "Es wird jedoch keine Haftung für Schäden übernommen die durch \\n "
    "nicht vorhersehbaren Zustände eintreten können.\\n \\n \\n ";

// The frame holds exactly 24 characters of address between its margins.
inline constexpr const char* FeedbackAddress = "kontakt@quonabix.example";
inline constexpr const char* FeedbackHead =
    "Anregungen und Kritik\\n "
    "---------------------\\n "
    "Anregungen und Kritik sind erwünscht und können per eMail an: \\n "
    "\\n ";
inline constexpr const char* FeedbackFrame = "  +----------------------------+\\n ";
inline constexpr const char* FeedbackTail =
    "\\n "
    "gesendet werden.\\n "
    "\\n "
    "Nur durch Ihr Feedback kann ein Programm besser werden !\\n \\n \\n ";

inline constexpr const char* BuildPrefix = "Kompiliert: ";
inline constexpr const char* BuildMask = "%dd.%mm.%yyyy / 21:%ii:%ss  pc:%hh";

inline constexpr const char* VersionsHead = "Programm-Versionen";
inline constexpr const char* VersionsEnd = "###ENDE###";

// The version data: the version text first, then the history oldest first,
// a continuation row indented by 24 blanks to stand under the change text.
inline constexpr const char* VersionList[] = {
    "  V 2.09",
    "V1.00 14.03.2003 (qbix) Erste Version: Muster mit laufender Nummer\\n ",
    "V1.10 02.05.2003 (qbix) Zeichen ersetzen\\n ",
    "V1.20 19.06.2003 (qbix) Zeichen am Anfang, am Ende oder alle entfernen\\n ",
    "V1.30 08.09.2003 (qbix) Groß- und Kleinschreibung der Datei-Namen\\n ",
    "V1.40 21.11.2003 (qbix) Rückgängig-Datei im Temp-Verzeichnis\\n ",
    "                        und Protokoll aller Umbenennungen\\n ",
    "V1.50 27.01.2004 (qbix) Dateinamenteile vertauschen\\n ",
    "V1.60 15.04.2004 (qbix) Mehrere Datei-Muster, getrennt durch |\\n ",
    "V1.70 30.06.2004 (qbix) Platzhalter für Datum und Uhrzeit der Datei\\n ",
    "V1.80 12.10.2004 (qbix) Einstellungen werden beim Beenden gespeichert\\n ",
    "V1.90 03.02.2005 (qbix) Anzahl der Stellen der Nummer wählbar\\n ",
    "V2.00 18.05.2005 (qbix) Verzögerte Vorschau beim Eingeben des Musters\\n ",
    "V2.05 09.11.2005 (qbix) Prüfung der Eingaben mit Hinweis auf die Stelle\\n ",
    "V2.09 14.03.2006 (qbix) Bei einem Fehler kann abgebrochen und alles\\n ",
    "                        rückgängig gemacht werden\\n ",
    "###ENDE###",
};

}  // namespace support::texts
