// The undo-script interpreter and the writers of its lines.
//
// It understands exactly what the rename action writes: drive lines ("X:",
// accepted and ignored), "cd <dir>", ren "new" "old", REM lines and blank
// lines, with "%%" read back as "%". Renames never replace a file. Every
// line that fails is reported; nothing stops at the first failure, as the
// command interpreter it stands in for does not stop either.
#include "engine/batch.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "engine/texts.h"
#include "engine/repaint.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/window.h"
#include "support/filehelpers.h"
#include "support/text.h"

namespace engine {
namespace {

constexpr const char* ZeilenEnde = "\r\n";

void anhaengenEscaped(std::string& out, const std::string& text) {
    std::size_t von = 0;
    for (std::size_t p = text.find('%'); p != std::string::npos; p = text.find('%', p + 1)) {
        out.append(text, von, p + 1 - von);
        out += '%';
        von = p + 1;
    }
    out.append(text, von, std::string::npos);
}

std::string ohneAnfuehrung(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Arguments of a ren line: quoted (blanks kept) or separated by blanks.
// A quote that is never closed makes the line unreadable: it was cut off
// (a script written only in part), and its last name would be a wrong one.
bool argumente(const std::string& text, std::vector<std::string>& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') { ++i; continue; }
        std::size_t ende;
        if (text[i] == '"') {
            ende = text.find('"', i + 1);
            if (ende == std::string::npos) return false;
            out.push_back(text.substr(i + 1, ende - i - 1));
            i = ende + 1;
        } else {
            ende = text.find_first_of(" \t", i);
            if (ende == std::string::npos) ende = text.size();
            out.push_back(text.substr(i, ende - i));
            i = ende;
        }
    }
    return true;
}

// A bare name in the current directory; wildcards and paths are refused,
// since the program never writes them and they could reach other files,
// and so is a quote, which no line could write back as it was read.
bool einfacherName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 32 || platform::isSeparator(static_cast<char>(c)) || c == '*' || c == '?' || c == '"')
            return false;
    return true;
}

// The two names after "ren", already read back from "%%".
bool renNamen(const std::string& rest, std::string& von, std::string& nach) {
    std::vector<std::string> a;
    if (!argumente(rest, a) || a.size() != 2 || !einfacherName(a[0]) || !einfacherName(a[1])) return false;
    von = a[0];
    nach = a[1];
    return true;
}

// A rename that failed, kept for the script of the lines still to do.
struct Offen {
    std::string verzeichnis, von, nach;
    bool sicher = true;   // false once its old name belongs to another file again
};

struct Lauf {
    BatchPruefung pruefung;
    bool nurPruefen = false;   // the renames ran already: only look whether they took place
    std::string verzeichnis;   // current directory, ending with "/"
    bool verzeichnisOk = true;
    int handle = 0;            // rename handle of verzeichnis, opened on first use
    BatchErgebnis ergebnis;
    std::vector<Offen> offen;
    // Vanished sources of failed lines (full path) -> their entry in offen.
    std::unordered_map<std::string, std::size_t> fehlendeQuellen;
};

void melden(Lauf& l, int nr, const std::string& was, const char* grund) {
    l.ergebnis.fehler.push_back(text::Zeile + std::to_string(nr) + ": " + was + ": " + grund);
}

void wechsleVerzeichnis(Lauf& l, int nr, const std::string& argument) {
    std::string ziel = ohneAnfuehrung(argument);
    if (ziel.empty()) return;   // "cd" alone only shows the directory
    // "\x" on Windows lies on the drive of the current directory.
    if (!platform::isAbsolutePath(ziel) && platform::isSeparator(ziel[0]) && platform::PathSeparator == '\\')
        ziel = platform::pathRoot(l.verzeichnis).substr(0, 2) + ziel;
    // A directory relative to one that is missing is missing too.
    const bool relativ = !platform::isAbsolutePath(ziel);
    if (relativ) ziel = l.verzeichnis + ziel;
    if (relativ && !l.verzeichnisOk) {
        melden(l, nr, yBatchCdZeile(ziel), text::GrundVerzeichnisFehlt);
        return;
    }
    ziel = support::withTrailingSlash(ziel);
    if (l.handle > 0) platform::closeDirForRename(l.handle);
    l.handle = 0;
    l.verzeichnis = ziel;
    // After a failed cd the following renames are not run anywhere else:
    // in the directory we are still in they could hit unrelated files.
    l.verzeichnisOk = platform::isDirectory(ziel);
    if (!l.verzeichnisOk) melden(l, nr, yBatchCdZeile(ziel), text::GrundVerzeichnisFehlt);
}

