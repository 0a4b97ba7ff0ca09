// Windows backend of platform/process.h: program path, environment,
// clocks (tests replace them through platform/sources.h), starting other programs with
// CreateProcessW, and the code page the command interpreter reads scripts in.
#include "platform/process.h"
#include "platform/sources.h"
#include "platform/win32/wide.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

using win32::narrow;
using win32::widen;

// The program in quotes (it may hold blanks), then the parameters as given:
// Windows hands a program its command line as one text.
HANDLE start(const std::string& program, const std::string& parameters, const std::string& workingDirectory) {
    if (program.empty()) return nullptr;
    std::wstring line = L"\"" + widen(program) + L"\"";
    if (!parameters.empty()) line += L" " + widen(parameters);
    const std::wstring dir = widen(workingDirectory);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The text in a code page; false when a character has no place in it.
bool inCodePage(UINT page, const std::string& text, std::string& out) {
    const std::wstring wide = widen(text);
    out.clear();
    if (wide.empty()) return true;
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return true;
}

std::string fromCodePage(UINT page, const std::string& bytes) {
    if (bytes.empty()) return "";
    const int n = MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return narrow(wide);
}

bool isUtf8(const std::string& bytes) {
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

constexpr char Utf8Mark[] = "\xEF\xBB\xBF";
constexpr char Utf16Mark[] = "\xFF\xFE";

// The code page cmd.exe reads a batch file in: the console's, which is
// the OEM code page unless a "chcp" changed it.
UINT interpreterCodePage() { return GetOEMCP(); }

constexpr const char* Utf8Line = "chcp 65001 >nul\r\n";

}  // namespace

std::string programPath() {
    const std::function<std::string()> source = sources::programPath();
    if (source) return source();
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return "";
        if (n < buf.size()) return narrow(buf.data(), static_cast<int>(n));
        buf.resize(buf.size() * 2);
    }
}

// The installer enters its folder under the program's uninstall key, and
// the uninstaller removes the key: a copy elsewhere, or an unpacked
// archive, is never the installed program.
std::string installedProgramFolder() {
    const std::function<std::string()> source = sources::installedFolder();
    if (source) return source();
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quonabix";
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, L"InstallLocation", RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
        return "";
    }
    std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 1);
    if (RegGetValueW(HKEY_CURRENT_USER, key, L"InstallLocation", RRF_RT_REG_SZ, nullptr, buf.data(), &bytes) !=
        ERROR_SUCCESS) {
        return "";
    }
    std::string folder = narrow(buf.data(), static_cast<int>(wcslen(buf.data())));
    if (folder.empty()) return "";
    if (!isSeparator(folder.back())) folder += '\\';
    return folder;
}

std::string userSettingsFolder() {
    PWSTR roaming = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming)) && roaming) {
        folder = narrow(roaming, static_cast<int>(wcslen(roaming)));
    }
    CoTaskMemFree(roaming);
    if (folder.empty()) return "";
    if (!isSeparator(folder.back())) folder += '\\';
    return folder + "Quonabix\\";
}

std::string currentDirectory() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return "";
    std::vector<wchar_t> buf(n);
    const DWORD got = GetCurrentDirectoryW(n, buf.data());
    std::string dir = narrow(buf.data(), static_cast<int>(got));
    if (dir.size() > 3 && isSeparator(dir.back())) dir.pop_back();   // "C:\" keeps its own
    return dir;
}

std::string environmentValue(const std::string& name, bool* set) {
    const std::wstring key = widen(name);
    const DWORD n = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (set) *set = n != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (n == 0) return "";
    std::vector<wchar_t> buf(n);
    const DWORD got = GetEnvironmentVariableW(key.c_str(), buf.data(), n);
    return narrow(buf.data(), static_cast<int>(got));
}

uint32_t tickCount() {
    const std::function<uint32_t()> source = sources::tick();
    return source ? source() : static_cast<uint32_t>(GetTickCount());
}

LocalTime localNow() {
    const std::function<LocalTime()> source = sources::now();
    if (source) return source();
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

int startProgram(const std::string& program, const std::string& parameters,
                 const std::string& workingDirectory) {
    const HANDLE process = start(program, parameters, workingDirectory);
    if (process == nullptr) return 0;
    CloseHandle(process);
    return 1;
}

int runProgram(const std::string& program, const std::string& parameters,
               const std::string& workingDirectory) {
    const HANDLE process = start(program, parameters, workingDirectory);
    if (process == nullptr) return -1;
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return known ? static_cast<int>(code & 0x7fffffff) : -1;
}

std::string toScriptBytes(std::string text) {
    std::string out;
    if (inCodePage(interpreterCodePage(), text, out)) return out;
    // A name the console's code page cannot hold: the whole script in UTF-8,
    // which the interpreter reads after switching its code page.
    return Utf8Line + text;
}

std::string fromScriptBytes(std::string bytes) {
    if (bytes.rfind(Utf8Line, 0) == 0) return bytes.substr(std::char_traits<char>::length(Utf8Line));
    return fromCodePage(interpreterCodePage(), bytes);
}

std::string toProfileBytes(const std::string& text) {
    if (text.rfind(Utf8Mark, 0) == 0) return text;
    std::string out;
    if (inCodePage(CP_ACP, text, out)) return out;
    const std::wstring wide = widen(text);
    out = Utf16Mark;
    out.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return out;
}

// Notepad saves UTF-8 without the mark: a text that is UTF-8 throughout is
// taken as such (text in the ANSI code page almost never is, once it holds
// a letter beyond ASCII).
std::string fromProfileBytes(const std::string& bytes) {
    if (bytes.rfind(Utf8Mark, 0) == 0 || isUtf8(bytes)) return bytes;
    if (bytes.rfind(Utf16Mark, 0) != 0) return fromCodePage(CP_ACP, bytes);
    std::wstring wide((bytes.size() - 2) / 2, L'\0');
    std::memcpy(wide.data(), bytes.data() + 2, wide.size() * sizeof(wchar_t));
    return narrow(wide);
}

namespace {

void writeTo(DWORD which, const std::string& text) {
    const HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD mode, written;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring wide = widen(text);
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

void writeStdout(const std::string& text) { writeTo(STD_OUTPUT_HANDLE, text); }
void writeStderr(const std::string& text) { writeTo(STD_ERROR_HANDLE, text); }

std::vector<std::string> commandArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(narrow(wide[i]));
    LocalFree(wide);
    return out;
}

}  // namespace platform
