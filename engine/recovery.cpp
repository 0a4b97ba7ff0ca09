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
constexpr std::size_t LogEndeBytes = std::size_t(1) << 30;

struct RenZeile {
    std::string laufwerk, cd, ren;   // lines as written, without line end
};

bool beginntMit(const std::string& text, const char* anfang) {
    return text.compare(0, std::char_traits<char>::length(anfang), anfang) == 0;
}

// Lines of the newest action, after its header. Only that action is split
// into lines: a log of years holds many more.
std::vector<std::string> letzteAktion(const std::string& log) {
    std::size_t ende = log.size();
    while (ende > 0 && log[ende - 1] == '\0') --ende;
    while (ende > 0 && log[ende - 1] != '\n') --ende;   // a cut last line is not read
    std::size_t anfang = 0;
    for (std::size_t kopf = ende; kopf > 0;) {
        kopf = log.rfind(text::LogSkriptName, kopf - 1);
        if (kopf == std::string::npos) break;
        if (kopf == 0 || log[kopf - 1] == '\n') {
            anfang = log.find('\n', kopf) + 1;
            break;
        }
    }
    std::vector<std::string> zeilen;
    while (anfang < ende) {
        const std::size_t lf = log.find('\n', anfang);
        std::string zeile = log.substr(anfang, lf - anfang);
        if (!zeile.empty() && zeile.back() == '\r') zeile.pop_back();
        zeilen.push_back(std::move(zeile));
        anfang = lf + 1;
    }
    return zeilen;
}

bool istLaufwerk(const std::string& z) { return z.size() == 2 && z[1] == ':'; }

// The rename of the last line never started when its file still has the
// old name and the new name is free.
bool nieBegonnen(const RenZeile& z) {
    std::string neu, alt;
    if (!beginntMit(z.cd, "cd ") || !readRenLine(z.ren, neu, alt)) return false;
    const std::string dir = support::yReplaceAll(z.cd.substr(3), "%%", "%", false);
    return platform::fileExists(dir + alt) && !platform::fileExists(dir + neu);
}

std::vector<RenZeile> renZeilen(const std::string& logText) {
    std::vector<RenZeile> out;
    std::string laufwerk, cd;
    for (const std::string& z : letzteAktion(logText)) {
        const std::string wort = support::yLower(z.substr(0, z.find(' ')));
        if (z.empty() || wort == "rem") continue;
        if (istLaufwerk(z)) laufwerk = z;
        else if (wort == "cd") cd = z;
        else out.push_back({laufwerk, cd, z});   // ren, or whatever else: reported when run
    }
    return out;
}

std::string skriptAus(const std::vector<RenZeile>& zeilen) {
    std::string text, cd;
    for (auto it = zeilen.rbegin(); it != zeilen.rend(); ++it) {
        if (it == zeilen.rbegin() || it->cd != cd) {
            if (!it->laufwerk.empty()) text += it->laufwerk + "\r\n";
            if (!it->cd.empty()) text += it->cd + "\r\n";
            cd = it->cd;
        }
        text += it->ren + "\r\n";
    }
    return text;
}

}  // namespace

std::string logUndoScript(const std::string& logText) { return skriptAus(renZeilen(logText)); }

BatchErgebnis undoFromLog(const std::string& logPath) {
    std::string log;
    if (!readUndoFile(logPath, LogEndeBytes, true, log)) return {};
    std::vector<RenZeile> zeilen = renZeilen(log);
    if (!zeilen.empty() && nieBegonnen(zeilen.back())) zeilen.pop_back();
    return runBatchText(skriptAus(zeilen), "");
}

}  // namespace engine
