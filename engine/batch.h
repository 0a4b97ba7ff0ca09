// The interpreter of undo scripts: carries out what "cmd.exe /c call
// <script>" does for the scripts this program writes, and the writers of
// those script lines, kept beside their reader so both agree.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/files.h"

namespace engine {

struct BatchResult {
    bool started = false;                // the script could be read
    std::vector<std::string> failures;   // one text per line that failed ("Zeile n: ...")
    // The failed renames that may safely run again, as a script of their
    // own (CR LF lines, a cd line before each directory's lines); "" when none.
    std::string restScript;
};

// What a script may be and where it may rename. A script is read only when
// it is a regular file of this user with one name and at most this long;
// renames in `folder` happen only while it is still the directory of
// that identity.
struct BatchLimits {
    std::size_t maxBytes = std::size_t(1) << 30;
    std::string folder;
    platform::FileIdentity identity;
    bool identityKnown = false;
};

// Runs a script in the given working directory ("" = the current one).
BatchResult runBatchScript(const std::string& scriptPath, const std::string& workingDirectory,
                           const BatchLimits& limits = {});
// The same for a script held in memory.
BatchResult runBatchText(const std::string& script, const std::string& workingDirectory,
                         const BatchLimits& limits = {});

// "cmd.exe" with "/c call <script>" (the path may be quoted) runs the
// interpreter above and waits, on Windows too: there the command
// interpreter reads a script in the console's code page, refuses a change
// of case and long paths, and nothing after it can tell what it did. Any
// other program is started without waiting.
BatchResult startCommand(const std::string& program, const std::string& parameters,
                         const std::string& workingDirectory, const BatchLimits& limits = {});

// Reads a script or log: only a regular file of this user with one name,
// and at most maxBytes of it (its last ones when lastBytes, else the file
// must not be longer).
bool readUndoFile(const std::string& path, std::size_t maxBytes, bool lastBytes, std::string& text);

// Script lines, without line end. A "%" is written "%%", as the command
// interpreter reads "%%" back as "%".
std::string batchEscape(const std::string& text);
// The "X:" drive of a path; "" where paths have none (always on Linux).
std::string batchDrive(const std::string& path);
std::string batchCdLine(const std::string& directory);
// The lines that put a script into a directory: its drive line where it
// has a drive, then its cd line, each with its line end.
std::string directoryLines(const std::string& directory);
std::string batchRenLine(const std::string& fromName, const std::string& toName);
void appendBatchRenLine(std::string& out, const std::string& fromName, const std::string& toName);
// Reads a ren line back as the interpreter does: false unless it renames
// one bare name to another.
bool readRenLine(const std::string& line, std::string& fromName, std::string& toName);

}  // namespace engine
