#include "support/filehelpers.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "support/environment.h"
#include "support/infobox.h"
#include "support/text.h"
#include "support/texts.h"

namespace support {

namespace {

constexpr std::size_t CopyBlock = 4096;

bool hasOption(const std::string& options, const char* keyword) {
    return yUpper(options).find(keyword) != std::string::npos;
}

std::string copyFailure(const std::string& path, const char* ending) {
    return std::string("0/") + texts::FilePrefix + path + ending;
}

// Splits at separators keeping empty fields, so "/a/" gives "", "a", "".
std::vector<std::string> splitFields(const std::string& path) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    for (;;) {
        std::size_t slash = pos;
        while (slash < path.size() && !platform::isSeparator(path[slash])) ++slash;
        if (slash == path.size()) slash = std::string::npos;
        fields.push_back(path.substr(pos, slash == std::string::npos ? slash : slash - pos));
        if (slash == std::string::npos) return fields;
        pos = slash + 1;
    }
}

// Copies at most limit bytes (all when negative); false when a read or write failed.
bool copyBytes(int in, int out, long long limit, bool& readFailed) {
    char buffer[CopyBlock];
    readFailed = false;
    while (limit != 0) {
        std::size_t want = CopyBlock;
        if (limit > 0 && static_cast<unsigned long long>(limit) < want) want = static_cast<std::size_t>(limit);
        const long long got = platform::fileRead(in, buffer, want);
        if (got == 0) return true;
        if (got < 0) { readFailed = true; return false; }
        if (!platform::fileWrite(out, buffer, static_cast<std::size_t>(got))) return false;
        if (limit > 0) limit -= got;
    }
    return true;
}

std::string copyFile(const std::string& mode, const std::string& source, const std::string& target) {
    const bool add = hasOption(mode, "#ADD");
    const int in = yReadFile(source);
    if (in == 0) return copyFailure(source, texts::FileNotFound);
    // Creating the target would empty the source before a byte is read.
    const std::string here = yGetCurrentDirectory();
    if (DateiVerzKorr(source, here) == DateiVerzKorr(target, here)) {
        platform::fileClose(in);
        return copyFailure(target, texts::FileSameAsSource);
    }
    // The size when the copy starts bounds it, so a target that is the source
    // under another name cannot make an append run until the disk is full.
    const long long limit = platform::fileSize(source);
    const bool existed = platform::fileExists(target);
    const int out = add ? yOpenFile(target) : yCreateFile(target);
    if (out == 0) {
        platform::fileClose(in);
        return copyFailure(target, add ? texts::FileNotFound : texts::FileNotCreated);
    }
    bool readFailed = false;
    bool ok = (!add || platform::fileSeekEnd(out)) && copyBytes(in, out, limit, readFailed);
    platform::fileClose(in);
    ok = platform::fileClose(out) && ok;
    if (ok) return "1/";
    // A fresh copy cut short is worse than none; a file that was there before
    // (an appended target, a device) is never taken away.
    if (!add && !existed) platform::removeFile(target);
    return readFailed ? copyFailure(source, texts::FileNotRead)
                      : copyFailure(target, texts::FileNotWritten);
}

// Lines of a text that ends its lines in CR LF; a last line without one counts too.
std::string crLfLine(const std::string& text, int number) {
    std::size_t pos = 0;
    for (int k = 1; k < number; ++k) {
        const std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) return "";
        pos = end + 2;
    }
    const std::size_t end = text.find("\r\n", pos);
    return text.substr(pos, end == std::string::npos ? end : end - pos);
}

struct LineReader {
    int number = 0;
    int count = 0;
};
LineReader lineReader;

}  // namespace

int yCreateFile(const std::string& path) { return platform::fileOpen(path, platform::OpenMode::Create); }
int yOpenFile(const std::string& path) { return platform::fileOpen(path, platform::OpenMode::OpenOrCreate); }
int yReadFile(const std::string& path) { return platform::fileOpen(path, platform::OpenMode::Read); }

