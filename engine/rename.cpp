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
#include <map>
#include <vector>

#include "engine/backlines.h"
#include "engine/batch.h"
#include "engine/namecheck.h"
#include "engine/recovery.h"
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

constexpr const char* LineEnd = "\r\n";
constexpr int RowsPerLook = 200;              // rows between looks at the clock
constexpr std::size_t LinesPerMessage = 20;   // failed lines listed in one message
constexpr int NameAttempts = 1000;
// Lines written ahead in one append: few enough that recovery looks at
// them in no time, many enough that the log costs little beside the renames.
constexpr std::size_t AheadRows = 512;
constexpr std::size_t AheadBytes = 32 * 1024;

// What the undo of the latest action runs: the script at `script` as it was
// written (no larger, in the directory of that identity), or, where it
// could not be written whole, the same lines held here.
struct UndoState {
    std::string action;              // the script named in the log's header of the action
    std::string script;
    std::string text;                // only where the script is not whole
    bool complete = false;
    std::size_t bytes = 0;           // of the script as written
    std::string folder;
    platform::FileIdentity identity;
    bool identityKnown = false;
};
UndoState undoState;

// Why each row of the last actions failed, by row: the tool tip of its
// "Fehler". A row keeps its reason until an action processes it again.
// Only failed rows have one, so a million renamed rows need no entry.
std::map<int, const char*> failureReasons;

struct AheadRow {
    int row = 0;
    std::string oldName, newName;
    RowVerdict verdict = RowVerdict::Rename;
    std::size_t bytes = 0;      // of its line in the log (with the folder lines before it)
    bool withFolder = false;    // the action's folder lines came with its line
};

struct Action {
    std::string folder;              // of every row, ending with "/"
    FolderFacts facts;               // what the verdict of a row needs of it
    int dirHandle = 0;
    platform::FileIdentity identity;
    bool identityKnown = false;
    int script = 0;
    int log = 0;
    bool folderInLog = false;        // drive and cd lines written into the log
    bool reservationsLogged = false; // the log says that this action may leave a reservation
    BackLines back;                  // the rename-back lines, in action order
    // Rows whose lines went to the log in one append ahead of their
    // renames, each a rename of one step or a name kept; those from
    // nextAhead on are still to do.
    std::vector<AheadRow> ahead;
    std::size_t nextAhead = 0;
    bool aheadOff = false;           // such an append failed: one line per append from then on
    int renamed = 0;                 // files renamed on disk
    bool aborted = false;
    bool logFull = false;            // a line could not be recorded: stopped
};

std::string undoScriptName(const platform::LocalTime& now, uint32_t tick) {
    std::string t = std::to_string(tick);
    if (t.size() > 6) t.erase(0, t.size() - 6);
    return support::TempVerzeichnis + text::ScriptPrefix +
           support::formatDate(text::ScriptTimeMask, now) + "_" + t + text::ScriptSuffix;
}

// A new private script; an existing name (a second action in the same
// millisecond, or something planted there) is never reused: the next tick
// value gives the next name. A temporary directory with a line break in its
// name would split the log's script-name line into a command.
int createUndoScript(std::string& path) {
    if (hasControlChar(support::TempVerzeichnis)) return 0;
    const platform::LocalTime now = platform::localNow();
    uint32_t tick = platform::tickCount();
    for (int i = 0; i < NameAttempts; ++i, ++tick) {
        path = undoScriptName(now, tick);
        const int h = platform::fileOpen(path, platform::OpenMode::CreatePrivate);
        if (h != 0) return h;
        if (!platform::fileExists(path)) return 0;
    }
    return 0;
}

bool writeLogHeader(const Action& a, const std::string& script) {
    const std::string separator = text::LogSeparator + std::string(80, '-') + LineEnd;
    const std::string header =
        separator + text::LogScriptName + batchEscape(script) + LineEnd + separator;
    return platform::journalAppend(a.log, header.data(), header.size());
}

