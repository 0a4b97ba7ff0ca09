// The wildcard matcher of file masks: "*", "?" and alternatives after "|".
//
// Matching is greedy-free and backtrack-free on purpose: a "*" followed by
// text jumps to the first place after at least one character where that
// text appears, and never tries a later one. Masks users have typed for
// years rely on that ("photo.jpg.jpg" is not a "*.jpg").
#include <cstring>
#include <string>
#include <string_view>

#include "engine/match.h"
#include "support/text.h"

namespace engine {
namespace {

bool isBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// Finds seg in text at a character start after at least one character
// from t; npos when there is none.
std::size_t findAfterOne(std::string_view text, std::size_t t, std::string_view seg) {
    if (t >= text.size()) return std::string_view::npos;
    for (std::size_t s = t + support::charLength(text, t); s + seg.size() <= text.size();
         s += support::charLength(text, s)) {
        if (std::memcmp(text.data() + s, seg.data(), seg.size()) == 0) return s;
    }
    return std::string_view::npos;
}

bool matchAlternative(std::string_view alternative, std::string_view text) {
    if (alternative.empty()) return false;   // nothing to take, so never the end check
    std::size_t t = 0;
    bool star = false;
    std::size_t i = 0;
    while (i < alternative.size()) {
        const char c = alternative[i];
        if (c == '*') {
            if (i + 1 == alternative.size()) return true;
            star = true;
            ++i;
        } else if (c == '?') {
            if (t >= text.size()) return false;
            t += support::charLength(text, t);
            ++i;
        } else if (star) {
            star = false;
            std::size_t end = alternative.find_first_of("*?", i);
            if (end == std::string_view::npos) end = alternative.size();
            const std::string_view seg = alternative.substr(i, end - i);
            const std::size_t s = findAfterOne(text, t, seg);
            if (s == std::string_view::npos) return false;
            t = s + seg.size();
            i = end;
        } else {
            if (t >= text.size() || text[t] != c) return false;
            ++t;
            ++i;
        }
    }
    return t == text.size();
}

}  // namespace

int yMatchPattern(const std::string& first, const std::string& second, int ignoreCase) {
    // A mask without "*" is compared the other way round: the mask is the
    // text and the file name the pattern.
    const bool firstIsPattern = first.find('*') != std::string::npos || isBlank(first);
    std::string_view pattern = firstIsPattern ? first : second;
    std::string_view text = firstIsPattern ? second : first;
    if (isBlank(pattern)) pattern = "*";
    if (pattern == "*.*" || pattern == "*") return 1;

    std::string lowPattern, lowText;
    if (ignoreCase == 1) {
        lowPattern = support::toLower(std::string(pattern));
        lowText = support::toLower(std::string(text));
        pattern = lowPattern;
        text = lowText;
    }
    for (std::size_t from = 0;;) {
        const std::size_t bar = pattern.find('|', from);
        const std::size_t end = bar == std::string_view::npos ? pattern.size() : bar;
        if (matchAlternative(pattern.substr(from, end - from), text)) return 1;
        if (bar == std::string_view::npos) return 0;
        from = bar + 1;
    }
}

}  // namespace engine
