// The rename action and its undo.
//
// The action renames every ticked row relative to one open directory
// handle and never replaces a file. Each completed rename is journalled at
// once in the cumulative undo log, which reaches the operating system
// before the next rename starts, so a crash loses at most the row in
// flight. The undo script's lines are kept in memory and the script is
// written when the action ends, in reverse order: a later
// rename may have taken a name that an earlier one freed (renumbering), and
// only undoing the last rename first gives every file its name back.
#include "engine/rename.h"

#include <cstdint>
#include <vector>

#include "engine/batch.h"
#include "engine/renametexts.h"
#include "engine/state.h"
#include "engine/table.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/window.h"
#include "support/ids.h"
#include "support/infobox.h"
#include "support/text.h"
#include "support/values.h"

namespace engine {
namespace {

constexpr const char* ZeilenEnde = "\r\n";
constexpr int AnzeigeZeilen = 200;          // rows between looks at the clock
constexpr uint32_t AnzeigeAbstandMs = 50;   // at most this long without a repaint
constexpr std::size_t MeldungZeilen = 20;   // failed lines listed in one message
constexpr int NamensVersuche = 1000;

struct Aktion {
    std::string verzeichnis;            // of every row, ending with "/"
    bool produktVerzeichnis = false;    // its path holds the product name
    int dirHandle = 0;
    int skript = 0;
    int log = 0;
    bool verzeichnisImLog = false;      // drive and cd lines written into the log
    // Rename-back lines with their line ends, in action order, in one
    // buffer: on 100,000 rows the action should cost little more than
    // the renames themselves.
    std::string zurueck;
    std::vector<std::size_t> zeilenAnfang;
    bool abbruch = false;
    uint32_t letzteAnzeige = 0;
};

std::string mitTrenner(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

std::string undoDateiName(const platform::LocalTime& jetzt, uint32_t tick) {
    std::string t = std::to_string(tick);
    if (t.size() > 6) t.erase(0, t.size() - 6);
    return support::TempVerzeichnis + rtext::SkriptAnfang +
           support::yFormatDate(rtext::SkriptZeitMaske, jetzt) + "_" + t + rtext::SkriptEndung;
}

// A new private script; an existing name (a second action in the same
// millisecond, or something planted there) is never reused: the next tick
// value gives the next name.
int undoDateiAnlegen(std::string& pfad) {
    const platform::LocalTime jetzt = platform::localNow();
    uint32_t tick = platform::tickCount();
    for (int i = 0; i < NamensVersuche; ++i, ++tick) {
        pfad = undoDateiName(jetzt, tick);
        const int h = platform::fileOpen(pfad, platform::OpenMode::CreatePrivate);
        if (h != 0) return h;
        if (!platform::fileExists(pfad)) return 0;
    }
    return 0;
}

// Without both undo files nothing is renamed: a rename that cannot be
// undone is not started.
bool undoDateienOeffnen(Aktion& a, int zeilen) {
    std::string pfad;
    a.skript = undoDateiAnlegen(pfad);
    // About one rename-back line of 48 bytes a row, and the header.
    a.log = platform::journalOpen(support::TempVerzeichnis + rtext::LogName,
                                  static_cast<std::size_t>(zeilen) * 48 + 1024);
    if (a.skript != 0 && a.log != 0) {
        UndoDatei = pfad;
        return true;
    }
    if (a.skript != 0) platform::fileClose(a.skript);
    if (a.log != 0) platform::journalClose(a.log);
    a.skript = a.log = 0;
    support::yInfoBox(rtext::Titel, std::string(rtext::UndoNichtAngelegt) + rtext::AbbruchSatz, 0);
    return false;
}

void kopfSchreiben(const Aktion& a) {
    const std::string trenner = rtext::LogTrenner + std::string(80, '-') + ZeilenEnde;
    const std::string kopf =
        trenner + rtext::LogSkriptName + yBatchEscape(UndoDatei) + ZeilenEnde + trenner;
    platform::journalAppend(a.log, kopf.data(), kopf.size());
}

// Control characters and the nine characters no file name may hold.
struct Verboten {
    bool zeichen[256] = {};
    constexpr Verboten() {
        for (int c = 0; c < 32; ++c) zeichen[c] = true;
        for (const char* p = "\"*/:<>?\\|"; *p; ++p) zeichen[static_cast<unsigned char>(*p)] = true;
    }
};
constexpr Verboten VerboteneZeichen;

bool nameGueltig(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (VerboteneZeichen.zeichen[c]) return false;
    return true;
}

// The question for a row that cannot be renamed; "" when the row is valid.
std::string pruefen(const Aktion& a, const std::string& alt, const std::string& neu) {
    if (alt.empty() || neu.empty() || a.verzeichnis.empty())
        return std::string(rtext::LaengeUngueltig) + rtext::AbbruchSatz;
    if (!nameGueltig(alt) || !nameGueltig(neu))
        return std::string(rtext::NamenUngueltig) + rtext::InDatei + a.verzeichnis + alt +
               rtext::Oder + a.verzeichnis + neu + rtext::Leerzeile + rtext::AbbruchSatz;
    return "";
}

// Whether the text, upper-cased, holds "QUONABIX". Only A-Z fold here,
// which is all the Latin-1 upper-casing can turn into these letters; it
// runs once per row, so it stays a plain scan.
bool enthaeltProdukt(const std::string& text) {
    constexpr char klein[] = "quonabix";
    constexpr std::size_t n = sizeof klein - 1;
    for (std::size_t i = 0; i + n <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < n && (text[i + k] | 0x20) == klein[k]) ++k;
        if (k == n) return true;
    }
    return false;
}

enum class Schritt { Umbenennen, Gleich, Geschuetzt };

// No file whose path holds the product name is ever renamed: the program's
// own files and undo files among them.
Schritt entscheiden(const Aktion& a, const std::string& alt, const std::string& neu) {
    if (alt == neu) return Schritt::Gleich;
    if (a.produktVerzeichnis || enthaeltProdukt(alt)) return Schritt::Geschuetzt;
    return Schritt::Umbenennen;
}

// The drive and cd lines that put a script or the log into the action's
// directory.
std::string verzeichnisZeilen(const Aktion& a) {
    const std::string laufwerk = yBatchLaufwerk(a.verzeichnis);
    std::string text;
    if (!laufwerk.empty()) text += laufwerk + ZeilenEnde;
    return text + yBatchCdZeile(a.verzeichnis) + ZeilenEnde;
}

// The log line reaches the operating system before the next rename starts
// (the journal copies it into the log's pages, without a system call).
// Every row lies in the one directory of the action, so its drive and cd
// lines come once, before the first rename-back line.
void journal(Aktion& a, const std::string& alt, const std::string& neu) {
    const std::size_t anfang = a.zurueck.size();
    a.zeilenAnfang.push_back(anfang);
    yBatchRenZeileAnhaengen(a.zurueck, neu, alt);
    a.zurueck += ZeilenEnde;
    const char* zeile = a.zurueck.data() + anfang;
    const std::size_t laenge = a.zurueck.size() - anfang;
    if (a.verzeichnisImLog) {
        platform::journalAppend(a.log, zeile, laenge);
        return;
    }
    std::string text = verzeichnisZeilen(a);
    text.append(zeile, laenge);
    platform::journalAppend(a.log, text.data(), text.size());
    a.verzeichnisImLog = true;
}

void zeileBearbeiten(Aktion& a, int zeile) {
    auto& w = platform::win();
    if (!(w.getRowState(ids::FileTable, zeile) & platform::RowTicked)) return;
    const std::string alt = w.getCell(ids::FileTable, zeile, ids::ColCurrent);
    const std::string neu = w.getCell(ids::FileTable, zeile, ids::ColNew);
    std::string frage = pruefen(a, alt, neu);
    if (frage.empty()) {
        const Schritt s = entscheiden(a, alt, neu);
        const platform::RenameResult r =
            s != Schritt::Umbenennen ? platform::RenameResult::Ok
            : a.dirHandle == 0       ? platform::RenameResult::Failed
                                     : platform::renameNoReplaceAt(a.dirHandle, alt, neu);
        if (r == platform::RenameResult::Ok) {
            w.setCell(ids::FileTable, zeile, ids::ColStatus, rtext::StatusOk);
            // A protected row was never renamed, so there is nothing to rename back.
            if (s != Schritt::Geschuetzt) journal(a, alt, neu);
            return;
        }
        frage = std::string(rtext::RenameFehlgeschlagen) + rtext::RenameZeile + a.verzeichnis +
                alt + rtext::Pfeil + a.verzeichnis + neu + rtext::Leerzeile + rtext::Weitermachen;
    }
    w.setCell(ids::FileTable, zeile, ids::ColStatus, rtext::StatusFehler);
    if (support::yInfoBox(rtext::Titel, frage, platform::BoxOkCancel) != platform::AnswerOk)
        a.abbruch = true;
}

// The status column fills visibly on a long action.
void anzeigen(Aktion& a, int zeile) {
    if ((zeile + 1) % AnzeigeZeilen != 0) return;
    const uint32_t jetzt = platform::tickCount();
    if (jetzt - a.letzteAnzeige < AnzeigeAbstandMs) return;
    a.letzteAnzeige = jetzt;
    platform::win().repaintNow();
}

// Undoing runs the lines from the last rename back to the first.
void abschliessen(Aktion& a) {
    if (a.dirHandle != 0) platform::closeDirForRename(a.dirHandle);
    bool geschrieben = true;
    if (!a.zurueck.empty()) {
        std::string text = verzeichnisZeilen(a);
        text.reserve(text.size() + a.zurueck.size());
        std::size_t ende = a.zurueck.size();
        for (auto it = a.zeilenAnfang.rbegin(); it != a.zeilenAnfang.rend(); ++it) {
            text.append(a.zurueck, *it, ende - *it);
            ende = *it;
        }
        geschrieben = platform::fileWrite(a.skript, text);
    }
    geschrieben = platform::fileClose(a.skript) && geschrieben;
    platform::journalClose(a.log);
    if (!geschrieben)
        support::yInfoBox(rtext::Titel, rtext::SkriptNichtGeschrieben + UndoDatei +
                                            rtext::SkriptImLog + support::TempVerzeichnis +
                                            rtext::LogName, platform::BoxOk);
}

std::string fehlerListe(const std::vector<std::string>& fehler) {
    std::string text;
    for (std::size_t i = 0; i < fehler.size() && i < MeldungZeilen; ++i)
        text += (i ? "\\n " : "") + fehler[i];
    if (fehler.size() > MeldungZeilen)
        text += std::string("\\n ") + rtext::WeitereFehler + std::to_string(fehler.size() - MeldungZeilen);
    return text;
}

// Success is reported only when every line was carried out. Otherwise the
// lines still to do become the next undo script, so that "Rückgängig" can
// be pressed again once the cause is removed, without running the lines
// that already succeeded a second time.
void undoMelden(const BatchErgebnis& r) {
    auto& w = platform::win();
    if (!r.gestartet) {
        support::yInfoBox(rtext::Titel, rtext::SkriptUnlesbar + UndoDatei, platform::BoxOk);
        return;
    }
    if (r.fehler.empty()) {
        support::yInfoBox(rtext::Titel, rtext::AllesZurueck, platform::BoxOk);
        w.enable(ids::UndoButton, false);
        return;
    }
    std::string rest;
    const int h = r.restSkript.empty() ? 0 : undoDateiAnlegen(rest);
    bool nochmal = h != 0 && platform::fileWrite(h, r.restSkript);
    if (h != 0) nochmal = platform::fileClose(h) && nochmal;
    if (nochmal) UndoDatei = rest;
    w.enable(ids::UndoButton, nochmal);
    std::string text = rtext::NichtZurueck + fehlerListe(r.fehler);
    if (nochmal) text += std::string("\\n \\n ") + rtext::NochmalMoeglich;
    support::yInfoBox(rtext::Titel, text, platform::BoxOk);
}

std::string skriptAufruf(const std::string& skript) { return "/c call \"" + skript + "\""; }

}  // namespace

void RenameAusfuehren() {
    auto& w = platform::win();
    Aktion a;
    RenameErfolgt = 1;
    const int zeilen = w.countRows(ids::FileTable);
    a.verzeichnis = mitTrenner(w.getText(ids::FolderTree));
    const bool warAktiv = w.isEnabled(ids::UndoButton);
    w.enable(ids::UndoButton, true);
    if (undoDateienOeffnen(a, zeilen)) {
        kopfSchreiben(a);
        a.produktVerzeichnis = enthaeltProdukt(a.verzeichnis);
        if (!a.verzeichnis.empty()) a.dirHandle = platform::openDirForRename(a.verzeichnis);
        a.letzteAnzeige = platform::tickCount();
        for (int z = 0; z < zeilen && !a.abbruch; ++z) {
            zeileBearbeiten(a, z);
            anzeigen(a, z);
        }
        abschliessen(a);
    } else {
        // Nothing was done, so the undo of the previous action stays as it was.
        w.enable(ids::UndoButton, warAktiv);
    }
    if (a.abbruch) {
        // The script runs from its own directory, as a revert by hand would.
        undoMelden(yStartCommand("cmd.exe", skriptAufruf(support::yFileName(UndoDatei)),
                                 support::yDirectoryPart(UndoDatei)));
        NeuAufbauen(ModeFull, DateiListe);
    } else {
        NeuAufbauen(ModeRefresh, DateiListe);
    }
}

void RenameRueckgaengig() {
    const std::string verzeichnis = platform::win().getText(ids::FolderTree);
    // The undo runs to its end before the table lists the directory again.
    undoMelden(yStartCommand("cmd.exe", skriptAufruf(UndoDatei), verzeichnis));
    NeuAufbauen(ModeFull, DateiListe);
}

}  // namespace engine
