// The undo-script interpreter and the writers of its lines.
//
// It understands exactly what the rename action writes: drive lines ("X:",
// the drive's root on Windows, ignored on Linux), "cd <dir>", ren "new" "old", REM lines and blank
// lines, with "%%" read back as "%". Renames never replace a file. Every
// line that fails is reported; nothing stops at the first failure, as the
// command interpreter it stands in for does not stop either.
#include "engine/batch.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "engine/texts.h"
#include "engine/repaint.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/window.h"
#include "support/filehelpers.h"
#include "support/text.h"

namespace engine {
namespace {

constexpr const char* LineEnd = "\r\n";

void appendEscaped(std::string& out, const std::string& text) {
    std::size_t from = 0;
    for (std::size_t p = text.find('%'); p != std::string::npos; p = text.find('%', p + 1)) {
        out.append(text, from, p + 1 - from);
        out += '%';
        from = p + 1;
    }
    out.append(text, from, std::string::npos);
}

std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Arguments of a ren line: quoted (blanks kept) or separated by blanks.
// A quote that is never closed makes the line unreadable: it was cut off
// (a script written only in part), and its last name would be a wrong one.
bool splitArguments(const std::string& text, std::vector<std::string>& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') { ++i; continue; }
        std::size_t end;
        if (text[i] == '"') {
            end = text.find('"', i + 1);
            if (end == std::string::npos) return false;
            out.push_back(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            end = text.find_first_of(" \t", i);
            if (end == std::string::npos) end = text.size();
            out.push_back(text.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

// A bare name in the current directory; wildcards and paths are refused,
// since the program never writes them and they could reach other files,
// and so is a quote, which no line could write back as it was read.
bool isBareName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 32 || platform::isSeparator(static_cast<char>(c)) || c == '*' || c == '?' || c == '"')
            return false;
    return true;
}

// The two names after "ren", already read back from "%%".
bool renNames(const std::string& rest, std::string& from, std::string& to) {
    std::vector<std::string> a;
    if (!splitArguments(rest, a) || a.size() != 2 || !isBareName(a[0]) || !isBareName(a[1])) return false;
    from = a[0];
    to = a[1];
    return true;
}

// A rename that failed, kept for the script of the lines still to do.
struct Leftover {
    std::string folder, from, to;
    bool safe = true;   // false once its old name belongs to another file again
};

struct BatchRun {
    BatchLimits limits;
    std::string folder;   // current directory, ending with the separator
    bool folderOk = true;
    int handle = 0;            // rename handle of folder, opened on first use
    BatchResult result;
    std::vector<Leftover> leftovers;
    // Vanished sources of failed lines (full path) -> their entry in leftovers.
    std::unordered_map<std::string, std::size_t> missingSources;
};

void report(BatchRun& l, int lineNo, const std::string& was, const char* reason) {
    l.result.failures.push_back(text::Line + std::to_string(lineNo) + ": " + was + ": " + reason);
}

void changeFolder(BatchRun& l, int lineNo, const std::string& argument) {
    std::string target = unquoted(argument);
    if (target.empty()) return;   // "cd" alone only shows the directory
    // A directory below one that is missing is missing too.
    const bool below = !platform::isAbsolutePath(target) && !platform::isSeparator(target[0]);
    target = platform::resolvePath(l.folder, target);
    if (below && !l.folderOk) {
        report(l, lineNo, batchCdLine(target), text::ReasonFolderMissing);
        return;
    }
    target = support::withTrailingSlash(target);
    if (l.handle > 0) platform::closeDirForRename(l.handle);
    l.handle = 0;
    l.folder = target;
    // After a failed cd the following renames are not run anywhere else:
    // in the directory we are still in they could hit unrelated files.
    l.folderOk = platform::isDirectory(target);
    if (!l.folderOk) report(l, lineNo, batchCdLine(target), text::ReasonFolderMissing);
}

const char* reasonOf(platform::RenameResult r) {
    switch (r) {
        case platform::RenameResult::TargetExists: return text::ReasonTargetExists;
        case platform::RenameResult::SourceMissing: return text::ReasonSourceMissing;
        default: return text::ReasonRenameFailed;
    }
}

// The directory of the following renames; -1 when it is the action's
// folder but no longer the directory the action renamed in (swapped for
// another one, or a link to one): nothing there may be renamed.
int openFolder(BatchRun& l) {
    const int h = platform::openDirForRename(l.folder);
    const BatchLimits& p = l.limits;
    if (h == 0 || !p.identityKnown || l.folder != support::withTrailingSlash(p.folder)) return h;
    platform::FileIdentity now;
    if (platform::renameDirIdentity(h, now) && now == p.identity) return h;
    platform::closeDirForRename(h);
    return -1;
}

void runRename(BatchRun& l, int lineNo, const std::string& from, const std::string& to) {
    const char* reason = nullptr;
    platform::RenameResult r = platform::RenameResult::Failed;
    if (!l.folderOk) {
        reason = text::ReasonNotRunNoFolder;
    } else {
        if (l.handle == 0) l.handle = openFolder(l);
        r = l.handle <= 0 ? platform::RenameResult::Failed : platform::renameNoReplaceAt(l.handle, from, to);
        if (r != platform::RenameResult::Ok)
            reason = l.handle < 0    ? text::ReasonFolderReplaced
                    : l.handle == 0 ? text::ReasonFolderMissing
                                    : reasonOf(r);
    }
    if (!reason) {
        // A failed line whose vanished file had this name can never be run
        // again safely: the name now belongs to the file restored here.
        if (l.missingSources.empty()) return;
        auto it = l.missingSources.find(l.folder + to);
        if (it != l.missingSources.end()) {
            l.leftovers[it->second].safe = false;
            l.missingSources.erase(it);
        }
        return;
    }
    report(l, lineNo, l.folder + from + " => " + to, reason);
    if (r == platform::RenameResult::SourceMissing)
        l.missingSources[l.folder + from] = l.leftovers.size();
    l.leftovers.push_back({l.folder, from, to, true});
}

// A script line read back from "%%", cut into its command word (lower
// case) and what follows it.
struct Command {
    std::string line, word, rest;
};

Command splitCommand(const std::string& raw) {
    Command b;
    b.line = support::trimSpace(support::replaceAll(raw, "%%", "%", false));
    const std::size_t end = b.line.find_first_of(" \t");
    b.word = support::toLower(b.line.substr(0, end));
    if (end != std::string::npos) b.rest = support::trimSpace(b.line.substr(end));
    return b;
}

void runLine(BatchRun& l, int lineNo, const std::string& raw) {
    const auto [line, word, rest] = splitCommand(raw);
    if (line.empty()) return;
    if (word == "rem") return;
    // Drive lines select a drive on Windows; Linux paths have none.
    if (word.size() == 2 && word[1] == ':' && word[0] >= 'a' && word[0] <= 'z' && rest.empty()) {
        if (platform::PathSeparator == '\\') changeFolder(l, lineNo, line + "\\");
        return;
    }
    if (word == "cd" || word == "chdir") {
        changeFolder(l, lineNo, rest);
        return;
    }
    if (word == "ren" || word == "rename") {
        std::string from, to;
        if (renNames(rest, from, to))
            runRename(l, lineNo, from, to);
        else
            report(l, lineNo, line, text::ReasonInvalidName);
        return;
    }
    report(l, lineNo, line, text::ReasonUnknownCommand);
}

// The lines the rename action writes take a short way, without copies
// beyond the two names; anything unusual goes the general way.
bool fastRen(BatchRun& l, int lineNo, std::string_view z) {
    if (!z.empty() && z.back() == '\r') z.remove_suffix(1);
    if (z.size() < 9 || z.substr(0, 5) != "ren \"" || z.back() != '"' ||
        z.find('%') != std::string_view::npos)
        return false;
    const std::size_t middle = z.find("\" \"", 5);
    if (middle == std::string_view::npos) return false;
    const std::string from(z.substr(5, middle - 5));
    const std::string to(z.substr(middle + 3, z.size() - middle - 4));
    if (from.find('"') != std::string::npos || to.find('"') != std::string::npos ||
        !isBareName(from) || !isBareName(to))
        return false;
    runRename(l, lineNo, from, to);
    return true;
}

std::string restScriptOf(const std::vector<Leftover>& leftovers) {
    std::string text, folder;
    for (const Leftover& o : leftovers) {
        if (!o.safe) continue;
        if (o.folder != folder) {
            text += directoryLines(o.folder);
            folder = o.folder;
        }
        text += batchRenLine(o.from, o.to) + LineEnd;
    }
    return text;
}

}  // namespace

// Only a regular file of this user with one name, and no more than the
// caller allows: in a shared temporary directory the file could have been
// swapped for someone else's, a link or a device.
namespace {

constexpr std::size_t ReadBytes = 65536;   // read from the file at a time

// The checks of readUndoFile, with the bytes handed on as they come.
bool readChecked(const std::string& path, std::size_t maxBytes, bool lastBytes, long long& size,
                 const std::function<void(const char*, std::size_t)>& take) {
    const int h = platform::fileOpen(path, platform::OpenMode::ReadPrivate);
    if (h == 0) return false;
    size = platform::fileSize(path);
    const long long most = static_cast<long long>(maxBytes);
    const long long skip = lastBytes && size > most ? size - most : 0;
    bool ok = skip == 0 || platform::fileSeek(h, skip);
    char buffer[ReadBytes];
    long long n = 0;
    std::size_t total = 0;
    while (ok && (n = platform::fileRead(h, buffer, sizeof buffer)) > 0 && total <= maxBytes) {
        total += static_cast<std::size_t>(n);
        if (total <= maxBytes) take(buffer, static_cast<std::size_t>(n));
    }
    platform::fileClose(h);
    return ok && n == 0 && total <= maxBytes;
}

}  // namespace

bool readUndoFile(const std::string& path, std::size_t maxBytes, bool lastBytes, std::string& text) {
    long long size = 0;
    bool reserved = false;
    return readChecked(path, maxBytes, lastBytes, size, [&](const char* data, std::size_t n) {
        // Room for the whole file at once: a log of a million lines would
        // otherwise be copied on every doubling of its buffer.
        if (!reserved && size > 0)
            text.reserve(text.size() + std::min(static_cast<std::size_t>(size), maxBytes) + 1);
        reserved = true;
        text.append(data, n);
    });
}

std::string batchEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

std::string batchDrive(const std::string& path) { return support::driveOfPath("", path); }

bool readRenLine(const std::string& line, std::string& fromName, std::string& toName) {
    const Command b = splitCommand(line);
    return (b.word == "ren" || b.word == "rename") && renNames(b.rest, fromName, toName);
}

// On Windows in quotes: a folder name may hold "&" or "^", which the
// command interpreter would otherwise take as its own.
std::string batchCdLine(const std::string& directory) {
    if (platform::PathSeparator == '\\') return "cd \"" + batchEscape(directory) + "\"";
    return "cd " + batchEscape(directory);
}

std::string directoryLines(const std::string& directory) {
    const std::string drive = batchDrive(directory);
    return (drive.empty() ? "" : drive + LineEnd) + batchCdLine(directory) + LineEnd;
}

// Written once per renamed file, so it goes straight into the caller's text.
void appendBatchRenLine(std::string& out, const std::string& fromName, const std::string& toName) {
    out += "ren \"";
    appendEscaped(out, fromName);
    out += "\" \"";
    appendEscaped(out, toName);
    out += '"';
}

std::string batchRenLine(const std::string& fromName, const std::string& toName) {
    std::string out;
    appendBatchRenLine(out, fromName, toName);
    return out;
}

namespace {

constexpr std::size_t PieceBytes = std::size_t{1} << 20;

// A script's lines as they were written, from the bytes the command
// interpreter reads, the whole script read before any line runs. Where
// those bytes are the text, it comes in pieces of about a megabyte, each of
// whole lines: the script of a million renames then needs no buffer of its
// size beside the table, and the pieces fit where the action's lines were.
bool readScript(const std::string& path, const BatchLimits& limits, std::vector<std::string>& pieces) {
    if (path.empty()) return false;
    if (!platform::ScriptBytesAreText) {
        std::string content;
        if (!readUndoFile(path, limits.maxBytes, false, content)) return false;
        pieces.push_back(platform::fromScriptBytes(std::move(content)));
        return true;
    }
    long long size = 0;
    // A piece below its size takes one more read without growing.
    constexpr std::size_t Room = PieceBytes + ReadBytes;
    return readChecked(path, limits.maxBytes, false, size, [&pieces](const char* data, std::size_t n) {
        if (pieces.empty()) pieces.emplace_back().reserve(Room);
        std::string& piece = pieces.back();
        piece.append(data, n);
        if (piece.size() < PieceBytes) return;
        const std::size_t end = piece.rfind('\n');
        if (end == std::string::npos) return;   // a line longer than a piece: it grows on
        std::string& next = pieces.emplace_back();
        next.reserve(Room);
        std::string& full = pieces[pieces.size() - 2];
        next.assign(full, end + 1, std::string::npos);
        full.resize(end + 1);
    });
}

BatchResult runLines(const std::vector<std::string_view>& pieces, const std::string& workingDirectory,
                     const BatchLimits& limits) {
    BatchRun l;
    l.limits = limits;
    l.result.started = true;
    l.folder = support::withTrailingSlash(workingDirectory.empty() ? platform::currentDirectory()
                                                        : workingDirectory);
    RepaintPacer pacer(256);   // a long undo lets the window repaint now and then
    int lineNo = 1;
    for (const std::string_view content : pieces) {
        for (std::size_t start = 0; start < content.size(); ++lineNo) {
            std::size_t end = content.find('\n', start);
            if (end == std::string_view::npos) end = content.size();
            const std::string_view line = content.substr(start, end - start);
            if (!fastRen(l, lineNo, line)) runLine(l, lineNo, std::string(line));
            start = end + 1;
            pacer.row(lineNo - 1);
        }
    }
    if (l.handle > 0) platform::closeDirForRename(l.handle);
    l.result.restScript = restScriptOf(l.leftovers);
    return l.result;
}

}  // namespace

BatchResult runBatchScript(const std::string& scriptPath, const std::string& workingDirectory,
                           const BatchLimits& limits) {
    std::vector<std::string> pieces;
    if (!readScript(scriptPath, limits, pieces)) return {};
    return runLines(std::vector<std::string_view>(pieces.begin(), pieces.end()), workingDirectory, limits);
}

BatchResult runBatchText(const std::string& content, const std::string& workingDirectory,
                         const BatchLimits& limits) {
    return runLines({std::string_view(content)}, workingDirectory, limits);
}

BatchResult startCommand(const std::string& program, const std::string& parameters,
                         const std::string& workingDirectory, const BatchLimits& limits) {
    const std::string name = support::toLower(support::fileNamePart(program));
    if (name != "cmd.exe" && name != "cmd") {
        BatchResult r;
        r.started = platform::startProgram(program, parameters, workingDirectory) != 0;
        return r;
    }
    // "/c call <script>" ("call" may be left out); the path may be quoted.
    std::string rest = support::trimSpace(parameters);
    auto startsWithWord = [&rest](const char* word, std::size_t n) {
        return support::toLower(rest.substr(0, n)) == word &&
               (rest.size() == n || rest[n] == ' ' || rest[n] == '\t');
    };
    if (!startsWithWord("/c", 2)) return {};
    rest = support::trimSpace(rest.substr(2));
    if (startsWithWord("call", 4)) rest = support::trimSpace(rest.substr(4));
    std::string script = unquoted(rest);
    if (script.empty()) return {};
    const std::string wd = workingDirectory.empty() ? platform::currentDirectory() : workingDirectory;
    if (!platform::isAbsolutePath(script)) script = support::withTrailingSlash(wd) + script;
    return runBatchScript(script, wd, limits);
}

}  // namespace engine