const char* grundVon(platform::RenameResult r) {
    switch (r) {
        case platform::RenameResult::TargetExists: return text::GrundZielDa;
        case platform::RenameResult::SourceMissing: return text::GrundQuelleFehlt;
        default: return text::GrundRenameFehler;
    }
}

// The directory of the following renames; -1 when it is the action's
// folder but no longer the directory the action renamed in (swapped for
// another one, or a link to one): nothing there may be renamed.
int oeffnen(Lauf& l) {
    const int h = platform::openDirForRename(l.verzeichnis);
    const BatchPruefung& p = l.pruefung;
    if (h == 0 || !p.kennungBekannt || l.verzeichnis != support::withTrailingSlash(p.verzeichnis)) return h;
    platform::FileIdentity jetzt;
    if (platform::renameDirIdentity(h, jetzt) && jetzt == p.kennung) return h;
    platform::closeDirForRename(h);
    return -1;
}

// After the command interpreter ran the script: what its rename of a line
// left behind, as the rename itself would have reported it.
platform::RenameResult nachgeprueft(const Lauf& l, const std::string& von, const std::string& nach) {
    const bool alt = platform::fileExists(l.verzeichnis + von);
    const bool neu = platform::fileExists(l.verzeichnis + nach);
    if (neu && (!alt || support::yLower(von) == support::yLower(nach))) return platform::RenameResult::Ok;
    if (alt && neu) return platform::RenameResult::TargetExists;
    return alt ? platform::RenameResult::Failed : platform::RenameResult::SourceMissing;
}

void benenneUm(Lauf& l, int nr, const std::string& von, const std::string& nach) {
    const char* grund = nullptr;
    platform::RenameResult r = platform::RenameResult::Failed;
    if (!l.verzeichnisOk) {
        grund = text::GrundOhneVerzeichnis;
    } else {
        if (l.handle == 0) l.handle = oeffnen(l);
        r = l.handle <= 0 ? platform::RenameResult::Failed
            : l.nurPruefen ? nachgeprueft(l, von, nach)
                           : platform::renameNoReplaceAt(l.handle, von, nach);
        if (r != platform::RenameResult::Ok)
            grund = l.handle < 0    ? text::GrundVerzeichnisErsetzt
                    : l.handle == 0 ? text::GrundVerzeichnisFehlt
                                    : grundVon(r);
    }
    if (!grund) {
        // A failed line whose vanished file had this name can never be run
        // again safely: the name now belongs to the file restored here.
        if (l.fehlendeQuellen.empty()) return;
        auto it = l.fehlendeQuellen.find(l.verzeichnis + nach);
        if (it != l.fehlendeQuellen.end()) {
            l.offen[it->second].sicher = false;
            l.fehlendeQuellen.erase(it);
        }
        return;
    }
    melden(l, nr, l.verzeichnis + von + " => " + nach, grund);
    if (r == platform::RenameResult::SourceMissing)
        l.fehlendeQuellen[l.verzeichnis + von] = l.offen.size();
    l.offen.push_back({l.verzeichnis, von, nach, true});
}

// A script line read back from "%%", cut into its command word (lower
// case) and what follows it.
struct Befehl {
    std::string zeile, wort, rest;
};

Befehl zerlegen(const std::string& roh) {
    Befehl b;
    b.zeile = support::yTrimSpace(support::yReplaceAll(roh, "%%", "%", false));
    const std::size_t ende = b.zeile.find_first_of(" \t");
    b.wort = support::yLower(b.zeile.substr(0, ende));
    if (ende != std::string::npos) b.rest = support::yTrimSpace(b.zeile.substr(ende));
    return b;
}

