// Text helpers of the support library. Texts are UTF-8; every operation
// counts and maps characters (code points), not bytes. Bytes that are not
// valid UTF-8 pass through untouched, one byte counting as one character,
// so a rule can never turn a foreign file name into other bytes by accident.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace support {

// Latin-1 case table: a-z and U+00E0..U+00FE (÷ included) up by 32;
// ß, ÿ and everything above U+00FF stay.
std::string toUpper(const std::string& text);
std::string toLower(const std::string& text);

// Folds only A-Z / a-z, as every case-ignoring comparison of the program does.
char foldAZ(char c);
bool equalsFoldAZ(const std::string& a, const std::string& b);

// Replaces every occurrence of find by by, scanning left to right, never
// rescanning inserted text; ignoreCase folds A-Z / a-z.
std::string replaceAll(const std::string& text, const std::string& find,
                       const std::string& by, bool ignoreCase);
// Position (0-based byte offset) of find in text from start, folding A-Z; npos when none.
std::size_t findFoldAZ(const std::string& text, const std::string& find, std::size_t start = 0);

// Bytes of the character that starts at byte i: a whole UTF-8 sequence,
// or 1 for a stray byte.
std::size_t charLength(std::string_view text, std::size_t i);
// Characters of a text: each a code point's bytes (or one stray byte).
std::vector<std::string> charsOf(const std::string& text);
std::size_t charCount(const std::string& text);
// The first n characters of the text.
std::string leftChars(const std::string& text, std::size_t n);

// Removes blanks (only " ") at both ends.
std::string trimBlanks(const std::string& text);
// Removes blanks, tabs, CR and LF at both ends.
std::string trimSpace(const std::string& text);

// Date masks: "%yyyy" "%mm" "%dd" "%hh" "%ii" "%ss", tokens in any case,
// other characters copied.
std::string formatDate(const std::string& mask, const platform::LocalTime& time);

// File part of a path: the text after the last "/".
std::string fileNamePart(const std::string& path);
// Directory part: up to and including the last "/"; "" when there is none.
std::string directoryPart(const std::string& path);
// A directory text as the program holds it, ending with "/"; "" stays "".
std::string withTrailingSlash(std::string dir);

}  // namespace support
