// The process-environment door of Quonabix: program path, directories,
// environment variables, clocks and starting other programs. The backend
// is platform/posix; tests replace the tick clock and the local time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/files.h"

namespace platform {

std::string programPath();          // the running executable, case kept
std::string currentDirectory();     // without a trailing "/"
// The variable's value; `set` tells whether it exists at all.
std::string environmentValue(const std::string& name, bool* set = nullptr);

// Milliseconds from a monotonic clock, wrapping at 2^32.
uint32_t tickCount();
LocalTime localNow();

// Tests set their own clocks, and a program path of their own (so that
// the settings file and the start log beside the program go into a folder
// of the test); an empty function restores the real one.
void setTickSource(std::function<uint32_t()> source);
void setNowSource(std::function<LocalTime()> source);
void setProgramPathSource(std::function<std::string()> source);

// Starts a program without waiting; non-zero when it started.
int startProgram(const std::string& program, const std::string& parameters,
                 const std::string& workingDirectory);

// Standard output without line end (for message boxes of negative kind).
void writeStdout(const std::string& text);

}  // namespace platform
