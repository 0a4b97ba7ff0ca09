// The file-system door of Quonabix.
//
// Paths are UTF-8 (or any bytes) std::string; a directory text ends with
// the platform's separator. Handles are small positive integers, 0 is
// failure. The backends are platform/posix and platform/win32. Listing,
// matching and sorting are written once in engine/ over the primitives here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// ---- path texts ------------------------------------------------------------------
// The separator a directory text ends with: "/" on Linux; "\" on Windows,
// where "/" separates too. A file name is the text after the last one.
#ifdef _WIN32
constexpr char PathSeparator = '\\';
constexpr bool isSeparator(char c) { return c == '\\' || c == '/'; }
#else
constexpr char PathSeparator = '/';
constexpr bool isSeparator(char c) { return c == '/'; }
#endif
// The root an absolute path starts with, separator included: "/" on Linux;
// "C:\" or "\\server\share\" on Windows. "" for a relative path.
std::string pathRoot(const std::string& path);
inline bool isAbsolutePath(const std::string& path) { return !pathRoot(path).empty(); }
// Position of the last separator; npos when there is none.
std::size_t lastSeparator(const std::string& path);
// A path as seen from the folder base: an absolute one as it is; on
// Windows "\x" on the drive of base; anything else below base.
std::string resolvePath(const std::string& base, const std::string& path);

// ---- directory listing ------------------------------------------------------
enum class EntryKind { File, Directory, Other };

// Opens a directory for listing; 0 when it cannot be opened.
int openDirList(const std::string& dir);
// Next entry, "." and ".." included; false at the end. A symbolic link is
// a File (renamed as the link itself); on Windows a link, junction or mount
// point to a folder is a Directory, as Explorer shows it.
bool nextDirEntry(int handle, std::string& name, EntryKind& kind);
void closeDirList(int handle);

bool isDirectory(const std::string& path);
// A folder text as the folder tree holds it: absolute (a relative one is
// taken from the current folder), without empty, "." and ".." parts (".."
// taken back by its name, not through links), no trailing "/" but for "/".
std::string cleanFolderPath(const std::string& path);
// The names of a path's folders, with empty, "." and ".." parts resolved
// by name, as cleanFolderPath takes them.
std::vector<std::string> folderParts(const std::string& path);
bool fileExists(const std::string& path);          // any kind of entry, links not followed
long long fileSize(const std::string& path);       // -1 when missing
bool createDirectory(const std::string& path);
// A directory only this user may use: created with mode 0700 (its parents
// too) where missing; true when it is a real directory (not a link) of
// this user.
bool makePrivateDirectory(const std::string& path);