// Without both undo files nothing is renamed: a rename that cannot be
// undone is not started. The log is held by this run until the action
// ends, so no other run's lines come between this action's lines.
bool openUndoFiles(Action& a, std::string& script) {
    const std::string logPath = support::TempVerzeichnis + text::LogName;
    platform::JournalStatus status = platform::JournalStatus::Failed;
    a.script = createUndoScript(script);
    if (a.script != 0) a.log = platform::journalOpen(logPath, &status);
    if (a.log != 0 && writeLogHeader(a, script)) return true;
    if (a.log != 0) platform::journalClose(a.log);
    a.log = 0;
    if (a.script != 0) platform::fileClose(a.script);
    a.script = 0;
    std::string text = text::UndoNotCreated;
    if (status == platform::JournalStatus::Busy) text += text::LogBusy + logPath + "\\n \\n ";
    support::yInfoBox(text::Title, text + text::ActionAborted, 0);
    return false;
}

// The folder must still be the one the table was read from: a folder
// swapped for another one (or for a link to one) keeps its name but would
// have its files renamed by rows they do not belong to.
bool openFolder(Action& a) {
    if (a.folder.empty()) return true;
    a.dirHandle = platform::openDirForRename(a.folder);
    if (a.dirHandle == 0) return true;   // every row fails and says so
    a.identityKnown = platform::renameDirIdentity(a.dirHandle, a.identity);
    const ListedFolder& l = listedFolder;
    if (!l.known || support::withTrailingSlash(l.path) != a.folder ||
        (a.identityKnown && a.identity == l.identity))
        return true;
    platform::closeDirForRename(a.dirHandle);
    a.dirHandle = 0;
    support::yInfoBox(text::Title, text::FolderReplaced + a.folder + text::ChooseAgain +
                                        text::ActionAborted, platform::BoxOk);
    return false;
}

// The question for a row whose verdict fails. A folder whose path holds a
// line break would put a second command into the undo files' cd line, so
// its rows are invalid like invalid names; so is a name the folder's file
// system would refuse or alter.
std::string rowQuestion(const Action& a, RowVerdict v, const std::string& oldName, const std::string& newName) {
    if (v == RowVerdict::NoName) return std::string(text::InvalidNewName) + text::ActionAborted;
    return std::string(text::InvalidNames) + text::InFile + a.folder + oldName + text::Or + a.folder + newName +
           text::BlankLine + text::ActionAborted;
}

const char* reasonOf(platform::RenameResult r) {
    using platform::RenameResult;
    switch (r) {
        case RenameResult::TargetExists: return text::WhyTaken;
        case RenameResult::SourceMissing: return text::WhyMissing;
        case RenameResult::NotAFile: return text::WhyNotAFile;
        case RenameResult::NoPermission: return text::WhyNoPermission;
        case RenameResult::InUse: return text::WhyInUse;
        case RenameResult::DiskFull: return text::WhyDiskFull;
        case RenameResult::NameTooLong: return text::WhyTooLong;
        case RenameResult::NameRefused: return text::WhyRefused;
        default: return text::WhyFailed;
    }
}

// The drive and cd lines that put a script or the log into the action's
// directory.
std::string folderLines(const Action& a) { return directoryLines(a.folder); }

// The line that renames a file back, kept for the undo script.
void keepLine(Action& a, const std::string& oldName, const std::string& newName) { a.back.add(newName, oldName); }

// Write-ahead: the line that renames the file back is in the log before
// the rename starts. Every row lies in the one directory of the action, so
// its drive and cd lines come once, before the first rename-back line.
// False when the line could not be recorded: then the row is not renamed.
bool recordAhead(Action& a, const std::string& oldName, const std::string& newName) {
    const std::string_view line = a.back.add(newName, oldName);
    bool ok;
    if (a.folderInLog) {
        ok = platform::journalAppend(a.log, line.data(), line.size());
    } else {
        std::string text = folderLines(a);
        text.append(line);
        ok = a.folderInLog = platform::journalAppend(a.log, text.data(), text.size());
    }
    if (!ok) a.back.dropLast();
    return ok;
}

