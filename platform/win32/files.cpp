// Windows backend of platform/files.h.
//
// Listing with FindFirstFileExW, file times converted to local time by the
// rule of their own date, the never-replacing rename with MoveFileExW (no
// MOVEFILE_REPLACE_EXISTING), and plain file I/O over file handles. Handles
// are small integers that index one table of open files, listings and
// rename directories. Every path reaches the API through widePath, so a
// path longer than MAX_PATH works as a short one. A link or junction to a
// folder is a Directory, never renamed; a link to a file is a File,
// renamed as the link itself, and never followed when a private file is
// opened.
#include "platform/files.h"
#include "platform/handletable.h"
#include "platform/process.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace platform {
namespace {

using win32::narrow;
using win32::widen;
using win32::widePath;

struct Entry {
    Slot slot = Slot::Free;
    HANDLE handle = INVALID_HANDLE_VALUE;   // file, directory or find handle
    std::wstring dir;                       // rename: the folder, ending with "\"
    std::wstring volumeDir;                 // rename: the folder's own path on its volume, ending with "\"
    DWORD volume = 0;                       // rename: the serial number of that volume
    WIN32_FIND_DATAW first{};               // listing: the entry FindFirstFileExW found
    bool firstPending = false;
};

HandleTable<Entry>& handles() {
    static HandleTable<Entry> table;
    return table;
}

// A folder is a folder also where it is a link, a junction or a mount
// point (whose "." carries the reparse mark too): no row, never renamed.
EntryKind kindOf(const WIN32_FIND_DATAW& data) {
    const std::wstring_view name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..")
        return EntryKind::Directory;
    return EntryKind::File;
}

bool attributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

std::wstring withSeparator(std::wstring dir) {
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
    return dir;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool identityOfHandle(HANDLE h, FileIdentity& out) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return false;
    out = identityOf(info);
    return true;
}

// What one look at a file or folder tells: attributes, identity, times.
// With FILE_FLAG_OPEN_REPARSE_POINT in flags a link is looked at itself.
bool infoOf(const std::wstring& path, DWORD flags, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

// A directory held open: it may not be renamed or removed while the
// handle is open.
HANDLE holdDirectory(const std::string& dir) {
    return CreateFileW(widePath(dir).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return infoOf(a, FILE_FLAG_OPEN_REPARSE_POINT, ia) && infoOf(b, FILE_FLAG_OPEN_REPARSE_POINT, ib) &&
           identityOf(ia) == identityOf(ib);
}

// Renames through the fixed temporary name of the two names, where
// recovery finds the file after a crash; if the second step fails, the
// first is taken back.
bool renameViaTemp(const std::wstring& from, const std::wstring& to, const std::wstring& temp) {
    if (!MoveFileExW(from.c_str(), temp.c_str(), 0)) return false;
    if (MoveFileExW(temp.c_str(), to.c_str(), 0)) return true;
    const DWORD error = GetLastError();
    MoveFileExW(temp.c_str(), from.c_str(), 0);
    SetLastError(error);
    return false;
}

// Where an open file or folder lies on its volume (\Fotos\a.jpg); "" where
// the file system does not say.
// Asked once per rename: a path of usual length fits the buffer on the stack.
std::wstring volumePathOf(HANDLE h) {
    alignas(FILE_NAME_INFO) char usual[sizeof(FILE_NAME_INFO) + 2 * MAX_PATH];
    std::vector<char> longer;
    char* buffer = usual;
    DWORD size = sizeof usual;
    if (!GetFileInformationByHandleEx(h, FileNameInfo, buffer, size)) {
        if (GetLastError() != ERROR_MORE_DATA) return L"";
        longer.resize(sizeof(FILE_NAME_INFO) + 2 * 32768);
        buffer = longer.data();
        size = static_cast<DWORD>(longer.size());
        if (!GetFileInformationByHandleEx(h, FileNameInfo, buffer, size)) return L"";
    }
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer);
    return std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t));
}

