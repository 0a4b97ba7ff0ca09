// Reading and writing one value of a sectioned key/value ("ini") file.
#pragma once

#include <string>

namespace support {

// The value, cut to 254 characters; the default when it is blank.
std::string yIniRead(const std::string& section, const std::string& key,
                     const std::string& file, const std::string& defaultValue);
// Non-zero when stored. Creates file and section as needed, replaces in place.
int yIniWrite(const std::string& section, const std::string& key,
              const std::string& value, const std::string& file);

}  // namespace support
