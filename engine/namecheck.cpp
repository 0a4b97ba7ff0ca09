// The tests the rename action puts a row through before it renames, and
// the verdict of a row that the preview shares.
#include "engine/namecheck.h"

#include <cstddef>

#include "engine/texts.h"

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

const char* verdictReason(RowVerdict v, const FolderFacts& folder) {
    switch (v) {
        case RowVerdict::NoName:
        case RowVerdict::InvalidName: return text::WhyInvalid;
        case RowVerdict::NameTooLong: return text::WhyTooLong;
        case RowVerdict::NameRefused: return folder.rules.windowsNames ? text::WhyWindowsRefuses : text::WhyRefused;
        case RowVerdict::NameAltered: return text::WhyWindowsAlters;
        default: return nullptr;
    }
}

FolderFacts folderFacts(const std::string& folder) {
    FolderFacts f;
    f.empty = folder.empty();
    f.valid = !hasControlChar(folder);
    f.product = holdsProductName(folder);
    if (!f.empty) f.rules = platform::nameRules(folder);
    return f;
}

RowVerdict rowVerdict(const FolderFacts& folder, std::string_view current, CurrentName facts, std::string_view next) {
    if (current.empty() || next.empty() || folder.empty) return RowVerdict::NoName;
    if (!folder.valid || !facts.valid || !isValidName(next)) return RowVerdict::InvalidName;
    if (current == next) return RowVerdict::Unchanged;
    switch (platform::nameProblem(folder.rules, next.data(), next.size())) {
        case platform::NameProblem::TooLong: return RowVerdict::NameTooLong;
        case platform::NameProblem::Refused: return RowVerdict::NameRefused;
        case platform::NameProblem::Altered: return RowVerdict::NameAltered;
        case platform::NameProblem::None: break;
    }
    if (folder.product || facts.product) return RowVerdict::Protected;
    return RowVerdict::Rename;
}

}  // namespace engine
