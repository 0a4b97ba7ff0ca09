// Start-up routines of the support library: where the program runs.
#pragma once

#include <string>

namespace support {

std::string yGetProgramPath();
std::string yGetCurrentDirectory();                 // ends with "/"
std::string yGetEnvironment(const std::string& name);   // "" when unset or longer than 255
std::string yGetTempDirectory();                    // "TEMP", "TMP", "TMPDIR", "/tmp/"; ends with "/"

}  // namespace support
