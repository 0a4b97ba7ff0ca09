// What the journal (platform/journal.cpp) needs of the system beyond the
// file functions of platform/files.h, one implementation per platform.
#pragma once

#include <cstddef>

namespace platform::journalos {

// Before the first append: a full disk or a file size limit must make a
// write fail, never end the program.
void prepare();
// The exclusive lock of an opened file, waited for up to ms milliseconds;
// false only when another run holds it (a file system without locks is
// used unlocked).
bool lockWithin(int handle, int ms);
long long sizeOf(int handle);   // -1 on failure
// Reads up to size bytes at an offset (the file position may move).
long long readAt(int handle, long long offset, char* data, std::size_t size);
// Cuts the file to size bytes; the next write goes to its new end.
bool cutAt(int handle, long long size);

}  // namespace platform::journalos
