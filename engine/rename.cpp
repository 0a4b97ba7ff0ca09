// The rename action and its undo.
//
// The action renames every ticked row relative to one open handle of the
// directory that the table was read from, and never replaces a file. The
// line that renames a file back reaches the cumulative undo log before the
// rename starts (and is taken out again if the rename fails), so whenever
// the program dies, every renamed file has its line and `quonabix-undo
// --log` can bring it back. The undo script's lines are also kept in memory
// and the script is written when the action ends, in reverse order: a
// later rename may have taken a name that an earlier one freed
// (renumbering), and only undoing the last rename first gives every file
// its name back. Where the script cannot be written whole, the undo runs
// from the lines in memory.
#include "engine/rename.h"

#include <cstdint>
#include <vector>

#include "engine/batch.h"
#include "engine/namecheck.h"
#include "engine/texts.h"
#include "engine/repaint.h"
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
constexpr std::size_t MeldungZeilen = 20;   // failed lines listed in one message
constexpr int NamensVersuche = 1000;

// What the undo of the latest action runs: the script `skript` as it was
// written (no larger, in the directory of that identity), or, where it
// could not be written whole, the same lines held here.
struct UndoStand {
    std::string skript;
    std::string text;
    bool vollstaendig = false;
    std::string verzeichnis;
    platform::FileIdentity kennung;
    bool kennungBekannt = false;
};
UndoStand undoStand;

struct Aktion {
    std::string verzeichnis;            // of every row, ending with "/"
    bool produktVerzeichnis = false;    // its path holds the product name
    bool verzeichnisGueltig = true;     // no control character in its path
    int dirHandle = 0;
    platform::FileIdentity kennung;
    bool kennungBekannt = false;
    int skript = 0;
    int log = 0;
    bool verzeichnisImLog = false;      // drive and cd lines written into the log
    // Rename-back lines with their line ends, in action order, in one
    // buffer: on 100,000 rows the action should cost little more than
    // the renames themselves.
    std::string zurueck;
    std::vector<std::size_t> zeilenAnfang;
    int umbenannt = 0;                  // files renamed on disk
    bool abbruch = false;
    bool logVoll = false;               // a line could not be recorded: stopped
};

std::string undoDateiName(const platform::LocalTime& jetzt, uint32_t tick) {
    std::string t = std::to_string(tick);
    if (t.size() > 6) t.erase(0, t.size() - 6);
    return support::TempVerzeichnis + text::SkriptAnfang +
           support::yFormatDate(text::SkriptZeitMaske, jetzt) + "_" + t + text::SkriptEndung;
}

