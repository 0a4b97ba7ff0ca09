// The tests the rename action puts a row through before it renames, shared
// with the preview of failing rows so that both always decide alike.
#pragma once

#include <string_view>

namespace engine {

// Whether the text holds a character below 32.
bool hasControlChar(std::string_view text);
// A file name the action renames from or to: not empty, not "." or "..",
// no character below 32 and none of " * / : < > ? \ |.
bool isValidName(std::string_view name);
// Whether the text, upper-cased, holds "QUONABIX": files whose path holds
// the product name are never renamed.
bool holdsProductName(std::string_view text);

}  // namespace engine