std::string yCopyFile(const std::string& mode, const std::string& source, const std::string& target) {
    const int token = yPgmCheck("#S", "yCopyFile", 0);
    const std::string result = copyFile(mode, source, target);
    yPgmCheck("#E", "yCopyFile", token);
    return result;
}

int yCreateDirectoryAll(const std::string& dir) {
    const int token = yPgmCheck("#S", "yCreateDirectoryAll", 0);
    const std::string path = withTrailingSlash(yTrimBlanks(dir));
    if (!path.empty() && !platform::isDirectory(path)) {
        // An absolute path starts from its root, a relative one from here.
        std::string built = platform::pathRoot(path);
        for (const std::string& field : splitFields(path.substr(built.size()))) {
            if (field.empty()) continue;
            built += field;
            if (!platform::isDirectory(built)) platform::createDirectory(built);
            built += platform::PathSeparator;
        }
    }
    const int result = !path.empty() && platform::isDirectory(path) ? 1 : 0;
    yPgmCheck("#E", "yCreateDirectoryAll", token);
    return result;
}

std::string DateiVerzKorr(const std::string& relPath, const std::string& baseDir) {
    const int token = yPgmCheck("#S", "DateiVerzKorr", 0);
    std::string dirPart = yDirectoryPart(relPath);
    std::string name = yFileName(relPath);
    if (name == "." || name == "..") {
        dirPart = relPath + platform::PathSeparator;
        name.clear();
    }
    // An absolute path needs no base; the root is never climbed above.
    const std::string root = platform::pathRoot(platform::isAbsolutePath(relPath) ? relPath : baseDir);
    const bool rooted = !root.empty();
    const std::string base = platform::isAbsolutePath(relPath) ? "" : baseDir.substr(root.size());
    if (platform::isAbsolutePath(relPath)) dirPart = dirPart.substr(root.size());
    std::vector<std::string> levels;
    for (const std::string& field : splitFields(base + platform::PathSeparator + dirPart)) {
        if (field.empty() || field == ".") continue;
        if (field != "..") {
            levels.push_back(field);
        } else if (!levels.empty() && levels.back() != "..") {
            levels.pop_back();
        } else if (!rooted) {
            levels.push_back(field);   // a relative base may still go up
        }
    }
    std::string result = root;
    for (const std::string& level : levels) result += level + platform::PathSeparator;
    yPgmCheck("#E", "DateiVerzKorr", token);
    return result + name;
}

long long yWriteTextFile(const std::string& path, const std::string& text) {
    const int handle = yCreateFile(path);
    if (handle == 0) return 0;
    const bool written = platform::fileWrite(handle, text);
    const bool closed = platform::fileClose(handle);
    return written && closed ? static_cast<long long>(text.size()) : 0;
}

bool readWholeFile(const std::string& path, std::string& out) {
    const int handle = platform::fileOpen(path, platform::OpenMode::Read);
    if (handle == 0) return false;
    char buffer[CopyBlock];
    long long got;
    while ((got = platform::fileRead(handle, buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(got));
    }
    platform::fileClose(handle);
    return got == 0;
}

std::string yReadTextFile(const std::string& path, const std::string& options) {
    std::string raw;
    if (!readWholeFile(path, raw)) return "";
    const bool withEnds = hasOption(options, "#WNL");
    std::string text;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        std::size_t end = raw.find('\n', pos);
        const std::size_t next = end == std::string::npos ? raw.size() : end + 1;
        if (end == std::string::npos) end = raw.size();
        if (end > pos && raw[end - 1] == '\r') --end;
        text.append(raw, pos, end - pos);
        if (withEnds) text += "\r\n";
        pos = next;
    }
    return text;
}