// A new private script; an existing name (a second action in the same
// millisecond, or something planted there) is never reused: the next tick
// value gives the next name. A temporary directory with a line break in its
// name would split the log's script-name line into a command.
int undoDateiAnlegen(std::string& pfad) {
    if (hatSteuerzeichen(support::TempVerzeichnis)) return 0;
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

bool kopfSchreiben(const Aktion& a, const std::string& skript) {
    const std::string trenner = text::LogTrenner + std::string(80, '-') + ZeilenEnde;
    const std::string kopf =
        trenner + text::LogSkriptName + yBatchEscape(skript) + ZeilenEnde + trenner;
    return platform::journalAppend(a.log, kopf.data(), kopf.size());
}

// Without both undo files nothing is renamed: a rename that cannot be
// undone is not started. The log is held by this run until the action
// ends, so no other run's lines come between this action's lines.
bool undoDateienOeffnen(Aktion& a, std::string& skript) {
    const std::string logPfad = support::TempVerzeichnis + text::LogName;
    platform::JournalStatus status = platform::JournalStatus::Failed;
    a.skript = undoDateiAnlegen(skript);
    if (a.skript != 0) a.log = platform::journalOpen(logPfad, &status);
    if (a.log != 0 && kopfSchreiben(a, skript)) return true;
    if (a.log != 0) platform::journalClose(a.log);
    a.log = 0;
    if (a.skript != 0) platform::fileClose(a.skript);
    a.skript = 0;
    std::string text = text::UndoNichtAngelegt;
    if (status == platform::JournalStatus::Busy) text += text::LogBelegt + logPfad + "\\n \\n ";
    support::yInfoBox(text::Titel, text + text::AbbruchSatz, 0);
    return false;
}

// The folder must still be the one the table was read from: a folder
// swapped for another one (or for a link to one) keeps its name but would
// have its files renamed by rows they do not belong to.
bool verzeichnisOeffnen(Aktion& a) {
    if (a.verzeichnis.empty()) return true;
    a.dirHandle = platform::openDirForRename(a.verzeichnis);
    if (a.dirHandle == 0) return true;   // every row fails and says so
    a.kennungBekannt = platform::renameDirIdentity(a.dirHandle, a.kennung);
    const ListedFolder& l = listedFolder;
    if (!l.known || support::withTrailingSlash(l.path) != a.verzeichnis ||
        (a.kennungBekannt && a.kennung == l.identity))
        return true;
    platform::closeDirForRename(a.dirHandle);
    a.dirHandle = 0;
    support::yInfoBox(text::Titel, text::VerzeichnisErsetzt + a.verzeichnis + text::NeuWaehlen +
                                        text::AbbruchSatz, platform::BoxOk);
    return false;
}

// The question for a row that cannot be renamed; "" when the row is valid.
// A folder whose path holds a line break would put a second command into
// the undo files' cd line, so its rows are invalid like invalid names.
std::string pruefen(const Aktion& a, const std::string& alt, const std::string& neu) {
    if (alt.empty() || neu.empty() || a.verzeichnis.empty())
        return std::string(text::LaengeUngueltig) + text::AbbruchSatz;
    if (!a.verzeichnisGueltig || !nameGueltig(alt) || !nameGueltig(neu))
        return std::string(text::NamenUngueltig) + text::InDatei + a.verzeichnis + alt +
               text::Oder + a.verzeichnis + neu + text::Leerzeile + text::AbbruchSatz;
    return "";
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
std::string verzeichnisZeilen(const Aktion& a) { return directoryLines(a.verzeichnis); }

// Write-ahead: the line that renames the file back is in the log before
// the rename starts. Every row lies in the one directory of the action, so
// its drive and cd lines come once, before the first rename-back line.
// False when the line could not be recorded: then the row is not renamed.
bool vormerken(Aktion& a, const std::string& alt, const std::string& neu) {
    const std::size_t anfang = a.zurueck.size();
    a.zeilenAnfang.push_back(anfang);
    yBatchRenZeileAnhaengen(a.zurueck, neu, alt);
    a.zurueck += ZeilenEnde;
    const char* zeile = a.zurueck.data() + anfang;
    const std::size_t laenge = a.zurueck.size() - anfang;
    bool ok;
    if (a.verzeichnisImLog) {
        ok = platform::journalAppend(a.log, zeile, laenge);
    } else {
        std::string text = verzeichnisZeilen(a);
        text.append(zeile, laenge);
        ok = a.verzeichnisImLog = platform::journalAppend(a.log, text.data(), text.size());
    }
    if (!ok) {
        a.zurueck.resize(anfang);
        a.zeilenAnfang.pop_back();
    }
    return ok;
}

// The rename did not happen: its line leaves the log and the script again,
// so that replaying the log never moves a file this action did not move.
void verwerfen(Aktion& a) {
    const bool mitVerzeichnis = a.zeilenAnfang.size() == 1;
    a.zurueck.resize(a.zeilenAnfang.back());
    a.zeilenAnfang.pop_back();
    if (platform::journalTakeBack(a.log)) {
        if (mitVerzeichnis) a.verzeichnisImLog = false;
    } else {
        a.logVoll = true;   // the log no longer says what happened: stop here
    }
}

void logVollMelden(const Aktion& a) {
    std::string text = std::string(text::LogVoll) + support::TempVerzeichnis + text::LogName;
    text += a.umbenannt == 0 ? std::string(text::NichtsUmbenannt)
                             : text::AngehaltenNach + std::to_string(a.umbenannt) + text::AngehaltenDateien;
    support::yInfoBox(text::Titel, text, platform::BoxOk);
}

platform::RenameResult umbenennen(const Aktion& a, Schritt s, const std::string& alt, const std::string& neu) {
    if (s != Schritt::Umbenennen) return platform::RenameResult::Ok;
    if (a.dirHandle == 0) return platform::RenameResult::Failed;
    return platform::renameNoReplaceAt(a.dirHandle, alt, neu);
}

void zeileBearbeiten(Aktion& a, int zeile) {
    auto& w = platform::win();
    if (!(w.getRowState(ids::FileTable, zeile) & platform::RowTicked)) return;
    const std::string alt = w.getCell(ids::FileTable, zeile, ids::ColCurrent);
    const std::string neu = w.getCell(ids::FileTable, zeile, ids::ColNew);
    std::string frage = pruefen(a, alt, neu);
    if (frage.empty()) {
        const Schritt s = entscheiden(a, alt, neu);
        // A protected row is never renamed, so there is nothing to rename back.
        if (s != Schritt::Geschuetzt && !vormerken(a, alt, neu)) {
            w.setCell(ids::FileTable, zeile, ids::ColStatus, text::StatusFehler);
            a.logVoll = true;
            logVollMelden(a);
            return;
        }
        if (umbenennen(a, s, alt, neu) == platform::RenameResult::Ok) {
            w.setCell(ids::FileTable, zeile, ids::ColStatus, text::StatusOk);
            if (s == Schritt::Umbenennen) ++a.umbenannt;
            return;
        }
        verwerfen(a);
        frage = std::string(text::RenameFehlgeschlagen) + text::RenameZeile + a.verzeichnis +
                alt + text::Pfeil + a.verzeichnis + neu + text::Leerzeile + text::Weitermachen;
    }
    w.setCell(ids::FileTable, zeile, ids::ColStatus, text::StatusFehler);
    if (a.logVoll) {
        logVollMelden(a);
        return;
    }
    if (support::yInfoBox(text::Titel, frage, platform::BoxOkCancel) != platform::AnswerOk)
        a.abbruch = true;
}

// Undoing runs the lines from the last rename back to the first. The
// script and the log reach the disk once, here.
void abschliessen(Aktion& a, const std::string& skript) {
    if (a.dirHandle != 0) platform::closeDirForRename(a.dirHandle);
    std::string text;
    if (!a.zurueck.empty()) {
        text = verzeichnisZeilen(a);
        text.reserve(text.size() + a.zurueck.size());
        std::size_t ende = a.zurueck.size();
        for (auto it = a.zeilenAnfang.rbegin(); it != a.zeilenAnfang.rend(); ++it) {
            text.append(a.zurueck, *it, ende - *it);
            ende = *it;
        }
    }
    bool geschrieben = text.empty() || platform::fileWrite(a.skript, platform::toScriptBytes(text));
    geschrieben = platform::fileSync(a.skript) && geschrieben;
    geschrieben = platform::fileClose(a.skript) && geschrieben;
    platform::journalClose(a.log);
    undoStand = {skript, std::move(text), geschrieben, a.verzeichnis, a.kennung, a.kennungBekannt};
    // A full disk was reported already, with what the undo does.
    if (!geschrieben && !a.logVoll)
        support::yInfoBox(text::Titel, text::SkriptNichtGeschrieben + skript + text::SkriptImSpeicher +
                                            support::TempVerzeichnis + text::LogName, platform::BoxOk);
}

std::string fehlerListe(const std::vector<std::string>& fehler) {
    std::string text;
    for (std::size_t i = 0; i < fehler.size() && i < MeldungZeilen; ++i)
        text += (i ? "\\n " : "") + fehler[i];
    if (fehler.size() > MeldungZeilen)
        text += std::string("\\n ") + text::WeitereFehler + std::to_string(fehler.size() - MeldungZeilen);
    return text;
}

// Success is reported only when every line was carried out. Otherwise the
// lines still to do become the next undo, so that "Rückgängig" can be
// pressed again once the cause is removed, without running the lines that
// already succeeded a second time; they stay in memory when no script can
// be written for them.
void undoMelden(const BatchErgebnis& r) {
    auto& w = platform::win();
    if (!r.gestartet) {
        support::yInfoBox(text::Titel, text::SkriptUnlesbar + UndoDatei, platform::BoxOk);
        return;
    }
    if (r.fehler.empty()) {
        support::yInfoBox(text::Titel, text::AllesZurueck, platform::BoxOk);
        w.enable(ids::UndoButton, false);
        return;
    }
    const bool nochmal = !r.restSkript.empty();
    if (nochmal) {
        std::string rest;
        const int h = undoDateiAnlegen(rest);
        bool geschrieben = h != 0 && platform::fileWrite(h, platform::toScriptBytes(r.restSkript));
        if (h != 0) geschrieben = platform::fileClose(h) && geschrieben;
        if (h != 0) UndoDatei = rest;
        undoStand.skript = UndoDatei;
        undoStand.text = r.restSkript;
        undoStand.vollstaendig = geschrieben;
    }
    w.enable(ids::UndoButton, nochmal);
    std::string text = text::NichtZurueck + fehlerListe(r.fehler);
    if (nochmal) text += std::string("\\n \\n ") + text::NochmalMoeglich;
    support::yInfoBox(text::Titel, text, platform::BoxOk);
}

std::string skriptAufruf(const std::string& skript) { return "/c call \"" + skript + "\""; }

// Runs the undo of the latest action: its script as the program wrote it,
// or the lines in memory where the script is not whole; renames happen only
// in the directory the action renamed in.
BatchErgebnis undoAusfuehren(const std::string& parameter, const std::string& arbeitsVerzeichnis) {
    const UndoStand& u = undoStand;
    if (u.skript != UndoDatei || UndoDatei.empty())
        return yStartCommand("cmd.exe", parameter, arbeitsVerzeichnis);
    BatchPruefung p;
    p.hoechstensBytes = platform::toScriptBytes(u.text).size();
    p.verzeichnis = u.verzeichnis;
    p.kennung = u.kennung;
    p.kennungBekannt = u.kennungBekannt;
    if (!u.vollstaendig) return runBatchText(u.text, arbeitsVerzeichnis, p);
    return yStartCommand("cmd.exe", parameter, arbeitsVerzeichnis, p);
}

}  // namespace

void RenameAusfuehren() {
    auto& w = platform::win();
    Aktion a;
    RenameErfolgt = 1;
    const int zeilen = w.countRows(ids::FileTable);
    a.verzeichnis = support::withTrailingSlash(w.getText(ids::FolderTree));
    a.verzeichnisGueltig = !hatSteuerzeichen(a.verzeichnis);
    // An action that renames nothing leaves the undo of the one before.
    const bool warAktiv = w.isEnabled(ids::UndoButton);
    const std::string vorherDatei = UndoDatei;
    const UndoStand vorher = undoStand;
    w.enable(ids::UndoButton, true);
    std::string skript;
    if (verzeichnisOeffnen(a) && undoDateienOeffnen(a, skript)) {
        UndoDatei = skript;
        a.produktVerzeichnis = enthaeltProdukt(a.verzeichnis);
        RepaintPacer anzeige(AnzeigeZeilen);
        for (int z = 0; z < zeilen && !a.abbruch && !a.logVoll; ++z) {
            zeileBearbeiten(a, z);
            anzeige.row(z);
        }
        abschliessen(a, skript);
    } else if (a.dirHandle != 0) {
        platform::closeDirForRename(a.dirHandle);
    }
    if (a.umbenannt == 0) {
        UndoDatei = vorherDatei;
        undoStand = vorher;
        w.enable(ids::UndoButton, warAktiv);
    }
    if (!a.abbruch) {
        NeuAufbauen(ModeRefresh, DateiListe);
        return;
    }
    if (a.umbenannt == 0) {
        support::yInfoBox(text::Titel, text::AllesZurueck, platform::BoxOk);
    } else {
        // The script runs from its own directory, as a revert by hand would.
        undoMelden(undoAusfuehren(skriptAufruf(support::yFileName(UndoDatei)),
                                  support::yDirectoryPart(UndoDatei)));
    }
    NeuAufbauen(ModeFull, DateiListe);
}

void RenameRueckgaengig() {
    const std::string verzeichnis = platform::win().getText(ids::FolderTree);
    // The undo runs to its end before the table lists the directory again.
    undoMelden(undoAusfuehren(skriptAufruf(UndoDatei), verzeichnis));
    NeuAufbauen(ModeFull, DateiListe);
}

}  // namespace engine
