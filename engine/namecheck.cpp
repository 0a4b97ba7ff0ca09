// The tests the rename action puts a row through before it renames.
#include "engine/namecheck.h"

#include <cstddef>

namespace engine {
namespace {

// Control characters and the nine characters no file name may hold.
struct ForbiddenTable {
    bool chars[256] = {};
    constexpr ForbiddenTable() {
        for (int c = 0; c < 32; ++c) chars[c] = true;
        for (const char* p = "\"*/:<>?\\|"; *p; ++p) chars[static_cast<unsigned char>(*p)] = true;
    }
};
constexpr ForbiddenTable Forbidden;

}  // namespace

bool hasControlChar(std::string_view text) {
    for (unsigned char c : text)
        if (c < 32) return true;
    return false;
}

bool isValidName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (Forbidden.chars[c]) return false;
    return true;
}

// Only A-Z fold here, which is all the Latin-1 upper-casing can turn into
// these letters; it runs once per row, so it stays a plain scan.
bool holdsProductName(std::string_view text) {
    constexpr char product[] = "quonabix";
    constexpr std::size_t n = sizeof product - 1;
    for (std::size_t i = 0; i + n <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < n && (text[i + k] | 0x20) == product[k]) ++k;
        if (k == n) return true;
    }
    return false;
}

}  // namespace engine
