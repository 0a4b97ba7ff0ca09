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

}  // namespace support
