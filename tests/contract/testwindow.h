// A test window with one control of every kind, and the events a window
// system has queued, for the window contract and the Qt backend tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/window.h"

namespace testwindow {

// The program's own window system of the platform ("Qt", "Win32"), made by
// the window test program of that platform.
const char* ownWindowSystemName();
std::unique_ptr<platform::WindowSystem> makeOwnWindowSystem();

using platform::ControlKind;
using platform::EventCode;
using platform::EventKind;

// Ids of the controls; the options form two groups split by a label.
enum Id : int {
    Tree = 0, Field = 1, Field2 = 2, Caption = 3, Table = 9, Button = 11,
    Frame = 24, OptA1 = 26, OptA2 = 27, OptA3 = 28, Between = 32,
    OptB1 = 36, OptB2 = 37, Editor = 4801, Unknown = 999,
};

struct ControlRow {
    ControlKind kind;
    int id;
    const char* caption;
    int x, y, width, height;
    unsigned options;
};

inline const ControlRow Controls[] = {
    {ControlKind::FolderTree, Tree, "", 5, 10, 310, 240, 0},
    {ControlKind::TextField, Field, "*.jpg", 420, 10, 355, 20, 0},
    {ControlKind::TextField, Field2, "neu_%nr%.%erw%", 425, 45, 340, 20, 0},
    {ControlKind::Label, Caption, "Rename Dateien", 320, 15, 90, 20, 0},
    {ControlKind::Table, Table, "Aktueller Name", 5, 280, 770, 255, 0},
    {ControlKind::Button, Button, "Alle Auswählen", 15, 540, 90, 30, 0},
    {ControlKind::Frame, Frame, "", 320, 35, 455, 60, 0},
    {ControlKind::Option, OptA1, "Neuer Name", 325, 45, 95, 15, 0},
    {ControlKind::Option, OptA2, "Ersetze Zeichen :", 325, 110, 110, 15, 0},
    {ControlKind::Option, OptA3, "Entferne Zeichen", 325, 150, 110, 15, 0},
    {ControlKind::Label, Between, "mit", 585, 110, 45, 15, platform::CtlCentred},
    {ControlKind::Option, OptB1, "Anfang", 585, 150, 65, 15, 0},
    {ControlKind::Option, OptB2, "Ende", 655, 150, 60, 15, 0},
    {ControlKind::Editor, Editor, "Zeile 1\nZeile 2", 10, 300, 300, 60, platform::CtlReadOnly},
};

struct Seen {
    EventCode code;
    int id;
    EventKind kind;
    bool operator==(const Seen&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Seen& e) {
    return os << "{code " << static_cast<int>(e.code) << ", id " << e.id << ", kind "
              << static_cast<int>(e.kind) << "}";
}

// A folder text as the platform's folder tree gives it: its separator
// ("\\" on Windows) for every "/".
inline std::string folderText(std::string path) {
    for (char& c : path) {
        if (c == '/') c = platform::PathSeparator;
    }
    return path;
}

inline Seen change(int id) { return {EventCode::Control, id, EventKind::Change}; }
inline Seen click(int id) { return {EventCode::Control, id, EventKind::LeftClick}; }

// Everything queued so far: a wake-up of 0 ms ends the list.
inline std::vector<Seen> drain(platform::WindowSystem& w) {
    std::vector<Seen> seen;
    for (int guard = 0; guard < 10000; ++guard) {
        const EventCode code = w.waitEvent(0);
        if (code == EventCode::Other && w.eventId() == 0 && w.eventKind() == EventKind::None) break;
        seen.push_back({code, w.eventId(), w.eventKind()});
    }
    return seen;
}

inline bool contains(const std::vector<Seen>& events, const Seen& e) {
    for (const Seen& s : events)
        if (s == e) return true;
    return false;
}

// Window 0 with a menu, every control, the three table columns; the events
// that opening caused (activation, first focus) are dropped.
inline void open(platform::WindowSystem& w) {
    ASSERT_EQ(w.openWindow(0, 307, 237, 790, 596, "Test", platform::WinCloseBox), 1);
    ASSERT_EQ(w.createMenuBar(0), 1);
    w.addMenuTitle("&Datei");
    w.addMenuItem(0, "&Quit");
    w.addMenuTitle("&Info");
    w.addMenuItem(1, "&Info");
    for (const ControlRow& c : Controls) {
        ASSERT_EQ(w.createControl(c.kind, c.id, c.x, c.y, c.width, c.height, c.caption, c.options), 1)
            << "control " << c.id;
    }
    w.addTableColumn(Table, 0, "Aktueller Name", 355);
    w.addTableColumn(Table, 1, "Neuer Name", 355);
    w.addTableColumn(Table, 2, "Rename", 60);
    drain(w);
}

}  // namespace testwindow
