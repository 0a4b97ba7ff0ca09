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

struct MaskenTeil {
    const char* name;
    const char* erlaubt;
    const char* einmal;   // signs a number may hold only once
};

// Found by plain substring search, so "#0-9-.," also brings in "#0-9",
// "#0-9-" and "#0-9-.".
constexpr MaskenTeil MaskenTeile[] = {
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

int ablehnen(const std::string& mask, std::size_t position, const std::string& zeichen,
             const std::string& text) {
    if (mask.find("#NO_MSG") != std::string::npos) return 0;
    support::yInfoBox(text::Produkt,
                      text::PruefPosition + std::to_string(position) + text::PruefGleich + zeichen +
                          text::PruefIn + text + text::PruefUngueltig,
                      0);
    return 0;
}

}  // namespace

// Positions count characters, so an umlaut is one position and is refused
// as a whole, never as two stray bytes.
int yCheckInput(const std::string& mask, const std::string& allowed, const std::string& text) {
    std::string erlaubt = allowed, einmal;
    if (allowed.empty()) {
        for (const MaskenTeil& teil : MaskenTeile) {
            if (mask.find(teil.name) == std::string::npos) continue;
            erlaubt += teil.erlaubt;
            einmal += teil.einmal;
        }
    }
    const std::vector<std::string> erlaubteZeichen = support::yChars(erlaubt);
    const std::vector<std::string> zeichen = support::yChars(text);
    for (std::size_t i = 0; i < zeichen.size(); ++i) {
        if (std::find(erlaubteZeichen.begin(), erlaubteZeichen.end(), zeichen[i]) == erlaubteZeichen.end())
            return ablehnen(mask, i + 1, zeichen[i], text);
    }
    // A repeated once-only sign is named at its second occurrence.
    for (const std::string& zeichenEinmal : support::yChars(einmal)) {
        bool gesehen = false;
        for (std::size_t i = 0; i < zeichen.size(); ++i) {
            if (zeichen[i] != zeichenEinmal) continue;
            if (gesehen) return ablehnen(mask, i + 1, zeichen[i], text);
            gesehen = true;
        }
    }
    return 1;
}

}  // namespace engine
