// UTF-8 inside the program, UTF-16 at the Windows API: the two conversions
// every Win32 source of the platform layer uses at that border.
#pragma once

#include <string>

namespace platform::win32 {

// Invalid UTF-8 becomes U+FFFD; the API never sees broken UTF-16.
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
std::string narrow(const wchar_t* text, int length = -1);

}  // namespace platform::win32
