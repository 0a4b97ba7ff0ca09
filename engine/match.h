// The wildcard matcher of file masks.
#pragma once

#include <string>

namespace engine {

// Wildcard match of a file name against a mask ("*", "?", "|"); 1 or 0.
int yMatchPattern(const std::string& first, const std::string& second, int ignoreCase);

}  // namespace engine