void zeileAusfuehren(Lauf& l, int nr, const std::string& roh) {
    const auto [zeile, wort, rest] = zerlegen(roh);
    if (zeile.empty()) return;
    if (wort == "rem") return;
    // Drive lines select a drive on Windows; Linux paths have none.
    if (wort.size() == 2 && wort[1] == ':' && wort[0] >= 'a' && wort[0] <= 'z' && rest.empty()) {
        if (platform::PathSeparator == '\\') wechsleVerzeichnis(l, nr, zeile + "\\");
        return;
    }
    if (wort == "cd" || wort == "chdir") {
        wechsleVerzeichnis(l, nr, rest);
        return;
    }
    if (wort == "ren" || wort == "rename") {
        std::string von, nach;
        if (renNamen(rest, von, nach))
            benenneUm(l, nr, von, nach);
        else
            melden(l, nr, zeile, text::GrundUngueltigerName);
        return;
    }
    melden(l, nr, zeile, text::GrundUnbekannt);
}

// The lines the rename action writes take a short way, without copies
// beyond the two names; anything unusual goes the general way.
bool schnellerRen(Lauf& l, int nr, std::string_view z) {
    if (!z.empty() && z.back() == '\r') z.remove_suffix(1);
    if (z.size() < 9 || z.substr(0, 5) != "ren \"" || z.back() != '"' ||
        z.find('%') != std::string_view::npos)
        return false;
    const std::size_t mitte = z.find("\" \"", 5);
    if (mitte == std::string_view::npos) return false;
    const std::string von(z.substr(5, mitte - 5));
    const std::string nach(z.substr(mitte + 3, z.size() - mitte - 4));
    if (von.find('"') != std::string::npos || nach.find('"') != std::string::npos ||
        !einfacherName(von) || !einfacherName(nach))
        return false;
    benenneUm(l, nr, von, nach);
    return true;
}

std::string restSkript(const std::vector<Offen>& offen) {
    std::string text, verzeichnis;
    for (const Offen& o : offen) {
        if (!o.sicher) continue;
        if (o.verzeichnis != verzeichnis) {
            text += directoryLines(o.verzeichnis);
            verzeichnis = o.verzeichnis;
        }
        text += yBatchRenZeile(o.von, o.nach) + ZeilenEnde;
    }
    return text;
}

}  // namespace

// Only a regular file of this user with one name, and no more than the
// caller allows: in a shared temporary directory the file could have been
// swapped for someone else's, a link or a device.
bool readUndoFile(const std::string& path, std::size_t maxBytes, bool lastBytes, std::string& text) {
    const int h = platform::fileOpen(path, platform::OpenMode::ReadPrivate);
    if (h == 0) return false;
    const long long size = platform::fileSize(path);
    const long long most = static_cast<long long>(maxBytes);
    const long long skip = lastBytes && size > most ? size - most : 0;
    bool ok = skip == 0 || platform::fileSeek(h, skip);
    char buffer[65536];
    long long n = 0;
    while (ok && (n = platform::fileRead(h, buffer, sizeof buffer)) > 0 && text.size() <= maxBytes)
        text.append(buffer, static_cast<std::size_t>(n));
    platform::fileClose(h);
    return ok && n == 0 && text.size() <= maxBytes;
}

std::string yBatchEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    anhaengenEscaped(out, text);
    return out;
}

std::string yBatchLaufwerk(const std::string& path) { return support::yDriveOfPath("", path); }

bool readRenLine(const std::string& line, std::string& fromName, std::string& toName) {
    const Befehl b = zerlegen(line);
    return (b.wort == "ren" || b.wort == "rename") && renNamen(b.rest, fromName, toName);
}

// On Windows in quotes: a folder name may hold "&" or "^", which the
// command interpreter would otherwise take as its own.
std::string yBatchCdZeile(const std::string& directory) {
    if (platform::PathSeparator == '\\') return "cd \"" + yBatchEscape(directory) + "\"";
    return "cd " + yBatchEscape(directory);
}

std::string directoryLines(const std::string& directory) {
    const std::string drive = yBatchLaufwerk(directory);
    return (drive.empty() ? "" : drive + ZeilenEnde) + yBatchCdZeile(directory) + ZeilenEnde;
}

// Written once per renamed file, so it goes straight into the caller's text.
void yBatchRenZeileAnhaengen(std::string& out, const std::string& fromName, const std::string& toName) {
    out += "ren \"";
    anhaengenEscaped(out, fromName);
    out += "\" \"";
    anhaengenEscaped(out, toName);
    out += '"';
}

std::string yBatchRenZeile(const std::string& fromName, const std::string& toName) {
    std::string out;
    yBatchRenZeileAnhaengen(out, fromName, toName);
    return out;
}

