#include "support/text.h"

#include <cstdio>

namespace support {

namespace {

// Maps one text through the Latin-1 table; only ASCII letters and the
// two-byte sequences of U+00C0..U+00FE can change.
std::string mapCase(const std::string& text, bool upper) {
    std::string out = text;
    for (std::size_t i = 0; i < out.size();) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            if (upper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
            if (!upper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
            ++i;
            continue;
        }
        const std::size_t n = yCharLength(out, i);
        if (n == 2 && c == 0xC3) {
            // U+00C0..U+00FF are C3 80..C3 BF; the second byte carries the letter.
            const auto d = static_cast<unsigned char>(out[i + 1]);
            const unsigned cp = 0xC0 + (d - 0x80);
            if (upper && cp >= 0xE0 && cp <= 0xFE) out[i + 1] = static_cast<char>(d - 32);
            if (!upper && cp >= 0xC0 && cp <= 0xDE) out[i + 1] = static_cast<char>(d + 32);
        }
        i += n;
    }
    return out;
}

}  // namespace

std::size_t yCharLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) n = 3;
    else if (c >= 0xF0 && c <= 0xF4) n = 4;
    else return 1;
    if (i + n > s.size()) return 1;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

std::string yUpper(const std::string& text) { return mapCase(text, true); }
std::string yLower(const std::string& text) { return mapCase(text, false); }

char yFoldAZ(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool yEqualsFoldAZ(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (yFoldAZ(a[i]) != yFoldAZ(b[i])) return false;
    }
    return true;
}

std::size_t yFindFoldAZ(const std::string& text, const std::string& find, std::size_t start) {
    if (find.empty() || find.size() > text.size()) return std::string::npos;
    const char first = yFoldAZ(find[0]);
    for (std::size_t i = start; i + find.size() <= text.size(); ++i) {
        if (yFoldAZ(text[i]) != first) continue;
        std::size_t k = 1;
        while (k < find.size() && yFoldAZ(text[i + k]) == yFoldAZ(find[k])) ++k;
        if (k == find.size()) return i;
    }
    return std::string::npos;
}

std::string yReplaceAll(const std::string& text, const std::string& find,
                        const std::string& by, bool ignoreCase) {
    if (find.empty()) return text;
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = ignoreCase ? yFindFoldAZ(text, find, pos) : text.find(find, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += by;
        pos = hit + find.size();
    }
    if (pos == 0) return text;
    out.append(text, pos, std::string::npos);
    return out;
}

std::vector<std::string> yChars(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = yCharLength(text, i);
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

std::size_t yCharCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += yCharLength(text, i)) ++count;
    return count;
}

std::string yLeftChars(const std::string& text, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < n && i < text.size(); ++k) i += yCharLength(text, i);
    return text.substr(0, i);
}

std::string yTrimBlanks(const std::string& text) {
    const std::size_t a = text.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    const std::size_t b = text.find_last_not_of(' ');
    return text.substr(a, b - a + 1);
}

std::string yTrimSpace(const std::string& text) {
    const char* ws = " \t\r\n";
    const std::size_t a = text.find_first_not_of(ws);
    if (a == std::string::npos) return "";
    const std::size_t b = text.find_last_not_of(ws);
    return text.substr(a, b - a + 1);
}

std::string yFormatDate(const std::string& mask, const platform::LocalTime& t) {
    struct Token { const char* name; int value; int width; };
    const Token tokens[] = {{"%yyyy", t.year, 4}, {"%mm", t.month, 2}, {"%dd", t.day, 2},
                            {"%hh", t.hour, 2},  {"%ii", t.minute, 2}, {"%ss", t.second, 2}};
    std::string out = mask;
    for (const Token& token : tokens) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%0*d", token.width, token.value);
        out = yReplaceAll(out, token.name, buffer, true);
    }
    return out;
}

std::string yFileName(const std::string& path) {
    const std::size_t slash = platform::lastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string yDirectoryPart(const std::string& path) {
    const std::size_t slash = platform::lastSeparator(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string withTrailingSlash(std::string dir) {
    if (!dir.empty() && !platform::isSeparator(dir.back())) dir += platform::PathSeparator;
    return dir;
}

}  // namespace support
