// The tests the rename action puts a row through before it renames.
#include "engine/namecheck.h"

#include <cstddef>

namespace engine {
namespace {

// Control characters and the nine characters no file name may hold.
struct Verboten {
    bool zeichen[256] = {};
    constexpr Verboten() {
        for (int c = 0; c < 32; ++c) zeichen[c] = true;
        for (const char* p = "\"*/:<>?\\|"; *p; ++p) zeichen[static_cast<unsigned char>(*p)] = true;
    }
};
constexpr Verboten VerboteneZeichen;

}  // namespace

bool hatSteuerzeichen(std::string_view text) {
    for (unsigned char c : text)
        if (c < 32) return true;
    return false;
}

bool nameGueltig(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (VerboteneZeichen.zeichen[c]) return false;
    return true;
}

// Only A-Z fold here, which is all the Latin-1 upper-casing can turn into
// these letters; it runs once per row, so it stays a plain scan.
bool enthaeltProdukt(std::string_view text) {
    constexpr char klein[] = "quonabix";
    constexpr std::size_t n = sizeof klein - 1;
    for (std::size_t i = 0; i + n <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < n && (text[i + k] | 0x20) == klein[k]) ++k;
        if (k == n) return true;
    }
    return false;
}

}  // namespace engine