std::string yReadLine(const std::string& text, int command) {
    const int token = yPgmCheck("#S", "yReadLine", 0);
    if (command == 0) {
        lineReader.number = 0;
        lineReader.count = yCountLines(text, "\r\n");
    } else if (command == -1) {
        ++lineReader.number;
    }
    const int number = lineReader.number;
    const std::string line = number >= 1 && number <= lineReader.count ? crLfLine(text, number) : "";
    yPgmCheck("#E", "yReadLine", token);
    // A blank stands in for an empty line before the last one, so that ""
    // means the last line or the end.
    return line.empty() && number < lineReader.count ? std::string(" ") : line;
}

int yCountLines(const std::string& text, const std::string& separator) {
    if (text.empty()) return 0;
    if (separator.empty()) return 1;
    int count = 0;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(separator, pos)) != std::string::npos;) {
        ++count;
        pos = hit + separator.size();
    }
    return pos < text.size() ? count + 1 : count;
}

int ySearchBackward(const std::string& text, const std::string& search, int start) {
    const std::vector<std::string> chars = yChars(text);
    const std::vector<std::string> wanted = yChars(search);
    if (wanted.empty() || wanted.size() > chars.size() || start < 0) return 0;
    const int last = static_cast<int>(chars.size() - wanted.size()) + 1;
    for (int pos = (start == 0 || start > last) ? last : start; pos >= 1; --pos) {
        if (std::equal(wanted.begin(), wanted.end(), chars.begin() + (pos - 1))) return pos;
    }
    return 0;
}

std::string yOverwriteAt(const std::string& text, const std::string& insert, int position) {
    const std::vector<std::string> chars = yChars(text);
    if (position < 1 || static_cast<std::size_t>(position) > chars.size()) return text;
    const std::size_t first = static_cast<std::size_t>(position) - 1;
    const std::size_t covered = std::min(yCharCount(insert), chars.size() - first);
    std::string out;
    for (std::size_t i = 0; i < first; ++i) out += chars[i];
    out += insert;
    for (std::size_t i = first + covered; i < chars.size(); ++i) out += chars[i];
    return out;
}

std::string yReplaceInBrackets(const std::string& text, const std::string& ch,
                               const std::string& replacement, const std::string& open,
                               const std::string& close) {
    std::string out;
    int depth = 0;
    for (const std::string& c : yChars(text)) {
        if (c == open) ++depth;
        else if (c == close) --depth;
        else if (c == ch && depth >= 1) { out += replacement; continue; }
        out += c;
    }
    return out;
}

std::string yFileNameWithExtension(const std::string& /*unused*/, const std::string& path) {
    const std::string name = yFileName(path);
    return name.find('.') == std::string::npos ? std::string() : name;
}

std::string yDriveOfPath(const std::string& /*unused*/, const std::string& path) {
    // A colon later in a Linux path is part of a name, not a drive.
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ? path.substr(0, 2) : std::string();
}

std::string yDirectoryWithoutDrive(const std::string& /*unused*/, const std::string& path) {
    std::size_t first = 0;
    while (first < path.size() && !platform::isSeparator(path[first])) ++first;
    if (first == path.size()) return "";
    return path.substr(first, platform::lastSeparator(path) - first + 1);
}

// Which spelling is asked for must not matter: every spelling reaches the
// same file, also when several spellings exist at once. The name in small
// letters (the program's own spelling) wins, then the first in byte order.
std::string yFindFileNoCase(const std::string& path) {
    const std::string dir = yDirectoryPart(path);
    const std::string name = yFileName(path);
    if (name.empty()) return path;
    const int list = platform::openDirList(dir.empty() ? "./" : dir);
    if (list == 0) return path;
    const auto rank = [](const std::string& entry) {
        for (char c : entry) {
            if (c >= 'A' && c <= 'Z') return 1;
        }
        return 0;
    };
    std::string best, entry;
    platform::EntryKind kind;
    while (platform::nextDirEntry(list, entry, kind)) {
        if (kind != platform::EntryKind::File || !yEqualsFoldAZ(entry, name)) continue;
        if (best.empty() || rank(entry) < rank(best) || (rank(entry) == rank(best) && entry < best)) best = entry;
    }
    platform::closeDirList(list);
    return best.empty() ? path : dir + best;
}

}  // namespace support
