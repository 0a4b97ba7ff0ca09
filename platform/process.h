// The process-environment door of Quonabix: program path, directories,
// environment variables, clocks and starting other programs. The backends
// are platform/posix and platform/win32; tests replace the tick clock and
// the local time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

std::string programPath();          // the running executable, case kept
std::string currentDirectory();     // without a trailing "/"
// The folder the package or the installer put the program in, ending with
// its separator, empty where none did: on Linux the build's mark (the
// package's build names its bin folder), on Windows the folder the
// installer entered under the program's uninstall key.
std::string installedProgramFolder();
// The user's own folder for an installed program's settings file and start
// log, ending with its separator: "$XDG_CONFIG_HOME/quonabix/" (default
// "~/.config/quonabix/"), or "%APPDATA%\Quonabix\"; empty when unknown.
std::string userSettingsFolder();
// The variable's value; `set` tells whether it exists at all.
std::string environmentValue(const std::string& name, bool* set = nullptr);

// Milliseconds from a monotonic clock, wrapping at 2^32.
uint32_t tickCount();
LocalTime localNow();

// Tests set their own clocks, and a program path of their own (so that
// the settings file and the start log beside the program go into a folder
// of the test) and the folder an installed program lies in; an empty
// function restores the real one.
void setTickSource(std::function<uint32_t()> source);
void setNowSource(std::function<LocalTime()> source);
void setProgramPathSource(std::function<std::string()> source);
void setInstalledFolderSource(std::function<std::string()> source);

// Starts a program without waiting; non-zero when it started.
int startProgram(const std::string& program, const std::string& parameters,
                 const std::string& workingDirectory);

// Starts a program and waits for its end: its exit code, -1 when it did
// not start.
int runProgram(const std::string& program, const std::string& parameters,
               const std::string& workingDirectory);

// The bytes of an undo script as the command interpreter reads them, and
// back: the text itself on Linux; on Windows the console's code page, or
// UTF-8 after a line that switches the interpreter to it where that code
// page cannot hold every character.
// Taken by value: where the bytes are the text itself, a script of a
// million lines is not held twice.
std::string toScriptBytes(std::string text);
std::string fromScriptBytes(std::string bytes);
// Whether toScriptBytes gives the text itself (Linux): then the text is
// written as it is, never a copy of a million lines beside it.
#ifdef _WIN32
inline constexpr bool ScriptBytesAreText = false;
#else
inline constexpr bool ScriptBytesAreText = true;
#endif

// The bytes of a settings file as the platform's own profile functions
// read it, and back: the text itself on Linux; on Windows the ANSI code
// page, or UTF-16 with its byte-order mark where that page cannot hold
// every character (a text that starts with the UTF-8 mark stays UTF-8);
// a file in UTF-8 without the mark is read as UTF-8.
std::string toProfileBytes(const std::string& text);
std::string fromProfileBytes(const std::string& bytes);

// Standard output without line end (for message boxes of negative kind),
// and standard error; a console shows the UTF-8 text as it is.
void writeStdout(const std::string& text);
void writeStderr(const std::string& text);

// The command line as UTF-8 texts, the program's name first (Windows hands
// main() its arguments in the ANSI code page, which cannot hold every name).
std::vector<std::string> commandArguments(int argc, char** argv);

}  // namespace platform