// The rename did not happen: its line leaves the log and the script again,
// so that replaying the log never moves a file this action did not move.
void discardLine(Action& a) {
    const bool withFolderLines = a.back.count() == 1;
    a.back.dropLast();
    if (platform::journalTakeBack(a.log)) {
        if (withFolderLines) a.folderInLog = false;
    } else {
        a.logFull = true;   // the log no longer says what happened: stop here
    }
}

// The lines of the next rows from `first` on, in one append ahead of
// their renames: as long as each is a rename of one step (or keeps its
// name), a crash leaves each of them done or not begun, and recovery
// passes over those not begun. A row whose rename may take more steps,
// or that fails before any rename, ends the append: it comes alone.
void writeAhead(Action& a, int first, int rows) {
    a.ahead.clear();
    a.nextAhead = 0;
    if (a.dirHandle == 0 || a.aheadOff || platform::renameMayReserve(a.dirHandle)) return;
    auto& w = platform::win();
    std::string text = a.folderInLog ? std::string() : folderLines(a);
    const std::size_t folderBytes = text.size();
    for (int z = first; z < rows && a.ahead.size() < AheadRows && text.size() < AheadBytes; ++z) {
        if (!(w.getRowState(ids::FileTable, z) & platform::RowTicked)) continue;
        AheadRow p;
        p.row = z;
        p.oldName = w.getCell(ids::FileTable, z, ids::ColCurrent);
        p.newName = w.getCell(ids::FileTable, z, ids::ColNew);
        p.verdict = rowVerdict(a.facts, p.oldName, currentName(p.oldName), p.newName);
        if (p.verdict == RowVerdict::Protected) continue;
        if (fails(p.verdict) ||
            (p.verdict == RowVerdict::Rename && !platform::renameIsOneStep(a.dirHandle, p.oldName, p.newName)))
            break;
        const std::size_t start = text.size();
        appendBatchRenLine(text, p.newName, p.oldName);
        text += LineEnd;
        p.withFolder = a.ahead.empty() && folderBytes > 0;
        p.bytes = text.size() - start + (p.withFolder ? folderBytes : 0);
        a.ahead.push_back(std::move(p));
    }
    if (a.ahead.empty()) return;
    if (platform::journalAppend(a.log, text.data(), text.size())) {
        a.folderInLog = true;
        return;
    }
    // Perhaps a full disk: the rows go one line at a time, as far as they fit.
    a.ahead.clear();
    a.aheadOff = true;
}

// The lines of the rows still ahead leave the log: the next of them does
// not rename as written ahead.
void cutAhead(Action& a) {
    std::size_t bytes = 0;
    bool withFolder = false;
    for (std::size_t i = a.nextAhead; i < a.ahead.size(); ++i) {
        bytes += a.ahead[i].bytes;
        withFolder = withFolder || a.ahead[i].withFolder;
    }
    a.ahead.clear();
    a.nextAhead = 0;
    if (bytes == 0) return;
    if (!platform::journalCutBack(a.log, bytes)) a.logFull = true;   // the log no longer says what happened
    else if (withFolder) a.folderInLog = false;
}

void reportLogFull(const Action& a) {
    std::string text = std::string(text::LogFull) + support::TempVerzeichnis + text::LogName;
    text += a.renamed == 0 ? std::string(text::NothingRenamed)
                           : text::StoppedAfter + std::to_string(a.renamed) + text::StoppedFiles;
    support::yInfoBox(text::Title, text, platform::BoxOk);
}

// Before the first reservation the log says that this action may leave
// one: recovery removes an empty file under a new name only then, so a
// user's own empty file is never taken for one.
bool logReservations(Action& a) {
    const std::string line = std::string(text::LogReservations) + LineEnd;
    a.reservationsLogged = platform::journalAppend(a.log, line.data(), line.size());
    if (!a.reservationsLogged) a.logFull = true;
    return a.reservationsLogged;
}

