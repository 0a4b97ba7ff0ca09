// Start-up routines of the support library: where the program runs.
#pragma once

#include <string>

namespace support {

std::string yGetProgramPath();
std::string yGetCurrentDirectory();                 // ends with "/"
std::string yGetEnvironment(const std::string& name);   // "" when unset or longer than 255
// "TEMP", "TMP", "TMPDIR", else this user's private "$XDG_CACHE_HOME/quonabix/"
// (default "~/.cache/quonabix/"); absolute, ends with "/".
std::string yGetTempDirectory();
// Where the program file at `programPath` keeps its settings file and start
// log, ending with the separator: beside itself, or, when it is the program
// the package or the installer put in place, the user's own folder
// (created, private), since an installed program's folder is not the
// user's to write.
std::string settingsDirectory(const std::string& programPath);

}  // namespace support
