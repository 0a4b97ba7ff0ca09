// The main window as a user must find it: every control with its kind,
// caption and place, shared by the headless and the Qt window tests.
#pragma once

#include "platform/window.h"

namespace expect {

struct ControlRow {
    int id;
    platform::ControlKind kind;
    const char* caption;   // nullptr: not checked (folder tree, table)
    int x, y, width, height;
};

using K = platform::ControlKind;

inline const ControlRow Controls[] = {
    {0, K::FolderTree, nullptr, 5, 10, 310, 240},
    {1, K::TextField, "*.jpg", 420, 10, 355, 20},
    {2, K::TextField, "neu_%nr%.%erw%", 425, 45, 340, 20},
    {3, K::Label, "Rename Dateien", 320, 15, 90, 20},
    {4, K::TextField, "1", 425, 70, 50, 20},
    {5, K::TextField, "1", 565, 70, 30, 20},
    {6, K::Label, "Startnummer", 325, 70, 90, 20},
    {7, K::Label, "Schrittweite", 490, 70, 65, 20},
    {8, K::TextField, "3", 735, 70, 30, 20},
    {9, K::Table, nullptr, 5, 280, 770, 255},
    {10, K::Label, "Anzahl num. Stellen", 625, 70, 105, 20},
    {11, K::Button, "Alle Auswählen", 15, 540, 90, 30},
    {12, K::Button, "Keine Auswählen", 115, 540, 90, 30},
    {13, K::Button, "Rename", 225, 540, 110, 30},
    {14, K::Button, "Programm beenden", 655, 540, 110, 30},
    {15, K::Label, "Verzeichnis: ", 5, 260, 750, 20},
    {24, K::Frame, "", 320, 35, 455, 60},
    {25, K::Frame, "", 320, 95, 455, 35},
    {26, K::Option, "Neuer Name", 325, 45, 95, 15},
    {27, K::Option, "Ersetze Zeichen :", 325, 110, 110, 15},
    {28, K::Option, "Entferne Zeichen", 325, 150, 110, 15},
    {29, K::Option, "Datei-Namen", 325, 190, 110, 15},
    {30, K::Option, "Dateinamenteil vertauschen   Trennzeichen:", 325, 230, 230, 15},
    {31, K::TextField, "", 440, 105, 130, 20},
    {32, K::Label, "mit", 585, 110, 45, 15},
    {33, K::TextField, "", 640, 105, 130, 20},
    {34, K::Frame, "", 320, 135, 455, 35},
    {35, K::TextField, "", 440, 145, 130, 20},
    {36, K::Option, "Anfang", 585, 150, 65, 15},
    {37, K::Option, "Ende", 655, 150, 60, 15},
    {38, K::Option, "Alle", 720, 150, 50, 15},
    {39, K::Frame, "", 320, 175, 455, 35},
    {40, K::Option, "komplett groß", 440, 190, 105, 15},
    {41, K::Option, "komplett klein", 555, 185, 95, 20},
    {42, K::Option, "am Anfang groß", 660, 185, 100, 20},
    {43, K::Frame, "", 320, 215, 455, 35},
    {44, K::TextField, "", 555, 225, 25, 20},
    {45, K::Button, "Aktualisieren", 340, 540, 110, 30},
    {46, K::Button, "Rückgängig (l.ren)", 455, 540, 110, 30},
    {47, K::TextField, "", 660, 225, 110, 20},
    {48, K::Label, "Reihenfolge:", 595, 230, 65, 15},
};

// The three option groups; turning one member on turns only its group's others off.
inline const int Groups[3][5] = {{26, 27, 28, 29, 30}, {36, 37, 38, 0, 0}, {40, 41, 42, 0, 0}};

}  // namespace expect