// Where the folder's file system may need a reservation, the new name is
// looked at before its line is recorded: a line never stands beside a file
// that had the name already.
platform::RenameResult renameRecorded(Action& a, const std::string& oldName, const std::string& newName) {
    using platform::RenameResult;
    for (;;) {
        if (platform::renameMayReserve(a.dirHandle) && platform::nameTakenAt(a.dirHandle, newName, oldName))
            return RenameResult::TargetExists;
        if (!recordAhead(a, oldName, newName)) {
            a.logFull = true;
            return RenameResult::Failed;
        }
        const RenameResult r = platform::renameNoReplaceAt(a.dirHandle, oldName, newName, a.reservationsLogged);
        if (r == RenameResult::Ok) return r;
        discardLine(a);
        if (r != RenameResult::ReservationNeeded || a.logFull || !logReservations(a)) return r;
    }
}

void failRow(Action& a, int row, const char* reason, const std::string& question) {
    auto& w = platform::win();
    w.setCell(ids::FileTable, row, ids::ColStatus, text::StatusFailed);
    failureReasons[row] = reason;
    if (a.logFull) {
        failureReasons[row] = text::WhyLogFull;
        reportLogFull(a);
        return;
    }
    if (support::yInfoBox(text::Title, question, platform::BoxOkCancel) != platform::AnswerOk) a.aborted = true;
}

void settleRow(Action& a, int row, RowVerdict v, const std::string& oldName, const std::string& newName,
               platform::RenameResult r) {
    auto& w = platform::win();
    // A protected row is never renamed, so there is nothing to rename back.
    if (r == platform::RenameResult::Ok) {
        w.setCell(ids::FileTable, row, ids::ColStatus, text::StatusOk);
        if (v == RowVerdict::Rename) ++a.renamed;
        return;
    }
    failRow(a, row, a.dirHandle == 0 ? text::WhyFolderMissing : reasonOf(r),
            std::string(text::RenameFailed) + text::RenameLine + a.folder + oldName + text::Arrow + a.folder +
                newName + text::BlankLine + text::GoOnOrStop);
}

// A row whose line was written ahead: its rename alone. Where that does
// not happen as written, the lines ahead leave the log first, and a rename
// that takes more steps goes on as a row written alone.
void renameAhead(Action& a, int row) {
    using platform::RenameResult;
    const AheadRow p = std::move(a.ahead[a.nextAhead]);
    RenameResult r = p.verdict == RowVerdict::Unchanged
                         ? RenameResult::Ok
                         : platform::renameOneStepAt(a.dirHandle, p.oldName, p.newName);
    if (r == RenameResult::Ok) {
        ++a.nextAhead;
        keepLine(a, p.oldName, p.newName);
    } else {
        cutAhead(a);
        if (a.logFull) r = RenameResult::Failed;
        else if (r == RenameResult::StepsNeeded) r = renameRecorded(a, p.oldName, p.newName);
    }
    settleRow(a, row, p.verdict, p.oldName, p.newName, r);
}

void processRow(Action& a, int row) {
    auto& w = platform::win();
    if (a.nextAhead < a.ahead.size() && a.ahead[a.nextAhead].row == row) return renameAhead(a, row);
    if (!(w.getRowState(ids::FileTable, row) & platform::RowTicked)) return;
    const std::string oldName = w.getCell(ids::FileTable, row, ids::ColCurrent);
    const std::string newName = w.getCell(ids::FileTable, row, ids::ColNew);
    const RowVerdict v = rowVerdict(a.facts, oldName, currentName(oldName), newName);
    if (fails(v)) return failRow(a, row, verdictReason(v, a.facts), rowQuestion(a, v, oldName, newName));
    platform::RenameResult r = platform::RenameResult::Ok;
    if (v == RowVerdict::Unchanged) {
        // Nothing moves; its line from the name to itself is written all the same.
        if (!recordAhead(a, oldName, newName)) {
            a.logFull = true;
            return failRow(a, row, text::WhyLogFull, "");
        }
    } else if (v == RowVerdict::Rename) {
        r = a.dirHandle == 0 ? platform::RenameResult::Failed : renameRecorded(a, oldName, newName);
    }
    settleRow(a, row, v, oldName, newName, r);
}

