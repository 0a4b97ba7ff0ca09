// The main event loop and the dispatch of menu commands and control events
// to one small handler per control.
#include "app/loop.h"

#include "app/info.h"
#include "app/texts.h"
#include "engine/inputcheck.h"
#include "engine/preview.h"
#include "engine/rename.h"
#include "engine/state.h"
#include "engine/table.h"
#include "platform/process.h"
#include "platform/window.h"
#include "support/ids.h"

namespace app {

DelayedRebuild NeuAufbauenAb;

namespace {

using platform::EventCode;
using platform::EventKind;

// Masks of the checked fields.
constexpr const char* PatternMask = "#A-Z#a-z#0-9#S01";
constexpr const char* StartMask = "#0-9-";
constexpr const char* NumberMask = "#0-9";
constexpr const char* TextMask = "#A-Z#a-z#0-9#S01#SP";

// The event the loop received last; a handler ends the loop by making it
// the close event.
EventCode currentEvent = EventCode::Other;

void rebuild(int mode) { engine::NeuAufbauen(mode, engine::DateiListe); }

// A checked field: on a change the text is tested; an accepted text
// rebuilds the names, a rejected one puts the focus back.
void checkedField(int id, EventKind kind, const char* mask) {
    if (kind != EventKind::Change) return;
    if (engine::yCheckInput(mask, "", platform::win().getText(id))) {
        rebuild(engine::ModeNames);
    } else {
        platform::win().setFocus(id);
    }
}

void patternField(EventKind kind) {
    if (kind != EventKind::Change) return;
    if (engine::yCheckInput(PatternMask, "", platform::win().getText(ids::PatternField))) {
        // Re-arming moves the delay: it counts from the last accepted key stroke.
        NeuAufbauenAb.armed = true;
        NeuAufbauenAb.since = platform::tickCount();
    } else {
        platform::win().setFocus(ids::PatternField);
    }
}

// Keys typed into the mask while a rebuild ran wait as changes of their
// own; the field holds the last text already, so one rebuild stands for
// all of them, and the table is the one the last of them would leave.
void maskField(EventKind kind) {
    if (kind != EventKind::Change) return;
    platform::win().dropWaitingChanges(ids::MaskField);
    rebuild(engine::ModeFull);
}

// Buttons "Alle Auswählen" and "Keine Auswählen": every row ticked or not,
// and no longer selected; no rebuild.
void setAllTicks(int state) {
    auto& w = platform::win();
    const int rows = w.countRows(ids::FileTable);
    for (int row = 0; row < rows; ++row) w.setRowState(ids::FileTable, row, state);
    engine::refreshPreview();
}

// Any event of the table may have changed a tick, and a tick changes what
// the rows after it can do; after a rename action the table is read anew.
void tableEvent() {
    if (engine::RenameErfolgt == 1) {
        rebuild(engine::ModeFull);
    } else {
        engine::refreshPreview();
    }
}

// Fields of a rule turn their rule on at every event, entering included.
void ruleField(int id, EventKind kind, int option, const char* mask) {
    platform::win().setState(option, 1);
    if (mask) {
        checkedField(id, kind, mask);
    } else if (kind == EventKind::Change) {
        rebuild(engine::ModeNames);
    }
}

}  // namespace

void MenueEreignis() {
    engine::LoeschenRenameSpalte();
    switch (platform::win().eventId()) {
        case ids::MenuQuit: currentEvent = EventCode::Close; break;
        case ids::MenuInfo: Info(); break;
        default: break;
    }
}

void ElementEreignis() {
    auto& w = platform::win();
    const int id = w.eventId();
    const EventKind kind = w.eventKind();
    switch (id) {
        case ids::FolderTree: if (kind == EventKind::Change) rebuild(engine::ModeFull); break;
        case ids::MaskField: maskField(kind); break;
        case ids::PatternField: patternField(kind); break;
        case ids::StartField: checkedField(id, kind, StartMask); break;
        case ids::StepField:
        case ids::DigitsField: checkedField(id, kind, NumberMask); break;
        case ids::FileTable: tableEvent(); break;
        case ids::TickAllButton: setAllTicks(platform::RowTicked); break;
        case ids::TickNoneButton: setAllTicks(0); break;
        case ids::RenameButton: engine::RenameAusfuehren(); break;
        case ids::QuitButton: currentEvent = EventCode::Close; break;
        case ids::OptPattern:
        case ids::OptReplace:
        case ids::OptRemove:
        case ids::OptCase:
        case ids::OptSwap: rebuild(engine::ModeNames); break;
        case ids::ReplaceFindField:
        case ids::ReplaceByField: ruleField(id, kind, ids::OptReplace, TextMask); break;
        case ids::RemoveField: ruleField(id, kind, ids::OptRemove, TextMask); break;
        case ids::OptRemoveStart:
        case ids::OptRemoveEnd:
        case ids::OptRemoveAll:
            w.setState(ids::OptRemove, 1);
            rebuild(engine::ModeNames);
            break;
        case ids::OptUpper:
        case ids::OptLower:
        case ids::OptCapitalFirst:
            w.setState(ids::OptCase, 1);
            rebuild(engine::ModeNames);
            break;
        case ids::SeparatorField:
        case ids::OrderField: ruleField(id, kind, ids::OptSwap, nullptr); break;
        case ids::RefreshButton: rebuild(engine::ModeFull); break;
        case ids::UndoButton: engine::RenameRueckgaengig(); break;
        default: break;   // labels and frames
    }
}

void runDueRebuild() {
    if (!NeuAufbauenAb.armed) return;
    // Unsigned subtraction keeps the age right across the tick wrap-around.
    const uint32_t age = platform::tickCount() - NeuAufbauenAb.since;
    if (age > PatternDelayMs) {
        NeuAufbauenAb.armed = false;
        rebuild(engine::ModeNames);
    }
}

// Milliseconds until the armed rebuild is due (one past the delay), or -1.
static int msUntilDue() {
    if (!NeuAufbauenAb.armed) return -1;
    const uint32_t age = platform::tickCount() - NeuAufbauenAb.since;
    return age > PatternDelayMs ? 0 : static_cast<int>(PatternDelayMs + 1 - age);
}

void Hauptschleife() {
    auto& w = platform::win();
    w.setText(ids::DirectoryLabel, text::FolderLabelEmpty);
    w.setState(ids::OptPattern, 1);
    w.setState(ids::OptUpper, 1);
    w.setState(ids::OptRemoveStart, 1);
    w.enable(ids::UndoButton, false);
    for (;;) {
        currentEvent = w.waitEvent(msUntilDue());
        if (currentEvent == EventCode::Menu) {
            MenueEreignis();
        } else if (currentEvent == EventCode::Control) {
            ElementEreignis();
        } else if (currentEvent == EventCode::Close && w.eventId() != ids::MainWindow) {
            currentEvent = EventCode::Other;   // a stray close of another window
        }
        runDueRebuild();
        if (currentEvent == EventCode::Close) break;
    }
}

}  // namespace app
