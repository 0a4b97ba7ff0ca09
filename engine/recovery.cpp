// Recovery from the undo log.
//
// The rename action writes each rename-back line before its rename and
// holds the log alone while it runs, so the lines after the newest
// "REM .Datei.:" line are exactly the renames of the newest action, the
// last perhaps not yet carried out. Turned around, they are that action's
// undo script.
#include "engine/recovery.h"

#include <vector>

#include "engine/texts.h"
#include "platform/files.h"
#include "support/text.h"

namespace engine {
namespace {

// More than any one action writes; an older part of a longer log is not read.
constexpr std::size_t LogTailBytes = std::size_t(1) << 30;

struct RenLine {
    std::string drive, cd, ren;   // lines as written, without line end
};

bool startsWith(const std::string& text, const char* start) {
    return text.compare(0, std::char_traits<char>::length(start), start) == 0;
}

// Lines of the newest action, after its header. Only that action is split
// into lines: a log of years holds many more.
std::vector<std::string> newestAction(const std::string& log) {
    std::size_t end = log.size();
    while (end > 0 && log[end - 1] == '\0') --end;
    while (end > 0 && log[end - 1] != '\n') --end;   // a cut last line is not read
    std::size_t start = 0;
    for (std::size_t header = end; header > 0;) {
        header = log.rfind(text::LogScriptName, header - 1);
        if (header == std::string::npos) break;
        if (header == 0 || log[header - 1] == '\n') {
            start = log.find('\n', header) + 1;
            break;
        }
    }
    std::vector<std::string> lines;
    while (start < end) {
        const std::size_t lf = log.find('\n', start);
        std::string line = log.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = lf + 1;
    }
    return lines;
}

bool isDriveLine(const std::string& z) { return z.size() == 2 && z[1] == ':'; }

// The rename of the last line never started when its file still has the
// old name and the new name is free.
bool neverStarted(const RenLine& z) {
    std::string newName, oldName;
    if (!startsWith(z.cd, "cd ") || !readRenLine(z.ren, newName, oldName)) return false;
    const std::string dir = support::replaceAll(z.cd.substr(3), "%%", "%", false);
    return platform::fileExists(dir + oldName) && !platform::fileExists(dir + newName);
}

std::vector<RenLine> renLines(const std::string& logText) {
    std::vector<RenLine> out;
    std::string drive, cd;
    for (const std::string& z : newestAction(logText)) {
        const std::string word = support::toLower(z.substr(0, z.find(' ')));
        if (z.empty() || word == "rem") continue;
        if (isDriveLine(z)) drive = z;
        else if (word == "cd") cd = z;
        else out.push_back({drive, cd, z});   // ren, or whatever else: reported when run
    }
    return out;
}

std::string scriptFrom(const std::vector<RenLine>& lines) {
    std::string text, cd;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it == lines.rbegin() || it->cd != cd) {
            if (!it->drive.empty()) text += it->drive + "\r\n";
            if (!it->cd.empty()) text += it->cd + "\r\n";
            cd = it->cd;
        }
        text += it->ren + "\r\n";
    }
    return text;
}

}  // namespace

std::string logUndoScript(const std::string& logText) { return scriptFrom(renLines(logText)); }

BatchResult undoFromLog(const std::string& logPath) {
    std::string log;
    if (!readUndoFile(logPath, LogTailBytes, true, log)) return {};
    std::vector<RenLine> lines = renLines(log);
    if (!lines.empty() && neverStarted(lines.back())) lines.pop_back();
    return runBatchText(scriptFrom(lines), "");
}

}  // namespace engine
