// File and path helpers of the support library. Open files are the int
// handles of platform::fileOpen (0 = failure); paths use "/" and a directory
// ends with "/"; positions count characters from 1.
#pragma once

#include <string>

namespace support {

int yCreateFile(const std::string& path);   // created or emptied, for writing
int yOpenFile(const std::string& path);     // read/write, created when missing, at the start
int yReadFile(const std::string& path);     // existing file, read only

// Copies source to target ("#ADD" in the mode: appends to it). "1/" on
// success, otherwise "0/" followed by the message for the user.
std::string yCopyFile(const std::string& mode, const std::string& source,
                      const std::string& target);

// Creates the directory and every missing parent; non-zero when it exists afterwards.
int yCreateDirectoryAll(const std::string& dir);

// Full path of relPath ("../" and "./" resolved) seen from baseDir.
std::string DateiVerzKorr(const std::string& relPath, const std::string& baseDir);

// Writes text as it stands; the byte count, 0 when the file cannot be written.
long long writeTextFile(const std::string& path, const std::string& text);
// The file's lines joined; "#WNL" in the options ends each with CR LF.
std::string readTextFile(const std::string& path, const std::string& options);
// The whole content of an existing file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& out);

// Line by line through a text: command 0 restarts (and answers " " before the
// first line), -1 moves to the next line, anything else repeats the current
// one. An empty line before the last reads " "; an empty last line and
// anything past the last line read "".
std::string yReadLine(const std::string& text, int command);

// Pieces of the text ended by separator; a last piece without one counts too.
int countLines(const std::string& text, const std::string& separator);
// Last position at or before start where search begins; start 0 means the end.
int searchBackward(const std::string& text, const std::string& search, int start);
// The text with insert written over it from position on.
std::string overwriteAt(const std::string& text, const std::string& insert, int position);
// Every ch between open and close (nesting counted) becomes replacement.
std::string replaceInBrackets(const std::string& text, const std::string& ch,
                              const std::string& replacement, const std::string& open,
                              const std::string& close);

// The file name when it has an extension, else "".
std::string fileNameWithExtension(const std::string& unused, const std::string& path);
// "X:" of a path that starts with a drive letter; "" for Linux paths.
std::string driveOfPath(const std::string& unused, const std::string& path);
// From the first to the last "/", both included.
std::string directoryWithoutDrive(const std::string& unused, const std::string& path);

// The path of an existing file whose name equals path's ignoring A-Z case,
// the same one for every spelling (small letters first, then byte order);
// path itself when nothing matches.
std::string findFileNoCase(const std::string& path);

}  // namespace support
