// The tests the rename action puts a row through before it renames, shared
// with the preview of failing rows so that both always decide alike.
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace engine {

// Whether the text holds a character below 32.
bool hasControlChar(std::string_view text);
// A file name the action renames from or to: not empty, not "." or "..",
// no character below 32 and none of " * / : < > ? \ |.
bool isValidName(std::string_view name);
// Whether the text, upper-cased, holds "QUONABIX": files whose path holds
// the product name are never renamed.
bool holdsProductName(std::string_view text);

// ---- the verdict of a ticked row ---------------------------------------------------
// What "Rename" does with a ticked row, decided from its two names and
// what is known of the folder alone, in the action's order: names missing,
// names invalid (for any file system, or for this folder's), nothing to
// do, never renamed, else renamed. The preview marks every verdict that
// fails and then simulates the renames of the rest in the action's order;
// the action asks the same function, so that both always agree.
enum class RowVerdict {
    Rename, Unchanged, Protected,
    NoName,        // a name or the folder is empty
    InvalidName,   // a character no name may hold, or a folder text with a line break
    NameTooLong, NameRefused, NameAltered,   // by the rules of the folder's file system
};
inline bool fails(RowVerdict v) { return v >= RowVerdict::NoName; }

struct FolderFacts {
    bool empty = true;       // no folder chosen
    bool valid = true;       // no control character in its path
    bool product = false;    // its path holds the product name
    platform::NameRules rules;
};
// The folder text as the table shows it, ending with the separator.
FolderFacts folderFacts(const std::string& folder);

// What the verdict needs of the current name; the preview keeps it per
// listed name, so that a rebuild looks at each name once.
struct CurrentName {
    bool valid = false;
    bool product = false;
};
inline CurrentName currentName(std::string_view name) { return {isValidName(name), holdsProductName(name)}; }

RowVerdict rowVerdict(const FolderFacts& folder, std::string_view current, CurrentName facts, std::string_view next);
// Why a failing verdict fails, in the user's words; nullptr for the others.
const char* verdictReason(RowVerdict v, const FolderFacts& folder);

}  // namespace engine
