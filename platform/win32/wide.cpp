// UTF-8 <-> UTF-16 with the system's converter.
#include "platform/win32/wide.h"

#include <windows.h>

#include <cwchar>

namespace platform::win32 {

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string narrow(const wchar_t* text, int length) {
    if (text == nullptr) return {};
    if (length < 0) length = static_cast<int>(std::wcslen(text));
    if (length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

std::string narrow(const std::wstring& text) { return narrow(text.data(), static_cast<int>(text.size())); }

}  // namespace platform::win32

namespace platform::win32 {

std::wstring widePath(const std::string& path) { return widePath(widen(path)); }

std::wstring widePath(std::wstring path) {
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        return path;
    // The cleaning a plain path gets: "/" read as "\", "." and ".." parts
    // taken by their names, a last dot or blank dropped. The "\\?\" form
    // takes every character as it is.
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size()) return path;
    full.resize(n);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace platform::win32
