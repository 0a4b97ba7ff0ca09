// The information window with the help and version text.
#pragma once

#include <string>

namespace support {

// When the program was built, "yyyy-mm-dd hh:mm:ss", shown after
// "Kompiliert:"; the program sets it at start from its build stamp.
extern std::string BuildTime;

// Builds the sections, replaces the markers of the template, shows the
// window and returns when the user has closed it.
void yWindowInfo(const std::string& templ, const std::string& title);
// The finished text that yWindowInfo shows (markers replaced, unescaped).
std::string infoText(const std::string& templ, const std::string& title);
// Keeps the minimum size and lays out editor and button.
void infoWindowSized(int windowId);

}  // namespace support