// Undoing runs the lines from the last rename back to the first. The
// script and the log reach the disk once, here.
void finishAction(Action& a, const std::string& script) {
    cutAhead(a);
    if (a.dirHandle != 0) platform::closeDirForRename(a.dirHandle);
    // The script holds the folder lines, then the lines from the last to
    // the first. Where its bytes are the text, the blocks go to it one by
    // one: never a second copy of every line at the action's peak.
    std::string text;
    std::size_t bytes = 0;
    bool written = true;
    const std::string head = a.back.empty() ? std::string() : folderLines(a);
    if (!a.back.empty()) {
        if (platform::ScriptBytesAreText) {
            bytes = a.back.bytes(head);
            written = a.back.writeLastFirst(head, [&a](std::string_view piece) {
                return platform::fileWrite(a.script, piece.data(), piece.size());
            });
        } else {
            text = a.back.textLastFirst(head);
            const std::string scriptBytes = platform::toScriptBytes(text);
            bytes = scriptBytes.size();
            written = platform::fileWrite(a.script, scriptBytes);
        }
    }
    // The end line tells recovery that no rename of this action is in flight.
    // Both files are written before either is synced: the disk then takes
    // them in one go.
    const std::string end = actionEndLine(script);
    platform::journalAppend(a.log, end.data(), end.size());
    written = platform::fileSync(a.script) && written;
    written = platform::fileClose(a.script) && written;
    platform::journalClose(a.log);
    // The lines stay in memory only where the script could not take them.
    if (written) std::string().swap(text);
    else if (text.empty() && !a.back.empty()) text = a.back.textLastFirst(head);
    a.back.clear();
    undoState = {script, script, std::move(text), written, bytes, a.folder, a.identity, a.identityKnown};
    // A full disk was reported already, with what the undo does.
    if (!written && !a.logFull)
        support::yInfoBox(text::Title, text::ScriptNotWritten + script + text::ScriptInMemory +
                                            support::TempVerzeichnis + text::LogName, platform::BoxOk);
}

std::string failureList(const std::vector<std::string>& failures) {
    std::string text;
    for (std::size_t i = 0; i < failures.size() && i < LinesPerMessage; ++i)
        text += (i ? "\\n " : "") + failures[i];
    if (failures.size() > LinesPerMessage)
        text += std::string("\\n ") + text::MoreLines + std::to_string(failures.size() - LinesPerMessage);
    return text;
}

// Success is reported only when every line was carried out. Otherwise the
// lines still to do become the next undo, so that "Rückgängig" can be
// pressed again once the cause is removed, without running the lines that
// already succeeded a second time; they stay in memory when no script can
// be written for them.
void reportUndo(const BatchResult& r) {
    auto& w = platform::win();
    if (!r.started) {
        support::yInfoBox(text::Title, text::UndoScriptUnreadable + UndoDatei, platform::BoxOk);
        return;
    }
    if (r.failures.empty()) {
        // The log says so, and `quonabix-undo --log` takes back the action before.
        recordTakenBack(support::TempVerzeichnis + text::LogName, undoState.action);
        support::yInfoBox(text::Title, text::AllUndone, platform::BoxOk);
        w.enable(ids::UndoButton, false);
        return;
    }
    const bool again = !r.restScript.empty();
    if (again) {
        std::string rest;
        const int h = createUndoScript(rest);
        bool written = h != 0 && platform::fileWrite(h, platform::toScriptBytes(r.restScript));
        if (h != 0) written = platform::fileClose(h) && written;
        if (h != 0) UndoDatei = rest;
        undoState.script = UndoDatei;
        undoState.text = r.restScript;
        undoState.complete = written;
        undoState.bytes = platform::toScriptBytes(r.restScript).size();
    }
    w.enable(ids::UndoButton, again);
    std::string text = text::NotUndone + failureList(r.failures);
    if (again) text += std::string("\\n \\n ") + text::RunAgainHint;
    support::yInfoBox(text::Title, text, platform::BoxOk);
}

