// The path texts of platform/files.h: roots, separators and the folder
// parts of a path, the same on every platform but for what a root is.
#include "platform/files.h"

namespace platform {

namespace {

#ifdef _WIN32
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "\\server\share\": the two names after the leading pair of separators.
std::string shareRoot(const std::string& path) {
    std::size_t end = 2;
    for (int names = 0; names < 2; ++names) {
        const std::size_t start = end;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        if (end == start) return "";
        if (end < path.size()) ++end;
    }
    return path.substr(0, end);
}
#endif

}  // namespace

std::string pathRoot(const std::string& path) {
#ifdef _WIN32
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && isSeparator(path[2]))
        return path.substr(0, 3);
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) return shareRoot(path);
    return "";
#else
    return !path.empty() && path[0] == '/' ? "/" : "";
#endif
}

std::size_t lastSeparator(const std::string& path) {
#ifdef _WIN32
    return path.find_last_of("\\/");
#else
    return path.rfind('/');
#endif
}

std::vector<std::string> folderParts(const std::string& path) {
    std::vector<std::string> parts;
    // A root of more than a separator ("C:\", "\\server\share\") is a part of
    // its own, which ".." never takes away.
    const std::string root = pathRoot(path);
    if (root.size() > 1) parts.push_back(root.substr(0, root.size() - 1));
    const std::size_t fixed = parts.size();
    for (std::size_t start = root.size(); start <= path.size();) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.size() > fixed) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    return parts;
}

std::string resolvePath(const std::string& base, const std::string& path) {
    if (isAbsolutePath(path)) return path;
#ifdef _WIN32
    if (!path.empty() && isSeparator(path[0])) return pathRoot(base) + path.substr(1);
#endif
    if (!base.empty() && isSeparator(base.back())) return base + path;
    return base + PathSeparator + path;
}

namespace {

// The device names Windows keeps for itself, with any extension and in
// any case: "con", "NUL.txt", "com1.jpg".
bool isDeviceName(const char* name, std::size_t size) {
    std::size_t base = 0;
    while (base < size && name[base] != '.') ++base;
    while (base > 0 && name[base - 1] == ' ') --base;
    auto upper = [name](std::size_t i) {
        const char c = name[i];
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    };
    auto is = [&](const char* word) {
        for (std::size_t i = 0; word[i]; ++i)
            if (i >= base || upper(i) != word[i]) return false;
        return true;
    };
    if (base == 3) return is("CON") || is("PRN") || is("AUX") || is("NUL");
    return base == 4 && (is("COM") || is("LPT")) && name[3] >= '1' && name[3] <= '9';
}

// UTF-16 units of a UTF-8 text: two for a character beyond U+FFFF (a
// four-byte sequence), one for every other character or stray byte.
std::size_t utf16Units(const char* text, std::size_t size) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 && c < 0xC0) continue;
        units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

// Well-formed UTF-8: no stray continuation byte, no sequence cut short,
// no overlong form, no surrogate, nothing beyond U+10FFFF.
bool validUtf8(const char* text, std::size_t size) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; i < size;) {
        const unsigned char c = s[i];
        std::size_t n = c < 0x80 ? 0 : c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2
                        : c >= 0xF0 && c <= 0xF4 ? 3 : 99;
        if (n == 99 || (n > 0 && i + n >= size)) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((s[i + k] & 0xC0) != 0x80) return false;
        if ((c == 0xE0 && s[i + 1] < 0xA0) || (c == 0xED && s[i + 1] > 0x9F) || (c == 0xF0 && s[i + 1] < 0x90) ||
            (c == 0xF4 && s[i + 1] > 0x8F))
            return false;
        i += n + 1;
    }
    return true;
}

}  // namespace

NameProblem nameProblem(const NameRules& rules, const char* name, std::size_t size) {
    if (size > rules.maxBytes || (rules.maxUnits != 0 && utf16Units(name, size) > rules.maxUnits))
        return NameProblem::TooLong;
    if (rules.asciiOnly) {
        for (std::size_t i = 0; i < size; ++i)
            if (static_cast<unsigned char>(name[i]) >= 0x80) return NameProblem::Refused;
    }
    if (rules.utf8Only && !validUtf8(name, size)) return NameProblem::Refused;
    if (!rules.windowsNames || size == 0) return NameProblem::None;
    if (isDeviceName(name, size)) return NameProblem::Refused;
    if (name[size - 1] == '.' || name[size - 1] == ' ') return NameProblem::Altered;
    return NameProblem::None;
}

// The product name keeps the temporary name out of every rename action;
// the hash of both names (FNV-1a) makes it the same in the program and in
// recovery, and different for every pair of names.
std::string caseChangeTempName(const std::string& fromName, const std::string& toName) {
    uint64_t h = 0xCBF29CE484222325ULL;
    auto add = [&h](unsigned char c) { h = (h ^ c) * 0x100000001B3ULL; };
    for (unsigned char c : fromName) add(c);
    add(0);
    for (unsigned char c : toName) add(c);
    static const char digits[] = "0123456789abcdef";
    std::string name = ".quonabix-";
    for (int shift = 60; shift >= 0; shift -= 4) name += digits[(h >> shift) & 15];
    return name + ".tmp";
}

}  // namespace platform
