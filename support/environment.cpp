#include "support/environment.h"

#include "platform/process.h"
#include "support/text.h"

namespace support {

namespace {

// Longest value a 256-character buffer holds with its terminator.
constexpr std::size_t EnvironmentLimit = 255;

std::string withSlash(const std::string& dir) {
    if (dir.empty() || dir.back() == '/') return dir;
    return dir + "/";
}

}  // namespace

std::string yGetProgramPath() {
    // Linux file names are case-sensitive: a lowered path could name another file.
    return platform::programPath();
}

std::string yGetCurrentDirectory() {
    // The root directory already ends with "/"; it must not become "//". An
    // unknown directory stays "" rather than turning into the root.
    return withSlash(platform::currentDirectory());
}

std::string yGetEnvironment(const std::string& name) {
    const std::string value = platform::environmentValue(name);
    // A value that would not fit is dropped whole rather than cut.
    if (yCharCount(value) > EnvironmentLimit) return "";
    return value;
}

std::string yGetTempDirectory() {
    // A variable holding only blanks names no directory, so the next one is asked.
    for (const char* name : {"TEMP", "TMP", "TMPDIR"}) {
        const std::string dir = yTrimBlanks(yGetEnvironment(name));
        if (!dir.empty()) return withSlash(dir);
    }
    return "/tmp/";
}

}  // namespace support
