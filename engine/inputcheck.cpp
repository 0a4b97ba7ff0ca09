// The check of typed rule input against a mask of allowed characters.
#include "engine/inputcheck.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/texts.h"
#include "support/infobox.h"
#include "support/text.h"

namespace engine {
namespace {

struct MaskPart {
    const char* name;
    const char* allowedChars;
    const char* onceOnly;   // signs a number may hold only once
};

// Found by plain substring search, so "#0-9-.," also brings in "#0-9",
// "#0-9-" and "#0-9-.".
constexpr MaskPart MaskParts[] = {
    {"#A-Z", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", ""},
    {"#a-z", "abcdefghijklmnopqrstuvwxyz", ""},
    {"#0-9", "0123456789", ""},
    {"#0-9-", "-0123456789", "-"},
    {"#0-9-,", ",-0123456789", ",-"},
    {"#0-9-.", ".-0123456789", ".-"},
    {"#0-9-.,", ".,-0123456789", ".,-"},
    {"#S01", "%_-!$.", ""},
    {"#SP", " ", ""},
};

int reject(const std::string& mask, std::size_t position, const std::string& character,
           const std::string& text) {
    if (mask.find("#NO_MSG") != std::string::npos) return 0;
    support::yInfoBox(text::Product,
                      text::CheckPosition + std::to_string(position) + text::CheckEquals + character +
                          text::CheckIn + text + text::CheckInvalidChar,
                      0);
    return 0;
}

}  // namespace

// Positions count characters, so an umlaut is one position and is refused
// as a whole, never as two stray bytes.
int yCheckInput(const std::string& mask, const std::string& allowed, const std::string& text) {
    std::string allowedChars = allowed, onceOnly;
    if (allowed.empty()) {
        for (const MaskPart& part : MaskParts) {
            if (mask.find(part.name) == std::string::npos) continue;
            allowedChars += part.allowedChars;
            onceOnly += part.onceOnly;
        }
    }
    const std::vector<std::string> allowedList = support::charsOf(allowedChars);
    const std::vector<std::string> chars = support::charsOf(text);
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (std::find(allowedList.begin(), allowedList.end(), chars[i]) == allowedList.end())
            return reject(mask, i + 1, chars[i], text);
    }
    // A repeated once-only sign is named at its second occurrence.
    for (const std::string& onceChar : support::charsOf(onceOnly)) {
        bool seen = false;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] != onceChar) continue;
            if (seen) return reject(mask, i + 1, chars[i], text);
            seen = true;
        }
    }
    return 1;
}

}  // namespace engine