RenameResult renameResultOf(DWORD error, const std::wstring& from) {
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return RenameResult::TargetExists;
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return RenameResult::InUse;
    if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
        return RenameResult::NoPermission;
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return RenameResult::DiskFull;
    if (error == ERROR_FILENAME_EXCED_RANGE) return RenameResult::NameTooLong;
    if (error == ERROR_INVALID_NAME) return RenameResult::NameRefused;
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
        GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES)
        return RenameResult::SourceMissing;
    return RenameResult::Failed;
}

// Only what the table lists is renamed: a file, or a link to a file as
// itself. A folder (a link or junction to one included) is refused, and so
// is a name that leads to a file in another place without being a link
// that Windows renames as itself, as a link of the file system below Wine
// is: renaming it would move that file into the folder.
RenameResult checkSource(const Entry& e, const std::wstring& from, const std::wstring& name) {
    const HANDLE h = CreateFileW(from.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return renameResultOf(GetLastError(), from);
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(h, &info) != 0;
    const std::wstring where = e.volumeDir.empty() ? L"" : volumePathOf(h);
    CloseHandle(h);
    if (!known) return RenameResult::Failed;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return RenameResult::NotAFile;
    const std::wstring here = e.volumeDir + name;
    if (!where.empty() && (info.dwVolumeSerialNumber != e.volume ||
                           CompareStringOrdinal(where.c_str(), static_cast<int>(where.size()), here.c_str(),
                                                static_cast<int>(here.size()), TRUE) != CSTR_EQUAL))
        return RenameResult::NotAFile;
    return RenameResult::Ok;
}

}  // namespace

// ---- directory listing -----------------------------------------------------------

int openDirList(const std::string& dir) {
    Entry e;
    e.slot = Slot::Listing;
    const std::wstring pattern = widePath(withSeparator(widen(dir)) + L"*");
    e.handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &e.first, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (e.handle == INVALID_HANDLE_VALUE) return 0;
    e.firstPending = true;
    return handles().add(e);
}

bool nextDirEntry(int handle, std::string& name, EntryKind& kind) {
    WIN32_FIND_DATAW data;
    bool found = false;
    handles().with(handle, Slot::Listing, [&](Entry& e) {
        found = e.firstPending || FindNextFileW(e.handle, &data);
        if (e.firstPending) data = e.first;
        e.firstPending = false;
    });
    if (!found) return false;
    name = narrow(data.cFileName);
    kind = kindOf(data);
    return true;
}

void closeDirList(int handle) {
    Entry e = handles().release(handle, Slot::Listing);
    if (e.handle != INVALID_HANDLE_VALUE) FindClose(e.handle);
}

std::string cleanFolderPath(const std::string& path) {
    std::string clean;
    for (const std::string& part : folderParts(resolvePath(currentDirectory(), path))) clean += part + PathSeparator;
    if (clean.size() > 3 && clean.back() == PathSeparator) clean.pop_back();   // "C:\" keeps its own
    return clean;
}

