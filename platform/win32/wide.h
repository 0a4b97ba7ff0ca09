// UTF-8 inside the program, UTF-16 at the Windows API: the two conversions
// every Win32 source of the platform layer uses at that border, and the
// form of a path the file functions take at any length.
#pragma once

#include <string>

namespace platform::win32 {

// Invalid UTF-8 becomes U+FFFD; the API never sees broken UTF-16.
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
std::string narrow(const wchar_t* text, int length = -1);

// A path for the file functions. Where it is too long for the plain form
// (MAX_PATH, less the room CreateDirectoryW keeps for a short name), it is
// made absolute and cleaned as Windows cleans every plain path, and given
// the "\\?\" form, which has no such limit; a shorter one stays as it is.
std::wstring widePath(const std::string& path);
std::wstring widePath(std::wstring path);

}  // namespace platform::win32
