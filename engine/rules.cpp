// The five new-name rules and the time stamps of the pattern rule.
#include "engine/rules.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "engine/photodate.h"
#include "engine/table.h"
#include "platform/files.h"
#include "platform/window.h"
#include "support/infobox.h"
#include "support/ids.h"
#include "support/text.h"

namespace engine {
namespace {

using support::replaceAll;

const std::string DateMask = "%yyyy_%mm_%dd";
const std::string TimeMask = "%hh-%ii-%ss";
const std::string PhSwapExtension = "%erw%";

// What a placeholder of the pattern rule stands for.
enum class Value { Number, Base, FileName, Extension, FileTime, Taken };

struct Placeholder {
    std::string token;                              // found ignoring the case of A-Z
    Value value;
    const std::string* mask = nullptr;              // the layout of a date or time
    int kind = 0;                                   // which file time: 0 creation, 1 last access, 2 modification
    PatternPiece::Kind piece = PatternPiece::Text;  // its piece where the pattern is taken apart once; Text: read per file
};

// The placeholders in their order of replacement: each works on the text
// the ones before left, so a value brought in early meets the later ones.
const Placeholder Placeholders[] = {
    {"%NR%", Value::Number, nullptr, 0, PatternPiece::Number},
    {"%DATEI%", Value::Base, nullptr, 0, PatternPiece::Base},
    {"%DATEINAMEN%", Value::FileName, nullptr, 0, PatternPiece::FileName},
    {"%ERW%", Value::Extension, nullptr, 0, PatternPiece::Extension},
    {"%DC%", Value::FileTime, &DateMask, 0},
    {"%DA%", Value::FileTime, &DateMask, 1},
    {"%DM%", Value::FileTime, &DateMask, 2},
    {"%DX%", Value::Taken, &DateMask},
    {"%TC%", Value::FileTime, &TimeMask, 0},
    {"%TA%", Value::FileTime, &TimeMask, 1},
    {"%TM%", Value::FileTime, &TimeMask, 2},
    {"%TX%", Value::Taken, &TimeMask},
};

// A mask of more places than this would only ever hold zeros.
constexpr int MaxDigits = 255;

struct NameParts {
    std::string_view base, extension;
};

// Base name and extension split at the last "."; both empty without a dot.
NameParts splitName(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return {};
    return {fileName.substr(0, dot), fileName.substr(dot + 1)};
}

// The running number in `digits` digits: a mask of that many zeros.
std::string numberText(int digits, int32_t value) {
    return yFormatNumber(std::string(static_cast<std::size_t>(std::clamp(digits, 0, MaxDigits)), '0'),
                         value);
}

std::string fromPieces(const RuleInputs& in, const NameParts& parts,
                       const std::string& fileName, int32_t number) {
    std::string out;
    out.reserve(in.pattern.size() + fileName.size() + 16);
    for (const PatternPiece& s : in.pieces) {
        switch (s.kind) {
            case PatternPiece::Text: out += s.text; break;
            case PatternPiece::Number: out += numberText(in.digits, number); break;
            case PatternPiece::Base: out.append(parts.base); break;
            case PatternPiece::FileName: out += fileName; break;
            case PatternPiece::Extension: out.append(parts.extension); break;
        }
    }
    return out;
}

// The values of one file, each worked out when its placeholder is met;
// the photo is read at most once for its date and its time.
struct FileValues {
    const RuleInputs& in;
    const std::string& path;
    const std::string& fileName;
    NameParts parts;
    int32_t number;
    bool takenRead = false, taken = false;
    platform::LocalTime moment;