BatchErgebnis yRunBatch(const std::string& scriptPath, const std::string& workingDirectory,
                        const BatchPruefung& pruefung) {
    std::string inhalt;
    if (scriptPath.empty() || !readUndoFile(scriptPath, pruefung.hoechstensBytes, false, inhalt)) return {};
    return runBatchText(platform::fromScriptBytes(inhalt), workingDirectory, pruefung);
}

namespace {

BatchErgebnis ausfuehren(const std::string& inhalt, const std::string& workingDirectory,
                         const BatchPruefung& pruefung, bool nurPruefen) {
    Lauf l;
    l.pruefung = pruefung;
    l.nurPruefen = nurPruefen;
    l.ergebnis.gestartet = true;
    l.verzeichnis = support::withTrailingSlash(workingDirectory.empty() ? platform::currentDirectory()
                                                        : workingDirectory);
    RepaintPacer anzeige(256);   // a long undo lets the window repaint now and then
    std::size_t anfang = 0;
    for (int nr = 1; anfang < inhalt.size(); ++nr) {
        std::size_t ende = inhalt.find('\n', anfang);
        if (ende == std::string::npos) ende = inhalt.size();
        const std::string_view zeile(inhalt.data() + anfang, ende - anfang);
        if (!schnellerRen(l, nr, zeile)) zeileAusfuehren(l, nr, std::string(zeile));
        anfang = ende + 1;
        anzeige.row(nr - 1);
    }
    if (l.handle > 0) platform::closeDirForRename(l.handle);
    l.ergebnis.restSkript = restSkript(l.offen);
    return l.ergebnis;
}

// Windows runs the script with its own command interpreter, and the lines
// then tell which renames did not take place. In a folder swapped for
// another one nothing runs: the interpreter below refuses every line there.
BatchErgebnis durchDenInterpreter(const std::string& skript, const std::string& wd,
                                  const BatchPruefung& pruefung) {
    std::string inhalt;
    if (!readUndoFile(skript, pruefung.hoechstensBytes, false, inhalt)) return {};
    inhalt = platform::fromScriptBytes(inhalt);
    platform::FileIdentity jetzt;
    if (pruefung.kennungBekannt &&
        !(platform::directoryIdentity(pruefung.verzeichnis, jetzt) && jetzt == pruefung.kennung))
        return ausfuehren(inhalt, wd, pruefung, false);
    if (platform::runProgram("cmd.exe", "/c call \"" + skript + "\"", wd) < 0) return {};
    return ausfuehren(inhalt, wd, pruefung, true);
}

}  // namespace

BatchErgebnis runBatchText(const std::string& inhalt, const std::string& workingDirectory,
                            const BatchPruefung& pruefung) {
    return ausfuehren(inhalt, workingDirectory, pruefung, false);
}

BatchErgebnis yStartCommand(const std::string& program, const std::string& parameters,
                            const std::string& workingDirectory, const BatchPruefung& pruefung) {
    const std::string name = support::yLower(support::yFileName(program));
    if (name != "cmd.exe" && name != "cmd") {
        BatchErgebnis r;
        r.gestartet = platform::startProgram(program, parameters, workingDirectory) != 0;
        return r;
    }
    // "/c call <script>" ("call" may be left out); the path may be quoted.
    std::string rest = support::yTrimSpace(parameters);
    auto wortVorne = [&rest](const char* wort, std::size_t n) {
        return support::yLower(rest.substr(0, n)) == wort &&
               (rest.size() == n || rest[n] == ' ' || rest[n] == '\t');
    };
    if (!wortVorne("/c", 2)) return {};
    rest = support::yTrimSpace(rest.substr(2));
    if (wortVorne("call", 4)) rest = support::yTrimSpace(rest.substr(4));
    std::string skript = ohneAnfuehrung(rest);
    if (skript.empty()) return {};
    const std::string wd = workingDirectory.empty() ? platform::currentDirectory() : workingDirectory;
    if (!platform::isAbsolutePath(skript)) skript = support::withTrailingSlash(wd) + skript;
    if (platform::PathSeparator == '\\') return durchDenInterpreter(skript, wd, pruefung);
    return yRunBatch(skript, wd, pruefung);
}

}  // namespace engine
