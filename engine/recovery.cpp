// Recovery from the undo log: its actions, and taking back the newest open one.
//
// The rename action holds the log alone while it runs and writes, for each
// action: a header ("REM .Datei.:" + its script between two "REM ----"
// lines), before its first rename a drive line (where the folder has a
// drive) and its one cd line, before each rename the line that takes it
// back (`ren "new" "old"`), and when it finishes normally "REM .Ende.:" +
// script. "REM .Rückgängig.:" + script follows, anywhere later, once the
// action was taken back completely. Programs of the same user may append
// to the log too, so only those lines, in exactly that form, are the
// program's; any other line of the action taken back is reported and
// never run, and a rename line after a foreign change of folder is not run
// either: it may have been meant for another folder.
//
// The last rename line of an action without its end line may belong to a
// rename that was in flight when the program died (its line is written
// before the rename starts). Before the undo runs, that rename is finished
// by what the folder shows; forward it renamed `old` to `new`, and
// `temp` is the fixed name a change of letter case passes through:
//   a. `old` there, `new` free: it never started. The line is left out.
//   b. `old` and `new` two names of one file: died between link and
//      unlink. The name `new` goes; the line is left out.
//   c. `old` there, `new` an empty file of one name, in an action that
//      said "REM .Platzhalter." before its first reservation: died after
//      reserving `new` (no hard links). The reservation goes; the line is
//      left out. Without that line no action reserves, and an empty file
//      at `new` is a user's (its rename was refused, or it came later).
//   d. `temp` there: an empty `temp` beside the file at `old` (or a second
//      name of it) is the reservation of the first step and goes. Else the
//      file waits at `temp`: an empty `new` of one name beside it (the
//      second step's reservation, as in c) goes, or `new` as a second name of it
//      where the folder ignores case; then `temp` is renamed back to
//      `old`. The line is left out.
// Where the folder renames in one step, the action writes the lines of
// many rows in one append ahead of their renames; a rename of more steps
// (a change of case, the ways of b and c) always comes alone, its line the
// last in the log while it runs. So lines at the end may belong to
// renames that never began: from the first of them on (its file still at
// its old name, its new name free) they are left out, never run and so
// never reported (linesToRun below).
// Nothing a user made is touched: every name removed was made by the rename
// in flight, since only that rename's steps leave those shapes behind (a
// row is never renamed onto a name that is taken, and a change of case
// passes through `temp` alone); names are checked against the folder's
// own listing, so a folder that ignores case cannot pass off one spelling
// for another; a file's content is never removed, only one of its names or
// an empty reservation; the only move is `temp` back to `old`, which never
// replaces a file. A user's empty file in any other line, or in an action
// that ended, is never a reservation: such a line simply runs, and fails.
#include "engine/recovery.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "engine/interrupted.h"
#include "engine/namecheck.h"
#include "engine/texts.h"
#include "platform/files.h"
#include "support/text.h"