// Which directory a path leads to (links followed), or an opened rename
// directory is: a folder swapped for another one between two looks shows
// a different identity.
struct FileIdentity {
    uint64_t device = 0, inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
bool directoryIdentity(const std::string& dir, FileIdentity& out);

// What a directory entry is, a link looked at itself: its kind, size,
// number of names (hard links) and identity. False when nothing has the name.
struct EntryFacts {
    EntryKind kind = EntryKind::Other;
    long long size = 0;
    long long links = 0;
    FileIdentity identity;
};
bool entryFacts(const std::string& path, EntryFacts& out);

// Which state of its entries a directory is in: a name added, removed or
// renamed in it gives another stamp (within the file system's clock tick).
struct FolderStamp {
    FileIdentity identity;
    int64_t changedSec = 0, changedNsec = 0;   // last change of its entries
    bool operator==(const FolderStamp&) const = default;
};
bool folderStamp(const std::string& dir, FolderStamp& out);

// ---- what a folder's file system allows of a name ---------------------------------
// Asked once per folder by the one verdict of a row (engine/namecheck.h),
// which the preview and the rename action share. The nine characters no
// name may hold anywhere are the engine's own rule, not asked here.
struct NameRules {
    std::size_t maxBytes = 255;    // longest name, in bytes of its UTF-8 text
    std::size_t maxUnits = 0;      // longest in UTF-16 units where the file system counts so; 0: no such limit
    bool windowsNames = false;     // device names (CON, NUL, COM1 ...) refused, a last "." or " " dropped
    bool utf8Only = false;         // a name must be valid UTF-8 (exFAT, FAT, NTFS)
    bool asciiOnly = false;        // only ASCII names (FAT by fusefat, which writes no long Unicode names)
};
NameRules nameRules(const std::string& dir);
enum class NameProblem { None, TooLong, Refused, Altered };
NameProblem nameProblem(const NameRules& rules, const char* name, std::size_t size);

// ---- where a file's content lives, and what a save must keep of it -------------
// The file a chain of symbolic links leads to, as an absolute path; path
// itself when it is no link or the chain leads nowhere.
std::string linkTarget(const std::string& path);

struct FileFacts {
    bool exists = false;    // links followed
    int permissions = 0;    // permission bits (rwx for user, group, others)
    bool ownFile = false;   // owned by the user the program runs as
    long long links = 0;    // names the file has (hard links)
};
FileFacts fileFacts(const std::string& path);

// Sets the permission bits of a file (links followed); false on failure.
bool setPermissions(const std::string& path, int permissions);

// ---- times -------------------------------------------------------------------
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
enum class FileTimeKind { Creation = 0, Access = 1, Modification = 2 };
// The file's time in local time; false when the file is missing or the file
// system does not keep that time (no birth time, for instance).
bool fileTime(const std::string& path, FileTimeKind kind, LocalTime& out);

// ---- the date a photo was taken --------------------------------------------------
// Which content a file has, as far as a look at it tells without reading
// it: a file written, replaced or touched since shows another stamp. False
// when the path (links followed) leads to no regular file.
struct ContentStamp {
    FileIdentity identity;   // 0 where the platform does not say
    long long size = 0;
    int64_t modifiedSec = 0, modifiedNsec = 0;
    int64_t changedSec = 0, changedNsec = 0;   // status change; 0 where the platform does not say
    bool operator==(const ContentStamp&) const = default;
};
bool contentStamp(const std::string& path, ContentStamp& out);
// The photo's own text of when it was taken, as the file holds it: EXIF
// DateTimeOriginal, else DateTimeDigitized ("YYYY:MM:DD HH:MM:SS" where
// the camera kept to the form; not checked here); a movie's creation time
// laid out the same way, where the library reads it. "" when the file has
// none or cannot be read; never throws. `read`, where given, gets the
// stamp of the content the text came from.
std::string photoTakenText(const std::string& path, ContentStamp* read = nullptr);

// ---- renaming ------------------------------------------------------------------
// Why a rename did not happen, as far as the system says.
enum class RenameResult {
    Ok, TargetExists, SourceMissing,
    NotAFile,       // the name now belongs to a folder or something else that is no file
    NoPermission, DiskFull, NameTooLong,
    InUse,          // another program holds the file open (Windows)
    NameRefused,    // the file system does not allow the new name
    Failed,
    ReservationNeeded,   // only by a rename that was not allowed to reserve (below)
    StepsNeeded,         // only by renameOneStepAt: it would take more than one step
};
// The name a change of letter case alone passes through on its way (a file
// system that ignores case takes the file itself for the target): always
// the same for the same two names, so that after a crash the file is found
// there.
std::string caseChangeTempName(const std::string& fromName, const std::string& toName);

// Renames relative to a directory opened with openDirForRename (0 =
// failure). Never replaces an existing file; renames only a file, and a
// symbolic link as the link, never its target or a folder. Where the file
// system has neither a never-replacing rename nor hard links (exFAT, FAT),
// the new name is first reserved by an empty file of its own, which the
// rename then replaces; a crash in between leaves that reservation behind.
// A caller that journals its renames passes mayReserve = false until it
// has recorded that reservations may be left, and then gets
// ReservationNeeded, with nothing done, where one would be made.
int openDirForRename(const std::string& dir);
RenameResult renameNoReplaceAt(int dirHandle, const std::string& fromName, const std::string& toName,
                               bool mayReserve = true);
// Whether renaming fromName to toName there is one system call that
// either happens or does not: the directory's never-replacing rename is
// known to work (a rename there succeeded) and the names differ in more
// than letter case. A caller may then record the lines of several such
// renames in one write ahead of them: after a crash each one is either
// done or not begun, never half-way.
bool renameIsOneStep(int dirHandle, const std::string& fromName, const std::string& toName);
// renameNoReplaceAt for such a rename only; where it would take more than
// that one step, StepsNeeded with nothing done.
RenameResult renameOneStepAt(int dirHandle, const std::string& fromName, const std::string& toName);
// True while the directory's renames may reserve their new names (until a
// rename showed that its file system never replaces by itself): a caller
// that journals looks first whether the new name is free, so that a line
// it records never stands beside a file that was there before.
bool renameMayReserve(int dirHandle);
// Whether another entry than `by` itself has the name (links not
// followed): where case is ignored, a change of case finds the file itself.
bool nameTakenAt(int dirHandle, const std::string& name, const std::string& by);
bool renameDirIdentity(int dirHandle, FileIdentity& out);
void closeDirForRename(int dirHandle);

// Replaces target by source in one step (used to put a fully written
// settings file in place).
bool replaceFileAtomic(const std::string& source, const std::string& target);
bool removeFile(const std::string& path);

// ---- files ---------------------------------------------------------------------
enum class OpenMode {
    Create,          // create or empty, write
    OpenOrCreate,    // read and write, create when missing, at the start
    Read,            // existing file, read only
    Append,          // read and write, create when missing, at the end
    CreatePrivate,   // create new only (exclusive), mode 0600, links not followed
    AppendPrivate,   // like Append, mode 0600 when created, links not followed
    ReadPrivate,     // existing file, read only, links not followed
};
// The private modes accept only a regular file of this user with a single
// name: in a temporary directory that others share, a planted link, pipe,
// device or second hard link must never be read or written through.
int fileOpen(const std::string& path, OpenMode mode);
// Writes all bytes straight to the operating system (no buffering here).
bool fileWrite(int handle, const char* data, std::size_t size);
bool fileWrite(int handle, const std::string& text);
// Reads up to size bytes; returns the count, 0 at the end, -1 on failure.
long long fileRead(int handle, char* data, std::size_t size);
bool fileSeekEnd(int handle);
bool fileSeek(int handle, long long offset);   // from the start
bool fileSync(int handle);                     // to the disk
bool fileClose(int handle);

// ---- journal --------------------------------------------------------------------
// An append-only log, opened like AppendPrivate and held by one run at a
// time, so the lines of one action stay together. Every append is one
// write to the operating system: once it returned, the lines survive the
// death of the program. An append either reaches the file whole or leaves
// nothing behind (a full disk cuts the file back), and never raises a
// signal. Opening cuts off what a crashed writer left unfinished: a tail
// of zero bytes and a last line without its line end.
enum class JournalStatus { Open, Busy, Failed };
// 0 when the file cannot be used; Busy when another run kept it locked.
int journalOpen(const std::string& path, JournalStatus* status = nullptr);
bool journalAppend(int handle, const char* data, std::size_t size);
// Takes the last append back out of the file (its rename did not happen).
bool journalTakeBack(int handle);
// Takes the last size bytes of this run's appends back out (lines written
// ahead of renames that will not happen now); never more than this run
// appended.
bool journalCutBack(int handle, std::size_t size);
// Syncs the file once, releases it and closes the handle.
bool journalClose(int handle);

}  // namespace platform