std::string scriptCall(const std::string& script) { return "/c call \"" + script + "\""; }

// Runs the undo of the latest action: its script as the program wrote it,
// or the lines in memory where the script is not whole; renames happen only
// in the directory the action renamed in.
BatchResult runUndo(const std::string& parameter, const std::string& workingDir) {
    const UndoState& u = undoState;
    if (u.script != UndoDatei || UndoDatei.empty())
        return startCommand("cmd.exe", parameter, workingDir);
    BatchLimits p;
    p.maxBytes = u.bytes;
    p.folder = u.folder;
    p.identity = u.identity;
    p.identityKnown = u.identityKnown;
    if (!u.complete) return runBatchText(u.text, workingDir, p);
    return startCommand("cmd.exe", parameter, workingDir, p);
}

// The tool tip of a row's "Fehler": why the last action that processed it
// did not rename it.
std::string failureText(int row) {
    const auto it = failureReasons.find(row);
    if (it == failureReasons.end() || !it->second) return "";
    if (platform::win().getCell(ids::FileTable, row, ids::ColStatus) != text::StatusFailed) return "";
    return it->second;
}

// Clicks on "Rename" that arrived while the action ran were made on the
// table as it was before: a double click is no request for a second action.
struct DropClicksAtEnd {
    ~DropClicksAtEnd() { platform::win().dropQueuedClicks(ids::RenameButton); }
};

}  // namespace

void RenameAusfuehren() {
    auto& w = platform::win();
    const DropClicksAtEnd dropClicks;
    Action a;
    RenameErfolgt = 1;
    const int rows = w.countRows(ids::FileTable);
    a.folder = support::withTrailingSlash(w.getText(ids::FolderTree));
    a.facts = folderFacts(a.folder);
    w.setStatusTexts(ids::FileTable, failureText);
    // An action that renames nothing leaves the undo of the one before.
    const bool wasEnabled = w.isEnabled(ids::UndoButton);
    const std::string previousScript = UndoDatei;
    const UndoState previous = undoState;
    w.enable(ids::UndoButton, true);
    std::string script;
    if (openFolder(a) && openUndoFiles(a, script)) {
        UndoDatei = script;
        RepaintPacer pacer(RowsPerLook);
        for (int z = 0; z < rows && !a.aborted && !a.logFull; ++z) {
            if (a.nextAhead >= a.ahead.size()) writeAhead(a, z, rows);
            processRow(a, z);
            pacer.row(z);
        }
        finishAction(a, script);
    } else if (a.dirHandle != 0) {
        platform::closeDirForRename(a.dirHandle);
    }
    if (a.renamed == 0) {
        UndoDatei = previousScript;
        undoState = previous;
        w.enable(ids::UndoButton, wasEnabled);
    }
    if (!a.aborted) {
        NeuAufbauen(ModeRefresh, DateiListe);
        return;
    }
    if (a.renamed == 0) {
        support::yInfoBox(text::Title, text::AllUndone, platform::BoxOk);
    } else {
        // The script runs from its own directory, as a revert by hand would.
        reportUndo(runUndo(scriptCall(support::fileNamePart(UndoDatei)),
                           support::directoryPart(UndoDatei)));
    }
    NeuAufbauen(ModeFull, DateiListe);
}

void RenameRueckgaengig() {
    const std::string folder = platform::win().getText(ids::FolderTree);
    // The undo runs to its end before the table lists the directory again.
    reportUndo(runUndo(scriptCall(UndoDatei), folder));
    NeuAufbauen(ModeFull, DateiListe);
}

}  // namespace engine
