// Windows side of the file facts of platform/files.h: the final path of a
// file, its attributes, identity and read-only flag.
#include "platform/files.h"
#include "platform/win32/wide.h"

#include <windows.h>

#include <vector>

namespace platform {

using win32::narrow;
using win32::widen;
using win32::widePath;

std::string linkTarget(const std::string& path) {
    const HANDLE h = CreateFileW(widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    std::vector<wchar_t> buf(MAX_PATH);
    DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), FILE_NAME_NORMALIZED);
    if (n >= buf.size()) {
        buf.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), FILE_NAME_NORMALIZED);
    }
    CloseHandle(h);
    if (n == 0 || n >= buf.size()) return path;
    std::wstring target(buf.data(), n);
    // "\\?\C:\x" is "C:\x"; "\\?\UNC\server\share" is "\\server\share".
    if (target.rfind(L"\\\\?\\UNC\\", 0) == 0) target = L"\\\\" + target.substr(8);
    else if (target.rfind(L"\\\\?\\", 0) == 0) target = target.substr(4);
    return narrow(target);
}

FileFacts fileFacts(const std::string& path) {
    FileFacts facts;
    const HANDLE h = CreateFileW(widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return facts;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info)) {
        facts.exists = true;
        // Windows knows a read-only flag, not permission bits for three kinds of user.
        facts.permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        facts.ownFile = true;
        facts.links = info.nNumberOfLinks;
    }
    CloseHandle(h);
    return facts;
}

bool entryFacts(const std::string& path, EntryFacts& out) {
    const HANDLE h = CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) return false;
    const DWORD a = info.dwFileAttributes;
    // A link or junction to a folder is a folder: nothing a rename made.
    out.kind = (a & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Directory : EntryKind::File;
    out.size = static_cast<long long>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    out.links = info.nNumberOfLinks;
    out.identity = {info.dwVolumeSerialNumber,
                    (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
}

// NTFS, exFAT and FAT count 255 UTF-16 units; Windows refuses its device
// names and drops a last dot or blank of every name it is given.
NameRules nameRules(const std::string&) {
    NameRules rules;
    rules.maxBytes = 255 * 4;
    rules.maxUnits = 255;
    rules.windowsNames = true;
    return rules;
}

bool setPermissions(const std::string& path, int permissions) {
    const std::wstring wide = widePath(path);
    const DWORD a = GetFileAttributesW(wide.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD readOnly = (permissions & 0200) ? 0 : FILE_ATTRIBUTE_READONLY;
    DWORD next = (a & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) | readOnly;
    if (next == 0) next = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(wide.c_str(), next) != 0;
}

}  // namespace platform