    std::string of(const Placeholder& p) {
        switch (p.value) {
            case Value::Number: return numberText(in.digits, number);
            case Value::Base: return std::string(parts.base);
            case Value::FileName: return fileName;
            case Value::Extension: return std::string(parts.extension);
            case Value::FileTime: return yGetFileDate("", path, *p.mask, p.kind, 0);
            case Value::Taken:
                if (!takenRead) taken = photoTaken(path, moment);
                takenRead = true;
                return taken ? support::formatDate(*p.mask, moment) : "";
        }
        return "";
    }
};

std::string byPattern(const RuleInputs& in, const std::string& path,
                      const std::string& fileName, int32_t number) {
    // A name holding "%" could bring in a placeholder of a later step.
    if (!in.pieces.empty() && fileName.find('%') == std::string::npos)
        return fromPieces(in, splitName(fileName), fileName, number);
    std::string work = in.pattern;
    FileValues values{in, path, fileName, splitName(fileName), number, false, false, {}};
    for (const Placeholder& p : Placeholders) {
        // Every placeholder needs a "%"; most patterns are done early. The
        // test is made on the text as it now stands, since a value brought
        // in may itself hold one.
        if (work.find('%') == std::string::npos) break;
        if (p.value == Value::Taken && !photoDatesOn) continue;
        if (support::findFoldAZ(work, p.token) == std::string::npos) continue;
        work = replaceAll(work, p.token, values.of(p), true);
    }
    return work;
}

std::string withoutText(const RuleInputs& in, const std::string& fileName) {
    const std::string& removed = in.removeText;
    if (in.where == RemoveAt::All)
        return removed.empty() ? fileName : replaceAll(fileName, removed, "", true);
    const std::size_t n = support::charCount(removed);
    if (in.where == RemoveAt::Start) {
        // Compared as characters, so half of a character is never cut off.
        if (support::leftChars(fileName, n) == removed) return fileName.substr(removed.size());
        return fileName;
    }
    const std::size_t total = support::charCount(fileName);
    if (total < n) return fileName;
    const std::size_t cut = support::leftChars(fileName, total - n).size();
    if (fileName.compare(cut, std::string::npos, removed) == 0) return fileName.substr(0, cut);
    return fileName;
}

std::string withLetterCase(const RuleInputs& in, const std::string& fileName) {
    switch (in.letterCase) {
        case LetterCase::Upper: return support::toUpper(fileName);
        case LetterCase::Lower: return support::toLower(fileName);
        case LetterCase::CapitalFirst: {
            const std::string first = support::leftChars(fileName, 1);
            return support::toUpper(first) + support::toLower(fileName.substr(first.size()));
        }
    }
    return fileName;
}

std::string swapped(const RuleInputs& in, const std::string& fileName) {
    // The separator is one character; longer input counts by its first.
    const std::string sep = support::leftChars(in.separator, 1);
    if (sep.empty()) return fileName;
    const NameParts parts = splitName(fileName);
    std::string swappedName = in.order;
    std::size_t from = 0;
    for (int i = 1; swappedName.find('%') != std::string::npos; ++i) {
        const std::size_t sepAt = parts.base.find(sep, from);
        const std::size_t end = sepAt == std::string_view::npos ? parts.base.size() : sepAt;
        const std::string field(parts.base.substr(from, end - from));
        std::string placeholder(1, '%');   // built piecewise: GCC 12 warns falsely on "%" + ...
        placeholder += std::to_string(i);
        placeholder += '%';
        swappedName = replaceAll(swappedName, placeholder, field, false);
        if (sepAt == std::string_view::npos) break;
        from = sepAt + sep.size();
    }
    return replaceAll(swappedName, PhSwapExtension, std::string(parts.extension), true);
}

// Local time as a seconds count, as if the local clock were UTC; the form
// in which a date is handed back in (given date) and out ("#WERT").
long long localSeconds(const platform::LocalTime& t) {
    const long long y = t.month <= 2 ? t.year - 1 : t.year;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (t.month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + t.day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = era * 146097 + doe - 719468;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

platform::LocalTime fromSeconds(long long s) {
    const long long days = s / 86400;
    long long rest = s % 86400;
    platform::LocalTime t;
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    const long long z = days + 719468;
    const long long era = z / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
    return t;
}

bool fileTimeOf(const std::string& path, int kind, platform::LocalTime& out) {
    if (kind < 0 || kind > 2) return false;
    if (!platform::fileTime(path, static_cast<platform::FileTimeKind>(kind), out)) return false;
    return localSeconds(out) > 0;
}

}  // namespace

// The steps of the pattern rule run one after the other, each on the
// result of the one before. Run on the pattern itself, with a marker in
// place of each value, they give its pieces once per rebuild. That is only
// the same as running them per file where no "%" is left over for an
// inserted value to complete into a later placeholder, and no date or time
// is asked for (those are read per file).
std::vector<PatternPiece> splitPattern(const std::string& pattern) {
    if (pattern.find_first_of("\x01\x02\x03\x04") != std::string::npos) return {};
    std::string work = pattern;
    // Each piece's kind is its marker character.
    for (const Placeholder& p : Placeholders)
        if (p.piece != PatternPiece::Text) work = replaceAll(work, p.token, std::string(1, char(p.piece)), true);
    if (work.find('%') != std::string::npos) return {};
    std::vector<PatternPiece> pieces;
    for (char c : work) {
        if (c >= '\x01' && c <= '\x04') {
            pieces.push_back({static_cast<PatternPiece::Kind>(c), ""});
        } else {
            if (pieces.empty() || pieces.back().kind != PatternPiece::Text) pieces.push_back({});
            pieces.back().text += c;
        }
    }
    if (pieces.empty()) pieces.push_back({});
    return pieces;
}


RuleInputs readRuleInputs() {
    auto& w = platform::win();
    RuleInputs in;
    if (w.getState(ids::OptPattern)) in.rule = Rule::Pattern;
    else if (w.getState(ids::OptReplace)) in.rule = Rule::Replace;
    else if (w.getState(ids::OptRemove)) in.rule = Rule::Remove;
    else if (w.getState(ids::OptCase)) in.rule = Rule::LetterCase;
    else if (w.getState(ids::OptSwap)) in.rule = Rule::Swap;
    in.pattern = w.getText(ids::PatternField);
    in.digits = std::clamp<int32_t>(readNumber(w.getText(ids::DigitsField)), 0, MaxDigits);
    in.findText = w.getText(ids::ReplaceFindField);
    in.replaceBy = w.getText(ids::ReplaceByField);
    in.removeText = w.getText(ids::RemoveField);
    if (w.getState(ids::OptRemoveAll)) in.where = RemoveAt::All;
    else if (w.getState(ids::OptRemoveStart)) in.where = RemoveAt::Start;
    else if (w.getState(ids::OptRemoveEnd)) in.where = RemoveAt::End;
    if (w.getState(ids::OptUpper)) in.letterCase = LetterCase::Upper;
    else if (w.getState(ids::OptLower)) in.letterCase = LetterCase::Lower;
    else if (w.getState(ids::OptCapitalFirst)) in.letterCase = LetterCase::CapitalFirst;
    // The part-swap rule splits at one character; longer input counts by its first.
    in.separator = support::leftChars(w.getText(ids::SeparatorField), 1);
    in.order = w.getText(ids::OrderField);
    if (in.rule == Rule::Pattern) in.pieces = splitPattern(in.pattern);
    return in;
}

std::string newNameFor(const RuleInputs& in, const std::string& fullPath,
                       const std::string& fileName, int32_t number) {
    switch (in.rule) {
        case Rule::Pattern: return byPattern(in, fullPath, fileName, number);
        case Rule::Replace:
            if (in.findText.empty() || in.replaceBy.empty()) return fileName;
            return replaceAll(fileName, in.findText, in.replaceBy, true);
        case Rule::Remove: return withoutText(in, fileName);
        case Rule::LetterCase: return withLetterCase(in, fileName);
        case Rule::Swap: return swapped(in, fileName);
    }
    return fileName;
}

// Zero places of the mask take the decimal form from its right end; other
// mask characters are copied. Digits left over are dropped.
std::string yFormatNumber(const std::string& mask, int32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    std::ptrdiff_t k = end - digits;
    std::string out = mask;
    for (std::size_t i = out.size(); i-- > 0;) {
        if (out[i] == '0') out[i] = k > 0 ? digits[--k] : '0';
    }
    return out;
}

// The file's own local time, as the file manager shows it.
std::string yGetFileDate(const std::string& selector, const std::string& path,
                         const std::string& dateMask, int kind, long long givenDate) {
    const support::PgmTrace trace("yGetFileDate");
    platform::LocalTime stamp;
    if (selector.empty()) {
        if (givenDate > 0) stamp = fromSeconds(givenDate);
        else if (!fileTimeOf(path, kind, stamp)) return "";
        return support::formatDate(dateMask, stamp);
    }
    if (selector.find("#WERT") != std::string::npos) {
        if (!fileTimeOf(path, kind, stamp)) return "";
        return std::to_string(localSeconds(stamp));
    }
    return "";
}

}  // namespace engine
