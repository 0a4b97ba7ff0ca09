// The interpreter of undo scripts: carries out what "cmd.exe /c call
// <script>" does for the scripts this program writes, and the writers of
// those script lines, kept beside their reader so both agree.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/files.h"

namespace engine {

struct BatchErgebnis {
    bool gestartet = false;              // the script could be read
    std::vector<std::string> fehler;     // one text per line that failed ("Zeile n: ...")
    // The failed renames that may safely run again, as a script of their
    // own (CR LF lines, a cd line before each directory's lines); "" when none.
    std::string restSkript;
};

// What a script may be and where it may rename. A script is read only when
// it is a regular file of this user with one name and at most this long;
// renames in `verzeichnis` happen only while it is still the directory of
// that identity.
struct BatchPruefung {
    std::size_t hoechstensBytes = std::size_t(1) << 30;
    std::string verzeichnis;
    platform::FileIdentity kennung;
    bool kennungBekannt = false;
};

// Runs a script in the given working directory ("" = the current one).
BatchErgebnis yRunBatch(const std::string& scriptPath, const std::string& workingDirectory,
                        const BatchPruefung& pruefung = {});
// The same for a script held in memory.
BatchErgebnis runBatchText(const std::string& script, const std::string& workingDirectory,
                            const BatchPruefung& pruefung = {});

// "cmd.exe" with "/c call <script>" (the path may be quoted) runs the
// interpreter above and waits; any other program is started without waiting.
BatchErgebnis yStartCommand(const std::string& program, const std::string& parameters,
                            const std::string& workingDirectory, const BatchPruefung& pruefung = {});

// Reads a script or log: only a regular file of this user with one name,
// and at most maxBytes of it (its last ones when lastBytes, else the file
// must not be longer).
bool readUndoFile(const std::string& path, std::size_t maxBytes, bool lastBytes, std::string& text);

// Script lines, without line end. A "%" is written "%%", as the command
// interpreter reads "%%" back as "%".
std::string yBatchEscape(const std::string& text);
// The "X:" drive of a path; "" where paths have none (always on Linux).
std::string yBatchLaufwerk(const std::string& path);
std::string yBatchCdZeile(const std::string& directory);
// The lines that put a script into a directory: its drive line where it
// has a drive, then its cd line, each with its line end.
std::string directoryLines(const std::string& directory);
std::string yBatchRenZeile(const std::string& fromName, const std::string& toName);
void yBatchRenZeileAnhaengen(std::string& out, const std::string& fromName, const std::string& toName);
// Reads a ren line back as the interpreter does: false unless it renames
// one bare name to another.
bool readRenLine(const std::string& line, std::string& fromName, std::string& toName);

}  // namespace engine
