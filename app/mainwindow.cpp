// Builds the main window: menu bar, every control in creation order (the
// order forms the option groups and the focus order), the table's columns
// and the two tool tips.
#include "app/mainwindow.h"

#include "app/texts.h"
#include "platform/window.h"
#include "support/ids.h"

namespace app {

namespace {

using platform::ControlKind;
using K = ControlKind;

struct ControlRow {
    K kind;
    int id;
    const char* caption;
    int x, y, width, height;
    unsigned options;
};

// Every control of the main window, in creation order.
constexpr ControlRow MainControls[] = {
    {K::FolderTree, ids::FolderTree, "", 5, 10, 310, 240, 0},
    {K::TextField, ids::MaskField, "*.jpg", 420, 10, 355, 20, 0},
    {K::TextField, ids::PatternField, "neu_%nr%.%erw%", 425, 45, 340, 20, 0},
    {K::Label, ids::MaskLabel, "Rename Dateien", 320, 15, 90, 20, 0},
    {K::TextField, ids::StartField, "1", 425, 70, 50, 20, 0},
    {K::TextField, ids::StepField, "1", 565, 70, 30, 20, 0},
    {K::Label, ids::StartLabel, "Startnummer", 325, 70, 90, 20, 0},
    {K::Label, ids::StepLabel, "Schrittweite", 490, 70, 65, 20, 0},
    {K::TextField, ids::DigitsField, "3", 735, 70, 30, 20, 0},
    {K::Table, ids::FileTable, "Aktueller Name", 5, 280, 770, 255, 0},
    {K::Label, ids::DigitsLabel, "Anzahl num. Stellen", 625, 70, 105, 20, 0},
    {K::Button, ids::TickAllButton, "Alle Auswählen", 15, 540, 90, 30, 0},
    {K::Button, ids::TickNoneButton, "Keine Auswählen", 115, 540, 90, 30, 0},
    {K::Button, ids::RenameButton, "Rename", 225, 540, 110, 30, 0},
    {K::Button, ids::QuitButton, "Programm beenden", 655, 540, 110, 30, 0},
    {K::Label, ids::DirectoryLabel, "Verzeichnis: ", 5, 260, 750, 20, 0},
    {K::Frame, ids::PatternFrame, "", 320, 35, 455, 60, 0},
    {K::Frame, ids::ReplaceFrame, "", 320, 95, 455, 35, 0},
    {K::Option, ids::OptPattern, "Neuer Name", 325, 45, 95, 15, 0},
    {K::Option, ids::OptReplace, "Ersetze Zeichen :", 325, 110, 110, 15, 0},
    {K::Option, ids::OptRemove, "Entferne Zeichen", 325, 150, 110, 15, 0},
    {K::Option, ids::OptCase, "Datei-Namen", 325, 190, 110, 15, 0},
    {K::Option, ids::OptSwap, "Dateinamenteil vertauschen   Trennzeichen:", 325, 230, 230, 15, 0},
    {K::TextField, ids::ReplaceFindField, "", 440, 105, 130, 20, 0},
    {K::Label, ids::ReplaceWithLabel, "mit", 585, 110, 45, 15, platform::CtlCentred},
    {K::TextField, ids::ReplaceByField, "", 640, 105, 130, 20, 0},
    {K::Frame, ids::RemoveFrame, "", 320, 135, 455, 35, 0},
    {K::TextField, ids::RemoveField, "", 440, 145, 130, 20, 0},
    {K::Option, ids::OptRemoveStart, "Anfang", 585, 150, 65, 15, 0},
    {K::Option, ids::OptRemoveEnd, "Ende", 655, 150, 60, 15, 0},
    {K::Option, ids::OptRemoveAll, "Alle", 720, 150, 50, 15, 0},
    {K::Frame, ids::CaseFrame, "", 320, 175, 455, 35, 0},
    {K::Option, ids::OptUpper, "komplett groß", 440, 190, 105, 15, 0},
    {K::Option, ids::OptLower, "komplett klein", 555, 185, 95, 20, 0},
    {K::Option, ids::OptCapitalFirst, "am Anfang groß", 660, 185, 100, 20, 0},
    {K::Frame, ids::SwapFrame, "", 320, 215, 455, 35, 0},
    {K::TextField, ids::SeparatorField, "", 555, 225, 25, 20, 0},
    {K::Button, ids::RefreshButton, "Aktualisieren", 340, 540, 110, 30, 0},
    {K::Button, ids::UndoButton, "Rückgängig (l.ren)", 455, 540, 110, 30, 0},
    {K::TextField, ids::OrderField, "", 660, 225, 110, 20, 0},
    {K::Label, ids::OrderLabel, "Reihenfolge:", 595, 230, 65, 15, 0},
};

void SetzenTooltip(int id, const char* tipText) {
    platform::win().attachToolTip(id, tipText, text::TipTitle, platform::IconKind::Information);
}

}  // namespace

int OeffnenHauptfenster() {
    auto& w = platform::win();
    if (!w.openWindow(ids::MainWindow, 307, 237, 790, 596, text::WindowTitle,
                      platform::WinCloseBox | platform::WinCentreOverActive)) {
        return 0;
    }
    // A window without its menu bar still works: the buttons end the program.
    if (w.createMenuBar(ids::MainWindow)) {
        w.addMenuTitle(text::MenuFileTitle);
        w.addMenuItem(ids::MenuQuit, text::MenuQuitItem);
        w.addMenuTitle(text::MenuInfoTitle);
        w.addMenuItem(ids::MenuInfo, text::MenuInfoItem);
    }
    for (const ControlRow& c : MainControls) {
        w.createControl(c.kind, c.id, c.x, c.y, c.width, c.height, c.caption, c.options);
        if (c.id == ids::FileTable) {
            w.addTableColumn(ids::FileTable, 0, "Aktueller Name", 355);
            w.addTableColumn(ids::FileTable, 1, "Neuer Name", 355);
            w.addTableColumn(ids::FileTable, 2, "Rename", 60);
        }
        if (c.id == ids::PatternField) SetzenTooltip(c.id, text::TipPattern);
        if (c.id == ids::OrderField) SetzenTooltip(c.id, text::TipOrder);
    }
    return 1;
}

}  // namespace app