namespace engine {
namespace {

// More than any one action writes; an older part of a longer log is not
// read, and line numbers count from where the reading began.
constexpr std::size_t LogTailBytes = std::size_t(1) << 30;
constexpr const char* LineEnd = "\r\n";
constexpr std::size_t ShownLineChars = 200;   // of a foreign line in a failure

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

std::string unescaped(const std::string& text) { return support::replaceAll(text, "%%", "%", false); }

// ---- the program's lines ------------------------------------------------------

enum class Kind { Separator, Header, End, TakenBack, Reservations, Drive, Cd, Ren, Other };

struct LogLine {
    Kind kind = Kind::Other;
    std::string value;      // Header, End, TakenBack: the script as written; Cd: its folder
    std::string from, to;   // Ren: the two names, read back
};

// The folder of a cd line exactly as batchCdLine writes it.
bool readCdLine(std::string_view line, std::string& folder) {
    if (!startsWith(line, "cd ")) return false;
    std::string rest(line.substr(3));
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
    folder = unescaped(rest);
    return !folder.empty() && platform::isAbsolutePath(folder) && platform::isSeparator(folder.back()) &&
           !hasControlChar(folder) && batchCdLine(folder) == line;
}

LogLine classify(std::string_view line) {
    LogLine l;
    auto after = [&](const char* start) {
        if (!startsWith(line, start)) return false;
        l.value = std::string(line.substr(std::char_traits<char>::length(start)));
        return !l.value.empty();
    };
    if (line.size() == 84 && line == text::LogSeparator + std::string(80, '-')) l.kind = Kind::Separator;
    else if (after(text::LogScriptName)) l.kind = Kind::Header;
    else if (after(text::LogEndName)) l.kind = Kind::End;
    else if (after(text::LogTakenBackName)) l.kind = Kind::TakenBack;
    else if (line == text::LogReservations) l.kind = Kind::Reservations;
    else if (line.size() == 2 && line[1] == ':') l.kind = Kind::Drive;
    else if (readCdLine(line, l.value)) l.kind = Kind::Cd;
    else if (readRenLine(std::string(line), l.from, l.to) && batchRenLine(l.from, l.to) == line) l.kind = Kind::Ren;
    return l;
}

// A line that changes the folder of the lines after it, as the command
// interpreter would read it: "cd", "chdir", "pushd", "popd" (also "cd.."),
// or a drive.
bool changesFolder(std::string_view line) {
    const std::string t = support::toLower(support::trimSpace(std::string(line)));
    if (t.size() >= 2 && t[1] == ':' && t[0] >= 'a' && t[0] <= 'z') return true;
    std::size_t n = 0;
    while (n < t.size() && t[n] >= 'a' && t[n] <= 'z') ++n;
    const std::string word = t.substr(0, n);
    return word == "cd" || word == "chdir" || word == "pushd" || word == "popd";
}

// A foreign line as a failure shows it: its start, no control characters.
std::string shown(std::string_view line) {
    std::string t = support::leftChars(std::string(line), ShownLineChars);
    if (t.size() < line.size()) t += "...";
    for (char& c : t)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    return t;
}

// ---- one action's lines ----------------------------------------------------

struct Failure {
    int lineNo;
    std::string text;
};

struct RenEntry {
    int lineNo;
    std::string from, to;   // as the line renames: new name, old name
};

// An action read line by line after its header, as the rename action
// writes it: its drive line where the folder has one, its one cd line
// (a rename line before it has no folder), rename lines, its end line.
struct ActionRead {
    std::string script;           // as written in the header
    std::string folder, drive;    // of its own cd and drive line
    int cdLineNo = 0, driveLineNo = 0;
    bool hasFolder = false;
    bool foreignFolder = false;   // a foreign line changed the folder
    bool endSeen = false;
    bool reservations = false;    // it may have left an empty reservation
    bool lastRenRuns = false;     // the last rename line is one that runs
    int pendingDriveNo = 0;       // a drive line waiting for its cd line
    std::string pendingDrive;
    std::size_t files = 0;
    bool collect = false;         // keep the lines (the action taken back)
    std::vector<RenEntry> rens;
    std::vector<Failure> failures;
};

void foreign(ActionRead& a, int lineNo, std::string_view line, const char* reason) {
    if (a.collect) a.failures.push_back({lineNo, text::Line + std::to_string(lineNo) + ": " + shown(line) + ": " + reason});
}

void settlePendingDrive(ActionRead& a) {
    if (a.pendingDriveNo == 0) return;
    foreign(a, a.pendingDriveNo, a.pendingDrive, text::ReasonForeignLine);
    a.foreignFolder = true;
    a.pendingDriveNo = 0;
}

void readRen(ActionRead& a, int lineNo, std::string_view line, LogLine& l) {
    a.lastRenRuns = false;
    if (a.endSeen) return foreign(a, lineNo, line, text::ReasonAfterEnd);
    if (a.foreignFolder) return foreign(a, lineNo, line, text::ReasonAfterForeignFolder);
    if (!a.hasFolder) return foreign(a, lineNo, line, text::ReasonBeforeFolder);
    a.lastRenRuns = true;
    // A row whose name stayed has its line too, but renamed no file: an
    // action of only such lines is never the one to take back.
    if (l.from != l.to) ++a.files;
    if (a.collect) a.rens.push_back({lineNo, std::move(l.from), std::move(l.to)});
}

// One line of the action; headers and other actions' lines are the caller's.
void readActionLine(ActionRead& a, int lineNo, std::string_view line, LogLine& l) {
    if (l.kind == Kind::Drive && !a.hasFolder && !a.foreignFolder && a.pendingDriveNo == 0) {
        a.pendingDriveNo = lineNo;
        a.pendingDrive = std::string(line);
        return;
    }
    if (l.kind == Kind::Cd && !a.hasFolder && !a.foreignFolder &&
        batchDrive(l.value) == (a.pendingDriveNo ? a.pendingDrive : std::string())) {
        a.hasFolder = true;
        a.folder = std::move(l.value);
        a.cdLineNo = lineNo;
        a.drive = a.pendingDriveNo ? a.pendingDrive : std::string();
        a.driveLineNo = a.pendingDriveNo;
        a.pendingDriveNo = 0;
        return;
    }
    settlePendingDrive(a);
    switch (l.kind) {
        case Kind::Separator: case Kind::TakenBack: return;
        case Kind::Reservations:
            a.reservations = true;
            return;
        case Kind::End:
            if (l.value == a.script) a.endSeen = true;
            return;
        case Kind::Ren: return readRen(a, lineNo, line, l);
        default:
            foreign(a, lineNo, line, text::ReasonForeignLine);
            if (l.kind != Kind::Other || changesFolder(line)) a.foreignFolder = true;
    }
}

// ---- the actions of the log --------------------------------------------------

// Where an action's lines are in the text.
struct Span {
    std::size_t begin = 0, end = 0;   // its header line .. the next header
    int lineNo = 0;                   // of its header
};

struct LogScan {
    std::vector<LogAction> actions;
    std::vector<Span> spans;
};

// Complete lines only: what a crashed writer left at the end (zero bytes,
// a last line without its line end) is not read.
std::size_t completeEnd(const std::string& log) {
    std::size_t end = log.size();
    while (end > 0 && log[end - 1] == '\0') --end;
    while (end > 0 && log[end - 1] != '\n') --end;
    return end;
}

// Calls f(lineNo, line, start) for each line from begin to end, without its line end.
template <class F>
void eachLine(const std::string& log, std::size_t begin, std::size_t end, int lineNo, F f) {
    while (begin < end) {
        std::size_t lf = log.find('\n', begin);
        if (lf == std::string::npos || lf > end) lf = end;
        std::string_view line(log.data() + begin, lf - begin);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        f(lineNo++, line, begin);
        begin = lf + 1;
    }
}

// "undo_Quonabix_YYYY_MM_DD_HH_II_SS_tick.bat": the time the action began.
bool scriptTime(const std::string& script, platform::LocalTime& t) {
    const std::string name = support::fileNamePart(script);
    const std::string prefix = text::ScriptPrefix, suffix = text::ScriptSuffix;
    const std::size_t digits = prefix.size() + 20;   // "YYYY_MM_DD_HH_II_SS_"
    if (name.size() <= digits + suffix.size() || !startsWith(name, prefix) ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    int* parts[] = {&t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second};
    std::size_t p = prefix.size();
    for (int i = 0; i < 6; ++i) {
        const std::size_t width = i == 0 ? 4 : 2;
        int value = 0;
        for (std::size_t k = 0; k < width; ++k, ++p) {
            if (name[p] < '0' || name[p] > '9') return false;
            value = value * 10 + (name[p] - '0');
        }
        if (name[p++] != '_') return false;
        *parts[i] = value;
    }
    for (; p < name.size() - suffix.size(); ++p)
        if (name[p] < '0' || name[p] > '9') return false;
    return true;
}

LogScan scanLog(const std::string& log) {
    LogScan s;
    std::unordered_map<std::string, std::size_t> byScript;   // the newest action of each script
    ActionRead a;
    auto close = [&](std::size_t at) {
        if (s.spans.empty()) return;
        s.spans.back().end = at;
        LogAction& x = s.actions.back();
        x.folder = a.hasFolder ? a.folder : "";
        x.files = a.files;
    };
    const std::size_t end = completeEnd(log);
    eachLine(log, 0, end, 1, [&](int lineNo, std::string_view line, std::size_t start) {
        LogLine l = classify(line);
        if (l.kind == Kind::Header) {
            close(start);
            LogAction x;
            x.script = unescaped(l.value);
            x.timeKnown = scriptTime(x.script, x.time);
            byScript[l.value] = s.actions.size();
            s.actions.push_back(std::move(x));
            s.spans.push_back({start, end, lineNo});
            a = ActionRead{};
            a.script = std::move(l.value);
            return;
        }
        if (l.kind == Kind::End || l.kind == Kind::TakenBack) {
            const auto it = byScript.find(l.value);
            if (it != byScript.end()) (l.kind == Kind::End ? s.actions[it->second].ended
                                                           : s.actions[it->second].takenBack) = true;
        }
        if (!s.spans.empty()) readActionLine(a, lineNo, line, l);
    });
    close(end);
    return s;
}

// The action --log takes back: the newest with rename lines not taken back.
std::size_t openAction(const LogScan& s) {
    for (std::size_t i = s.actions.size(); i > 0; --i)
        if (s.actions[i - 1].files > 0 && !s.actions[i - 1].takenBack) return i - 1;
    return s.actions.size();
}

// The lines of one action again, this time kept.
ActionRead readAction(const std::string& log, const Span& span) {
    ActionRead a;
    a.collect = true;
    eachLine(log, span.begin, span.end, span.lineNo, [&](int lineNo, std::string_view line, std::size_t) {
        LogLine l = classify(line);
        if (lineNo == span.lineNo) a.script = std::move(l.value);
        else readActionLine(a, lineNo, line, l);
    });
    settlePendingDrive(a);
    return a;
}

// The undo script of an action: its folder lines, its first `kept` rename
// lines from the last to the first; and for each script line the log line
// it came from.
std::string undoScriptOf(const ActionRead& a, std::size_t kept, std::vector<int>& logLineOf) {
    std::string script;
    if (!a.drive.empty()) {
        script += a.drive + LineEnd;
        logLineOf.push_back(a.driveLineNo);
    }
    script += batchCdLine(a.folder) + LineEnd;
    logLineOf.push_back(a.cdLineNo);
    for (std::size_t i = kept; i > 0; --i) {
        appendBatchRenLine(script, a.rens[i - 1].from, a.rens[i - 1].to);
        script += LineEnd;
        logLineOf.push_back(a.rens[i - 1].lineNo);
    }
    return script;
}

// ---- taking it back ------------------------------------------------------------

bool appendMark(int journal, const std::string& script) {
    const std::string line = text::LogTakenBackName + batchEscape(script) + LineEnd;
    return journal != 0 && platform::journalAppend(journal, line.data(), line.size());
}

// The interpreter's failures name the lines of the script it ran; the
// user reads the log.
void addRunFailures(std::vector<Failure>& out, const BatchResult& r, const std::vector<int>& logLineOf) {
    const std::string prefix = text::Line;
    for (const std::string& f : r.failures) {
        const std::size_t colon = f.find(':', prefix.size());
        int n = 0;
        if (startsWith(f, prefix) && colon != std::string::npos) n = std::atoi(f.c_str() + prefix.size());
        if (n < 1 || n > static_cast<int>(logLineOf.size())) {
            out.push_back({0, f});
            continue;
        }
        const int logLine = logLineOf[n - 1];
        out.push_back({logLine, prefix + std::to_string(logLine) + f.substr(colon)});
    }
}

bool oldNameThere(const std::string& folder, const RenEntry& e) { return platform::fileExists(folder + e.to); }

// Not begun: the file is still at its old name and the new one is free.
bool notBegun(const std::string& folder, const RenEntry& e) {
    return oldNameThere(folder, e) && !platform::fileExists(folder + e.from);
}

// How many rename lines of an action that did not end run. Its last one
// may belong to a rename in flight, which is finished first. Lines before
// it may have been written ahead of one-step renames that never began.
// Renames happen in the order of their lines, so after the first line
// that never began none began: that first one is found as a line whose
// file is still at its old name with the new name free, after the last
// line whose old name is free (whose rename happened: a line that never
// began keeps its file at its old name, and no later line that happened
// could have taken that name). From it on, every line is left out. A
// line whose old name a user has made again after it happened keeps its
// new name taken: it runs, and fails, as it always did.
std::size_t linesToRun(const ActionRead& a, std::vector<Failure>& failures) {
    std::size_t kept = a.rens.size();
    while (kept > 0 && a.rens[kept - 1].from == a.rens[kept - 1].to) --kept;
    if (kept == 0) return kept;
    const RenEntry& last = a.rens[kept - 1];
    const Interrupted f = finishInterruptedRename(a.folder, last.from, last.to, a.reservations);
    if (f == Interrupted::Failed) {
        failures.push_back({last.lineNo, text::Line + std::to_string(last.lineNo) + ": " + a.folder + last.from +
                                             " => " + last.to + ": " + text::ReasonNotFinished});
        return kept - 1;
    }
    if (f == Interrupted::RunLine && !oldNameThere(a.folder, last)) return kept;   // it happened
    std::size_t after = kept - 1;   // the lines before the last one that happened
    while (after > 0 && (a.rens[after - 1].from == a.rens[after - 1].to || oldNameThere(a.folder, a.rens[after - 1])))
        --after;
    for (std::size_t i = after; i + 1 < kept; ++i)
        if (a.rens[i].from != a.rens[i].to && notBegun(a.folder, a.rens[i])) return i;
    return f == Interrupted::Finished ? kept - 1 : kept;
}

LogUndoResult takeBack(const std::string& log, int journal) {
    LogUndoResult result;
    result.started = true;
    const LogScan s = scanLog(log);
    const std::size_t chosen = openAction(s);
    if (chosen == s.actions.size()) return result;
    const LogAction& action = s.actions[chosen];
    ActionRead a = readAction(log, s.spans[chosen]);
    result.script = action.script;
    std::vector<Failure> failures = std::move(a.failures);
    const std::size_t kept = !action.ended && a.lastRenRuns ? linesToRun(a, failures) : a.rens.size();
    std::vector<int> logLineOf;
    const BatchResult run = runBatchText(undoScriptOf(a, kept, logLineOf), "");
    addRunFailures(failures, run, logLineOf);
    result.restScript = run.restScript;
    if (failures.empty() && !appendMark(journal, action.script))
        failures.push_back({0, text::TakenBackNotRecorded});
    std::stable_sort(failures.begin(), failures.end(),
                     [](const Failure& x, const Failure& y) { return x.lineNo < y.lineNo; });
    for (Failure& f : failures) result.failures.push_back(std::move(f.text));
    return result;
}

std::string readLog(const std::string& logPath, bool& ok) {
    std::string log;
    ok = readUndoFile(logPath, LogTailBytes, true, log);
    return log;
}

}  // namespace

std::string actionEndLine(const std::string& script) {
    return text::LogEndName + batchEscape(script) + LineEnd;
}

bool recordTakenBack(const std::string& logPath, const std::string& script) {
    if (!platform::fileExists(logPath)) return false;
    const int journal = platform::journalOpen(logPath);
    if (journal == 0) return false;
    const bool ok = appendMark(journal, script);
    return platform::journalClose(journal) && ok;
}

std::vector<LogAction> logActions(const std::string& logText) { return scanLog(logText).actions; }

bool readLogActions(const std::string& logPath, std::vector<LogAction>& out) {
    bool ok = false;
    const std::string log = readLog(logPath, ok);
    if (ok) out = logActions(log);
    return ok;
}

std::string actionList(const std::vector<LogAction>& actions) {
    if (actions.empty()) return std::string(text::ListNoAction) + "\n";
    std::string out;
    for (const LogAction& x : actions) {
        out += x.timeKnown ? support::formatDate(text::ListTimeMask, x.time) : std::string(text::ListNoTime);
        out += "  ";
        out += x.folder.empty() ? std::string(text::ListNoFolder) : x.folder;
        out += "  " + std::to_string(x.files) + (x.files == 1 ? text::ListFile : text::ListFiles) + "  ";
        out += x.files == 0 ? text::ListNothingRenamed : x.takenBack ? text::ListTakenBack : text::ListOpen;
        if (!x.ended) out += text::ListNotEnded;
        out += "\n";
    }
    return out;
}

std::string logUndoScript(const std::string& logText) {
    const LogScan s = scanLog(logText);
    const std::size_t chosen = openAction(s);
    if (chosen == s.actions.size()) return "";
    const ActionRead a = readAction(logText, s.spans[chosen]);
    std::vector<int> logLineOf;
    return undoScriptOf(a, a.rens.size(), logLineOf);
}

// The log is held while the action is taken back: a run of the program
// cannot start an action meanwhile, and one that runs an action now is
// never taken back under its hands.
LogUndoResult undoFromLog(const std::string& logPath) {
    LogUndoResult result;
    const int probe = platform::fileOpen(logPath, platform::OpenMode::ReadPrivate);
    if (probe == 0) return result;
    platform::fileClose(probe);
    platform::JournalStatus status = platform::JournalStatus::Failed;
    const int journal = platform::journalOpen(logPath, &status);
    if (status == platform::JournalStatus::Busy) {
        result.busy = true;
        return result;
    }
    bool ok = false;
    const std::string log = readLog(logPath, ok);
    if (ok) result = takeBack(log, journal);
    if (journal != 0) platform::journalClose(journal);
    return result;
}

}  // namespace engine
