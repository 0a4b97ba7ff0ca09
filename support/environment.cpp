#include "support/environment.h"

#include "platform/files.h"
#include "platform/process.h"
#include "support/text.h"

namespace support {

namespace {

// Longest value a 256-character buffer holds with its terminator.
constexpr std::size_t EnvironmentLimit = 255;

}  // namespace

std::string yGetProgramPath() {
    // Linux file names are case-sensitive: a lowered path could name another file.
    return platform::programPath();
}

std::string yGetCurrentDirectory() {
    // The root directory already ends with "/"; it must not become "//". An
    // unknown directory stays "" rather than turning into the root.
    return withTrailingSlash(platform::currentDirectory());
}

std::string settingsDirectory(const std::string& programPath) {
    const std::string beside = directoryPart(programPath);
    const std::string installed = platform::installedProgramFolder();
    if (installed.empty()) return beside;
    // The same folder, not the same spelling: the installer may have
    // written another case, a link may lead to the folder.
    platform::FileIdentity own, theirs;
    if (!platform::directoryIdentity(beside, own) || !platform::directoryIdentity(installed, theirs) ||
        !(own == theirs)) {
        return beside;
    }
    const std::string user = platform::userSettingsFolder();
    return !user.empty() && platform::makePrivateDirectory(user) ? user : beside;
}

std::string yGetEnvironment(const std::string& name) {
    const std::string value = platform::environmentValue(name);
    // A value that would not fit is dropped whole rather than cut.
    if (charCount(value) > EnvironmentLimit) return "";
    return value;
}

namespace {

// The undo script's path is handed to the interpreter with another working
// directory, so a relative temporary directory is made absolute once.
std::string absolute(const std::string& dir) {
    if (dir.empty() || platform::isAbsolutePath(dir)) return withTrailingSlash(dir);
    return yGetCurrentDirectory() + withTrailingSlash(dir);
}

}  // namespace

std::string yGetTempDirectory() {
    // A variable holding only blanks names no directory, so the next one is asked.
    for (const char* name : {"TEMP", "TMP", "TMPDIR"}) {
        const std::string dir = trimBlanks(yGetEnvironment(name));
        if (!dir.empty()) return absolute(dir);
    }
    // Without any, a folder of this user alone, as every user has one on
    // the program's home platform: in a shared /tmp the first user's undo
    // log would lock every other user out, and others could plant files.
    std::string cache = yGetEnvironment("XDG_CACHE_HOME");
    if (!platform::isAbsolutePath(cache)) {
        const std::string home = yGetEnvironment("HOME");
        cache = !platform::isAbsolutePath(home) ? "" : withTrailingSlash(home) + ".cache";
    }
    const std::string own = cache.empty() ? "" : withTrailingSlash(withTrailingSlash(cache) + "quonabix");
    if (!own.empty() && platform::makePrivateDirectory(own)) return own;
    return yGetCurrentDirectory();
}

}  // namespace support
