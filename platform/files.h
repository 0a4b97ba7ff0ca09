// The file-system door of Quonabix.
//
// Paths are UTF-8 (or any bytes) std::string; a directory text ends with
// "/". Handles are small positive integers, 0 is failure. The one backend is
// platform/posix. Listing, matching and sorting are written once in engine/
// over the primitives here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// ---- directory listing ------------------------------------------------------
enum class EntryKind { File, Directory, Other };

// Opens a directory for listing; 0 when it cannot be opened.
int openDirList(const std::string& dir);
// Next entry, "." and ".." included; false at the end. A symbolic link is a File.
bool nextDirEntry(int handle, std::string& name, EntryKind& kind);
void closeDirList(int handle);

bool isDirectory(const std::string& path);
bool fileExists(const std::string& path);          // any kind of entry, links not followed
long long fileSize(const std::string& path);       // -1 when missing
bool createDirectory(const std::string& path);

// ---- times -------------------------------------------------------------------
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
enum class FileTimeKind { Creation = 0, Access = 1, Modification = 2 };
// The file's time in local time; false when the file is missing or the file
// system does not keep that time (no birth time, for instance).
bool fileTime(const std::string& path, FileTimeKind kind, LocalTime& out);
// Seconds since the epoch of the same time; 0 when unknown.
long long fileTimeSeconds(const std::string& path, FileTimeKind kind);

// ---- renaming ------------------------------------------------------------------
enum class RenameResult { Ok, TargetExists, SourceMissing, Failed };

// Never replaces an existing file; a symbolic link is renamed, not its target.
RenameResult renameNoReplace(const std::string& from, const std::string& to);
// The same relative to a directory opened with openDirForRename (0 = failure).
int openDirForRename(const std::string& dir);
RenameResult renameNoReplaceAt(int dirHandle, const std::string& fromName, const std::string& toName);
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
};
int fileOpen(const std::string& path, OpenMode mode);
// Writes all bytes straight to the operating system (no buffering here).
bool fileWrite(int handle, const char* data, std::size_t size);
bool fileWrite(int handle, const std::string& text);
// Reads up to size bytes; returns the count, 0 at the end, -1 on failure.
long long fileRead(int handle, char* data, std::size_t size);
bool fileSeekEnd(int handle);
bool fileClose(int handle);

// ---- journal --------------------------------------------------------------------
// An append-only log, opened like AppendPrivate, whose lines reach the
// operating system as they are added, so a crash of the program loses none
// of them, yet without a system call per line: the lines are copied into
// the file's pages mapped into memory. Where another run holds the same
// journal, or the mapping fails, each line is written instead.
// expectedBytes sizes the first reserve; the journal grows as needed.
int journalOpen(const std::string& path, std::size_t expectedBytes = 0);
bool journalAppend(int handle, const char* data, std::size_t size);
bool journalClose(int handle);

}  // namespace platform
