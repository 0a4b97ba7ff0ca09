#include "support/ini.h"

#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "support/filehelpers.h"
#include "support/text.h"

namespace support {

namespace {

// A value arrives in a 255-character buffer with its terminator.
constexpr std::size_t ValueLimit = 254;

// One line of the file: its content and its own line end ("\r\n", "\n" or "").
struct IniLine {
    std::string text;
    std::string end;
};

std::string trimWhite(const std::string& text) {
    const char* white = " \t";
    const std::size_t a = text.find_first_not_of(white);
    if (a == std::string::npos) return "";
    return text.substr(a, text.find_last_not_of(white) - a + 1);
}

// Hand-edited files may end lines in LF only; each line keeps its own end.
std::vector<IniLine> splitLines(const std::string& raw) {
    std::vector<IniLine> lines;
    std::size_t pos = raw.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (pos < raw.size()) {
        const std::size_t lf = raw.find('\n', pos);
        if (lf == std::string::npos) {
            lines.push_back({raw.substr(pos), ""});
            break;
        }
        const bool cr = lf > pos && raw[lf - 1] == '\r';
        lines.push_back({raw.substr(pos, lf - pos - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
        pos = lf + 1;
    }
    return lines;
}

bool isSectionLine(const std::string& line, std::string& name) {
    const std::string t = trimWhite(line);
    if (t.empty() || t.front() != '[') return false;
    const std::size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = trimWhite(t.substr(1, close - 1));
    return true;
}

// A "key=value" line; comments and lines without "=" are no keys.
bool isKeyLine(const std::string& line, std::string& key, std::string& value) {
    const std::string t = trimWhite(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = trimWhite(t.substr(0, eq));
    value = trimWhite(t.substr(eq + 1));
    return true;
}

std::string unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a key stands: the first section of that name and the key inside it.
struct Place {
    std::size_t section = std::string::npos;
    std::size_t key = std::string::npos;
    std::size_t lastContent = std::string::npos;   // last non-blank line of the section
    std::string keyAsWritten;
    std::string value;
};

Place locate(const std::vector<IniLine>& lines, const std::string& section, const std::string& key) {
    Place place;
    std::string name, k, v;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isSectionLine(lines[i].text, name)) {
            if (place.section != std::string::npos) break;
            if (equalsFoldAZ(name, section)) place.section = place.lastContent = i;
            continue;
        }
        if (place.section == std::string::npos) continue;
        if (!trimWhite(lines[i].text).empty()) place.lastContent = i;
        if (place.key == std::string::npos && isKeyLine(lines[i].text, k, v) && equalsFoldAZ(k, key)) {
            place.key = i;
            place.keyAsWritten = k;
            place.value = v;
        }
    }
    return place;
}

// A line break in a name or value would smuggle further lines into the file.
bool fitsOneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

void setLine(std::vector<IniLine>& lines, std::size_t at, const std::string& text) {
    lines[at].text = text;
    if (lines[at].end.empty()) lines[at].end = "\r\n";
}

void store(std::vector<IniLine>& lines, const std::string& section, const std::string& key,
           const std::string& value) {
    const Place place = locate(lines, section, key);
    if (place.key != std::string::npos) {
        // The file's own spelling of the key stays; only the value changes.
        setLine(lines, place.key, place.keyAsWritten + "=" + value);
    } else if (place.section != std::string::npos) {
        setLine(lines, place.lastContent, lines[place.lastContent].text);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.lastContent) + 1,
                     IniLine{key + "=" + value, "\r\n"});
    } else {
        if (!lines.empty()) {
            setLine(lines, lines.size() - 1, lines.back().text);
            if (!trimWhite(lines.back().text).empty()) lines.push_back({"", "\r\n"});
        }
        lines.push_back({"[" + section + "]", "\r\n"});
        lines.push_back({key + "=" + value, "\r\n"});
    }
}

// Writes the text over the file where it stands: through a link to its
// target, keeping its permission bits, owner and every other name it has.
int writeInPlace(const std::string& path, const std::string& text) {
    const int handle = platform::fileOpen(path, platform::OpenMode::Create);
    if (handle == 0) return 0;
    bool ok = platform::fileWrite(handle, text);
    ok = platform::fileClose(handle) && ok;
    return ok ? 1 : 0;
}

// An existing file is replaced by a fully written new one beside it, so that
// a crash or a full disk while writing leaves the previous file whole. The
// new file gets the old one's permission bits, and a link keeps pointing to
// it. Where no new file can be put beside it (a folder the user may not
// write), or replacing would change its owner or cut it from its other
// names, the file is written in place instead.
int writeSettings(const std::string& path, const std::string& text) {
    const std::string target = platform::linkTarget(path);
    const platform::FileFacts facts = platform::fileFacts(target);
    if (!facts.exists || !facts.ownFile || facts.links != 1) return writeInPlace(path, text);
    const std::string temp = target + ".tmp";
    int handle = platform::fileOpen(temp, platform::OpenMode::CreatePrivate);
    if (handle == 0 && platform::fileExists(temp)) {
        platform::removeFile(temp);   // left over from an interrupted save
        handle = platform::fileOpen(temp, platform::OpenMode::CreatePrivate);
    }
    if (handle == 0) return writeInPlace(target, text);
    bool ok = platform::fileWrite(handle, text);
    ok = platform::fileClose(handle) && ok;
    ok = ok && platform::setPermissions(temp, facts.permissions);
    ok = ok && platform::replaceFileAtomic(temp, target);
    if (!ok) platform::removeFile(temp);
    return ok ? 1 : 0;
}

}  // namespace

std::string yIniRead(const std::string& section, const std::string& key,
                     const std::string& file, const std::string& defaultValue) {
    std::string raw;
    if (key.empty() || !readWholeFile(findFileNoCase(file), raw)) return defaultValue;
    raw = platform::fromProfileBytes(raw);
    const Place place = locate(splitLines(raw), section, key);
    if (place.key == std::string::npos) return defaultValue;
    const std::string kept = leftChars(unquote(place.value), ValueLimit);
    return trimBlanks(kept).empty() ? defaultValue : kept;
}

int yIniWrite(const std::string& section, const std::string& key,
              const std::string& value, const std::string& file) {
    if (key.empty() || key.find('=') != std::string::npos || section.find(']') != std::string::npos ||
        !fitsOneLine(section) || !fitsOneLine(key) || !fitsOneLine(value)) {
        return 0;
    }
    // A file found under another letter case is updated under its own name.
    const std::string path = findFileNoCase(file);
    std::string raw;
    if (platform::fileExists(path) && !readWholeFile(path, raw)) return 0;
    raw = platform::fromProfileBytes(raw);
    std::vector<IniLine> lines = splitLines(raw);
    store(lines, section, key, value);
    std::string text = raw.compare(0, 3, "\xEF\xBB\xBF") == 0 ? "\xEF\xBB\xBF" : "";
    for (const IniLine& line : lines) text += line.text + line.end;
    return writeSettings(path, platform::toProfileBytes(text));
}

}  // namespace support