bool isDirectory(const std::string& path) {
    const DWORD a = GetFileAttributesW(widePath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::string& path) {
    return GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributesOf(path, data)) return -1;
    return static_cast<long long>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool createDirectory(const std::string& path) { return CreateDirectoryW(widePath(path).c_str(), nullptr) != 0; }

bool makePrivateDirectory(const std::string& path) {
    // The temporary folder of a Windows user is the user's own already;
    // the folder is made where missing and must be a real folder, no link.
    for (std::size_t p = pathRoot(path).size(); p < path.size(); ++p)
        if (isSeparator(path[p])) CreateDirectoryW(widePath(path.substr(0, p)).c_str(), nullptr);
    CreateDirectoryW(widePath(path).c_str(), nullptr);
    const DWORD a = GetFileAttributesW(widePath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
           !(a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool directoryIdentity(const std::string& dir, FileIdentity& out) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!infoOf(widePath(dir), 0, info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    out = identityOf(info);
    return true;
}

bool folderStamp(const std::string& dir, FolderStamp& out) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!infoOf(widePath(dir), 0, info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    out.identity = identityOf(info);
    const uint64_t ticks = (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                           info.ftLastWriteTime.dwLowDateTime;   // 100 ns since 1601
    out.changedSec = static_cast<int64_t>(ticks / 10000000u);
    out.changedNsec = static_cast<int64_t>(ticks % 10000000u) * 100;
    return true;
}

// ---- times -------------------------------------------------------------------

bool fileTime(const std::string& path, FileTimeKind kind, LocalTime& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributesOf(path, data)) return false;
    const FILETIME& t = kind == FileTimeKind::Creation ? data.ftCreationTime
                        : kind == FileTimeKind::Access ? data.ftLastAccessTime
                                                       : data.ftLastWriteTime;
    if (t.dwHighDateTime == 0 && t.dwLowDateTime == 0) return false;   // not kept
    // The time zone rule of the file's own date, not today's: a summer
    // photo keeps its hour in winter (FileTimeToLocalFileTime would shift it).
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&t, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    out = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return true;
}

// ---- renaming ------------------------------------------------------------------

int openDirForRename(const std::string& dir) {
    if (!isDirectory(dir)) return 0;
    Entry e;
    e.slot = Slot::RenameDir;
    // Held without delete sharing: the folder cannot be renamed, removed or
    // swapped for another one while the action renames in it.
    e.handle = holdDirectory(dir);
    if (e.handle == INVALID_HANDLE_VALUE) return 0;
    e.dir = withSeparator(widen(dir));
    BY_HANDLE_FILE_INFORMATION info;
    const std::wstring volumeDir = volumePathOf(e.handle);
    if (!volumeDir.empty() && GetFileInformationByHandle(e.handle, &info)) {
        e.volumeDir = withSeparator(volumeDir);
        e.volume = info.dwVolumeSerialNumber;
    }
    return handles().add(e);
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING never replaces, on every
// file system Windows mounts: no reservation is ever made.
RenameResult renameNoReplaceAt(int dirHandle, const std::string& fromName, const std::string& toName, bool) {
    const Entry e = handles().get(dirHandle, Slot::RenameDir);
    if (e.handle == INVALID_HANDLE_VALUE) return RenameResult::Failed;
    const std::wstring from = widePath(e.dir + widen(fromName));
    const RenameResult source = checkSource(e, from, widen(fromName));
    if (source != RenameResult::Ok || fromName == toName) return source;
    const std::wstring to = widePath(e.dir + widen(toName));
    // A change of case alone goes through a temporary name: some file
    // systems take the file itself for the target and keep the old case.
    const bool caseOnly = CompareStringOrdinal(from.c_str(), -1, to.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (caseOnly && sameFile(from, to))
        return renameViaTemp(from, to, widePath(e.dir + widen(caseChangeTempName(fromName, toName))))
                   ? RenameResult::Ok : renameResultOf(GetLastError(), from);
    // A taken name is refused before the call: where the two names are
    // two links of one file, Wine reports the rename done and keeps both.
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) return RenameResult::TargetExists;
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return RenameResult::Ok;
    return renameResultOf(GetLastError(), from);
}

namespace {

// A change of case alone may pass through the temporary name: two steps.
bool caseOnly(const std::string& fromName, const std::string& toName) {
    const std::wstring from = widen(fromName), to = widen(toName);
    return fromName != toName && CompareStringOrdinal(from.c_str(), -1, to.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool renameIsOneStep(int dirHandle, const std::string& fromName, const std::string& toName) {
    return handles().get(dirHandle, Slot::RenameDir).handle != INVALID_HANDLE_VALUE && !caseOnly(fromName, toName);
}

RenameResult renameOneStepAt(int dirHandle, const std::string& fromName, const std::string& toName) {
    if (caseOnly(fromName, toName)) return RenameResult::StepsNeeded;
    return renameNoReplaceAt(dirHandle, fromName, toName);
}

bool renameMayReserve(int) { return false; }

bool nameTakenAt(int dirHandle, const std::string& name, const std::string& by) {
    const Entry e = handles().get(dirHandle, Slot::RenameDir);
    const std::wstring path = widePath(e.dir + widen(name));
    return e.handle != INVALID_HANDLE_VALUE && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
           !sameFile(path, widePath(e.dir + widen(by)));
}

bool renameDirIdentity(int dirHandle, FileIdentity& out) {
    const Entry e = handles().get(dirHandle, Slot::RenameDir);
    return e.handle != INVALID_HANDLE_VALUE && identityOfHandle(e.handle, out);
}

void closeDirForRename(int dirHandle) {
    const Entry e = handles().release(dirHandle, Slot::RenameDir);
    if (e.handle != INVALID_HANDLE_VALUE) CloseHandle(e.handle);
}

bool replaceFileAtomic(const std::string& source, const std::string& target) {
    return MoveFileExW(widePath(source).c_str(), widePath(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string& path) { return DeleteFileW(widePath(path).c_str()) != 0; }

// ---- files ---------------------------------------------------------------------

int fileOpen(const std::string& path, OpenMode mode) {
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING, flags = FILE_ATTRIBUTE_NORMAL;
    bool privateFile = false, append = false;
    switch (mode) {
        case OpenMode::Create: access = GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
        case OpenMode::OpenOrCreate: access |= GENERIC_WRITE; disposition = OPEN_ALWAYS; break;
        case OpenMode::Read: break;
        case OpenMode::Append: access |= GENERIC_WRITE; disposition = OPEN_ALWAYS; append = true; break;
        case OpenMode::CreatePrivate: access |= GENERIC_WRITE; disposition = CREATE_NEW; privateFile = true; break;
        case OpenMode::AppendPrivate:
            access |= GENERIC_WRITE;
            disposition = OPEN_ALWAYS;
            privateFile = append = true;
            break;
        case OpenMode::ReadPrivate: privateFile = true; break;
    }
    // A private file is opened as itself, never through a link, and only a
    // plain file with a single name is accepted.
    if (privateFile) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    const HANDLE h = CreateFileW(widePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    if (privateFile) {
        BY_HANDLE_FILE_INFORMATION info;
        const DWORD odd = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
        if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & odd) ||
            info.nNumberOfLinks != 1 || GetFileType(h) != FILE_TYPE_DISK) {
            CloseHandle(h);
            return 0;
        }
    }
    if (append) {
        LARGE_INTEGER zero{};
        SetFilePointerEx(h, zero, nullptr, FILE_END);
    }
    Entry e;
    e.slot = Slot::File;
    e.handle = h;
    return handles().add(e);
}

namespace win32 {

HANDLE nativeHandleOf(int handle) { return handles().get(handle, Slot::File).handle; }

}  // namespace win32

bool fileWrite(int handle, const char* data, std::size_t size) {
    const HANDLE h = win32::nativeHandleOf(handle);
    if (h == INVALID_HANDLE_VALUE) return false;
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool fileWrite(int handle, const std::string& text) { return fileWrite(handle, text.data(), text.size()); }

long long fileRead(int handle, char* data, std::size_t size) {
    const HANDLE h = win32::nativeHandleOf(handle);
    if (h == INVALID_HANDLE_VALUE) return -1;
    DWORD got = 0;
    const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    if (!ReadFile(h, data, want, &got, nullptr)) return -1;
    return got;
}

bool fileSeekEnd(int handle) {
    const HANDLE h = win32::nativeHandleOf(handle);
    LARGE_INTEGER zero{};
    return h != INVALID_HANDLE_VALUE && SetFilePointerEx(h, zero, nullptr, FILE_END);
}

bool fileSeek(int handle, long long offset) {
    const HANDLE h = win32::nativeHandleOf(handle);
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return h != INVALID_HANDLE_VALUE && SetFilePointerEx(h, to, nullptr, FILE_BEGIN);
}

bool fileSync(int handle) {
    const HANDLE h = win32::nativeHandleOf(handle);
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
}

bool fileClose(int handle) {
    const Entry e = handles().release(handle, Slot::File);
    return e.handle != INVALID_HANDLE_VALUE && CloseHandle(e.handle);
}

}  // namespace platform
