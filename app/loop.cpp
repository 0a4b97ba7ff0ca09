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

Verzoegerung NeuAufbauenAb;

namespace {

using platform::EventCode;
using platform::EventKind;

// Masks of the checked fields.
constexpr const char* MaskeMuster = "#A-Z#a-z#0-9#S01";
constexpr const char* MaskeStart = "#0-9-";
constexpr const char* MaskeZahl = "#0-9";
constexpr const char* MaskeZeichen = "#A-Z#a-z#0-9#S01#SP";

// The event the loop received last; a handler ends the loop by making it
// the close event.
EventCode AktuellesEreignis = EventCode::Other;

void Aufbauen(int mode) { engine::NeuAufbauen(mode, engine::DateiListe); }

// A checked field: on a change the text is tested; an accepted text
// rebuilds the names, a rejected one puts the focus back.
void GeprueftesFeld(int id, EventKind kind, const char* mask) {
    if (kind != EventKind::Change) return;
    if (engine::yCheckInput(mask, "", platform::win().getText(id))) {
        Aufbauen(engine::ModeNames);
    } else {
        platform::win().setFocus(id);
    }
}

void MusterFeld(EventKind kind) {
    if (kind != EventKind::Change) return;
    if (engine::yCheckInput(MaskeMuster, "", platform::win().getText(ids::PatternField))) {
        // Re-arming moves the delay: it counts from the last accepted key stroke.
        NeuAufbauenAb.scharf = true;
        NeuAufbauenAb.seit = platform::tickCount();
    } else {
        platform::win().setFocus(ids::PatternField);
    }
}

// Buttons "Alle Auswählen" and "Keine Auswählen": every row ticked or not,
// and no longer selected; no rebuild.
void AlleZeilen(int state) {
    auto& w = platform::win();
    const int rows = w.countRows(ids::FileTable);
    for (int row = 0; row < rows; ++row) w.setRowState(ids::FileTable, row, state);
    engine::refreshPreview();
}

// Any event of the table may have changed a tick, and a tick changes what
// the rows after it can do; after a rename action the table is read anew.
void Tabelle() {
    if (engine::RenameErfolgt == 1) {
        Aufbauen(engine::ModeFull);
    } else {
        engine::refreshPreview();
    }
}

// Fields of a rule turn their rule on at every event, entering included.
void RegelFeld(int id, EventKind kind, int option, const char* mask) {
    platform::win().setState(option, 1);
    if (mask) {
        GeprueftesFeld(id, kind, mask);
    } else if (kind == EventKind::Change) {
        Aufbauen(engine::ModeNames);
    }
}

}  // namespace

void MenueEreignis() {
    engine::LoeschenRenameSpalte();
    switch (platform::win().eventId()) {
        case ids::MenuQuit: AktuellesEreignis = EventCode::Close; break;
        case ids::MenuInfo: Info(); break;
        default: break;
    }
}

void ElementEreignis() {
    auto& w = platform::win();
    const int id = w.eventId();
    const EventKind kind = w.eventKind();
    switch (id) {
        case ids::FolderTree: if (kind == EventKind::Change) Aufbauen(engine::ModeFull); break;
        case ids::MaskField: if (kind == EventKind::Change) Aufbauen(engine::ModeFull); break;
        case ids::PatternField: MusterFeld(kind); break;
        case ids::StartField: GeprueftesFeld(id, kind, MaskeStart); break;
        case ids::StepField:
        case ids::DigitsField: GeprueftesFeld(id, kind, MaskeZahl); break;
        case ids::FileTable: Tabelle(); break;
        case ids::TickAllButton: AlleZeilen(platform::RowTicked); break;
        case ids::TickNoneButton: AlleZeilen(0); break;
        case ids::RenameButton: engine::RenameAusfuehren(); break;
        case ids::QuitButton: AktuellesEreignis = EventCode::Close; break;
        case ids::OptPattern:
        case ids::OptReplace:
        case ids::OptRemove:
        case ids::OptCase:
        case ids::OptSwap: Aufbauen(engine::ModeNames); break;
        case ids::ReplaceFindField:
        case ids::ReplaceByField: RegelFeld(id, kind, ids::OptReplace, MaskeZeichen); break;
        case ids::RemoveField: RegelFeld(id, kind, ids::OptRemove, MaskeZeichen); break;
        case ids::OptRemoveStart:
        case ids::OptRemoveEnd:
        case ids::OptRemoveAll:
            w.setState(ids::OptRemove, 1);
            Aufbauen(engine::ModeNames);
            break;
        case ids::OptUpper:
        case ids::OptLower:
        case ids::OptCapitalFirst:
            w.setState(ids::OptCase, 1);
            Aufbauen(engine::ModeNames);
            break;
        case ids::SeparatorField:
        case ids::OrderField: RegelFeld(id, kind, ids::OptSwap, nullptr); break;
        case ids::RefreshButton: Aufbauen(engine::ModeFull); break;
        case ids::UndoButton: engine::RenameRueckgaengig(); break;
        default: break;   // labels and frames
    }
}

void PruefenVerzoegerung() {
    if (!NeuAufbauenAb.scharf) return;
    // Unsigned subtraction keeps the age right across the tick wrap-around.
    const uint32_t age = platform::tickCount() - NeuAufbauenAb.seit;
    if (age > PatternDelayMs) {
        NeuAufbauenAb.scharf = false;
        Aufbauen(engine::ModeNames);
    }
}

// Milliseconds until the armed rebuild is due (one past the delay), or -1.
static int WeckenNach() {
    if (!NeuAufbauenAb.scharf) return -1;
    const uint32_t age = platform::tickCount() - NeuAufbauenAb.seit;
    return age > PatternDelayMs ? 0 : static_cast<int>(PatternDelayMs + 1 - age);
}

void Hauptschleife() {
    auto& w = platform::win();
    w.setText(ids::DirectoryLabel, text::VerzeichnisLeer);
    w.setState(ids::OptPattern, 1);
    w.setState(ids::OptUpper, 1);
    w.setState(ids::OptRemoveStart, 1);
    w.enable(ids::UndoButton, false);
    for (;;) {
        AktuellesEreignis = w.waitEvent(WeckenNach());
        if (AktuellesEreignis == EventCode::Menu) {
            MenueEreignis();
        } else if (AktuellesEreignis == EventCode::Control) {
            ElementEreignis();
        } else if (AktuellesEreignis == EventCode::Close && w.eventId() != ids::MainWindow) {
            AktuellesEreignis = EventCode::Other;   // a stray close of another window
        }
        PruefenVerzoegerung();
        if (AktuellesEreignis == EventCode::Close) break;
    }
}

}  // namespace app
