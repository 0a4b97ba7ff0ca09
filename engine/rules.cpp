// The five new-name rules and the time stamps of the pattern rule.
#include "engine/rules.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "engine/table.h"
#include "platform/files.h"
#include "platform/window.h"
#include "support/infobox.h"
#include "support/ids.h"
#include "support/text.h"

namespace engine {
namespace {

using support::yReplaceAll;

// Placeholders of the pattern rule, replaced in this order.
const std::string PhNummer = "%NR%";
const std::string PhBasis = "%DATEI%";
const std::string PhDateiname = "%DATEINAMEN%";
const std::string PhErweiterung = "%ERW%";
const std::string PhDatum[3] = {"%DC%", "%DA%", "%DM%"};
const std::string PhZeit[3] = {"%TC%", "%TA%", "%TM%"};
const std::string DatumMaske = "%yyyy_%mm_%dd";
const std::string ZeitMaske = "%hh-%ii-%ss";
const std::string PhTeilErweiterung = "%erw%";

// A mask of more places than this would only ever hold zeros.
constexpr int MaxStellen = 255;

struct Namensteile {
    std::string_view basis, erweiterung;
};

// Base name and extension split at the last "."; both empty without a dot.
Namensteile zerlege(std::string_view dateiname) {
    const std::size_t punkt = dateiname.rfind('.');
    if (punkt == std::string_view::npos) return {};
    return {dateiname.substr(0, punkt), dateiname.substr(punkt + 1)};
}

// Replaces only when the placeholder is there, so a row whose pattern does
// not name it costs one scan and no allocation.
void ersetzeFalls(std::string& work, const std::string& find, std::string_view by) {
    if (support::yFindFoldAZ(work, find) == std::string::npos) return;
    work = yReplaceAll(work, find, std::string(by), true);
}

// The running number in `stellen` digits: a mask of that many zeros.
std::string nummerText(int stellen, int32_t wert) {
    return yFormatNumber(std::string(static_cast<std::size_t>(std::clamp(stellen, 0, MaxStellen)), '0'), wert);
}

std::string ausStuecken(const RegelEingaben& in, const Namensteile& teile,
                        const std::string& dateiname, int32_t nummer) {
    std::string out;
    out.reserve(in.muster.size() + dateiname.size() + 16);
    for (const MusterStueck& s : in.stuecke) {
        switch (s.art) {
            case MusterStueck::Text: out += s.text; break;
            case MusterStueck::Nummer: out += nummerText(in.stellen, nummer); break;
            case MusterStueck::Basis: out.append(teile.basis); break;
            case MusterStueck::Dateiname: out += dateiname; break;
            case MusterStueck::Erweiterung: out.append(teile.erweiterung); break;
        }
    }
    return out;
}

std::string nachMuster(const RegelEingaben& in, const std::string& pfad,
                       const std::string& dateiname, int32_t nummer) {
    // A name holding "%" could bring in a placeholder of a later step.
    if (!in.stuecke.empty() && dateiname.find('%') == std::string::npos)
        return ausStuecken(in, zerlege(dateiname), dateiname, nummer);
    std::string work = in.muster;
    // Every remaining step needs a "%"; most patterns are done after one scan.
    if (work.find('%') == std::string::npos) return work;
    const Namensteile teile = zerlege(dateiname);
    if (support::yFindFoldAZ(work, PhNummer) != std::string::npos)
        work = yReplaceAll(work, PhNummer, nummerText(in.stellen, nummer), true);
    ersetzeFalls(work, PhBasis, teile.basis);
    ersetzeFalls(work, PhDateiname, dateiname);
    ersetzeFalls(work, PhErweiterung, teile.erweiterung);
    // A file name brought in above may itself hold a date placeholder, so
    // the test is made on the text as it now stands.
    if (work.find('%') == std::string::npos) return work;
    for (int art = 0; art < 3; ++art) {
        if (support::yFindFoldAZ(work, PhDatum[art]) != std::string::npos)
            work = yReplaceAll(work, PhDatum[art], yGetFileDate("", pfad, DatumMaske, art, 0), true);
    }
    for (int art = 0; art < 3; ++art) {
        if (support::yFindFoldAZ(work, PhZeit[art]) != std::string::npos)
            work = yReplaceAll(work, PhZeit[art], yGetFileDate("", pfad, ZeitMaske, art, 0), true);
    }
    return work;
}

std::string ohneText(const RegelEingaben& in, const std::string& dateiname) {
    const std::string& weg = in.entfernen;
    if (in.wo == EntfernenWo::Alle)
        return weg.empty() ? dateiname : yReplaceAll(dateiname, weg, "", true);
    const std::size_t n = support::yCharCount(weg);
    if (in.wo == EntfernenWo::Anfang) {
        // Compared as characters, so half of a character is never cut off.
        if (support::yLeftChars(dateiname, n) == weg) return dateiname.substr(weg.size());
        return dateiname;
    }
    const std::size_t gesamt = support::yCharCount(dateiname);
    if (gesamt < n) return dateiname;
    const std::size_t ab = support::yLeftChars(dateiname, gesamt - n).size();
    if (dateiname.compare(ab, std::string::npos, weg) == 0) return dateiname.substr(0, ab);
    return dateiname;
}

std::string schreibweise(const RegelEingaben& in, const std::string& dateiname) {
    switch (in.schreibweise) {
        case Schreibweise::Gross: return support::yUpper(dateiname);
        case Schreibweise::Klein: return support::yLower(dateiname);
        case Schreibweise::AnfangGross: {
            const std::string erstes = support::yLeftChars(dateiname, 1);
            return support::yUpper(erstes) + support::yLower(dateiname.substr(erstes.size()));
        }
    }
    return dateiname;
}

std::string vertauscht(const RegelEingaben& in, const std::string& dateiname) {
    // The separator is one character; longer input counts by its first.
    const std::string sep = support::yLeftChars(in.trennzeichen, 1);
    if (sep.empty()) return dateiname;
    const Namensteile teile = zerlege(dateiname);
    std::string neu = in.reihenfolge;
    std::size_t von = 0;
    for (int i = 1; neu.find('%') != std::string::npos; ++i) {
        const std::size_t bis = teile.basis.find(sep, von);
        const std::size_t ende = bis == std::string_view::npos ? teile.basis.size() : bis;
        const std::string feld(teile.basis.substr(von, ende - von));
        neu = yReplaceAll(neu, "%" + std::to_string(i) + "%", feld, false);
        if (bis == std::string_view::npos) break;
        von = bis + sep.size();
    }
    return yReplaceAll(neu, PhTeilErweiterung, std::string(teile.erweiterung), true);
}

// Local time as a seconds count, as if the local clock were UTC; the form
// in which a date is handed back in (given date) and out ("#WERT").
long long lokaleSekunden(const platform::LocalTime& t) {
    const long long y = t.month <= 2 ? t.year - 1 : t.year;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (t.month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + t.day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long tage = era * 146097 + doe - 719468;
    return tage * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

platform::LocalTime ausSekunden(long long s) {
    const long long tage = s / 86400;
    long long rest = s % 86400;
    platform::LocalTime t;
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    const long long z = tage + 719468;
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

bool dateiZeit(const std::string& pfad, int art, platform::LocalTime& out) {
    if (art < 0 || art > 2) return false;
    if (!platform::fileTime(pfad, static_cast<platform::FileTimeKind>(art), out)) return false;
    return lokaleSekunden(out) > 0;
}

}  // namespace

// The steps of the pattern rule run one after the other, each on the
// result of the one before. Run on the pattern itself, with a marker in
// place of each value, they give its pieces once per rebuild. That is only
// the same as running them per file where no "%" is left over for an
// inserted value to complete into a later placeholder, and no date or time
// is asked for (those are read per file).
std::vector<MusterStueck> zerlegeMuster(const std::string& muster) {
    const std::pair<const std::string*, char> schritte[] = {
        {&PhNummer, '\x01'}, {&PhBasis, '\x02'}, {&PhDateiname, '\x03'}, {&PhErweiterung, '\x04'}};
    if (muster.find_first_of("\x01\x02\x03\x04") != std::string::npos) return {};
    std::string work = muster;
    for (const auto& [platzhalter, marke] : schritte)
        work = yReplaceAll(work, *platzhalter, std::string(1, marke), true);
    if (work.find('%') != std::string::npos) return {};
    std::vector<MusterStueck> stuecke;
    for (char c : work) {
        if (c >= '\x01' && c <= '\x04') {
            stuecke.push_back({static_cast<MusterStueck::Art>(c), ""});
        } else {
            if (stuecke.empty() || stuecke.back().art != MusterStueck::Text) stuecke.push_back({});
            stuecke.back().text += c;
        }
    }
    if (stuecke.empty()) stuecke.push_back({});
    return stuecke;
}


RegelEingaben LesenRegelEingaben() {
    auto& w = platform::win();
    RegelEingaben in;
    if (w.getState(ids::OptPattern)) in.regel = Regel::Muster;
    else if (w.getState(ids::OptReplace)) in.regel = Regel::Ersetzen;
    else if (w.getState(ids::OptRemove)) in.regel = Regel::Entfernen;
    else if (w.getState(ids::OptCase)) in.regel = Regel::Schreibweise;
    else if (w.getState(ids::OptSwap)) in.regel = Regel::Vertauschen;
    in.muster = w.getText(ids::PatternField);
    in.stellen = std::clamp<int32_t>(yReadNumber(w.getText(ids::DigitsField)), 0, MaxStellen);
    in.suchen = w.getText(ids::ReplaceFindField);
    in.ersetzen = w.getText(ids::ReplaceByField);
    in.entfernen = w.getText(ids::RemoveField);
    if (w.getState(ids::OptRemoveAll)) in.wo = EntfernenWo::Alle;
    else if (w.getState(ids::OptRemoveStart)) in.wo = EntfernenWo::Anfang;
    else if (w.getState(ids::OptRemoveEnd)) in.wo = EntfernenWo::Ende;
    if (w.getState(ids::OptUpper)) in.schreibweise = Schreibweise::Gross;
    else if (w.getState(ids::OptLower)) in.schreibweise = Schreibweise::Klein;
    else if (w.getState(ids::OptCapitalFirst)) in.schreibweise = Schreibweise::AnfangGross;
    // The part-swap rule splits at one character; longer input counts by its first.
    in.trennzeichen = support::yLeftChars(w.getText(ids::SeparatorField), 1);
    in.reihenfolge = w.getText(ids::OrderField);
    if (in.regel == Regel::Muster) in.stuecke = zerlegeMuster(in.muster);
    return in;
}

std::string NeuerName(const RegelEingaben& in, const std::string& fullPath,
                      const std::string& fileName, int32_t number) {
    switch (in.regel) {
        case Regel::Muster: return nachMuster(in, fullPath, fileName, number);
        case Regel::Ersetzen:
            if (in.suchen.empty() || in.ersetzen.empty()) return fileName;
            return yReplaceAll(fileName, in.suchen, in.ersetzen, true);
        case Regel::Entfernen: return ohneText(in, fileName);
        case Regel::Schreibweise: return schreibweise(in, fileName);
        case Regel::Vertauschen: return vertauscht(in, fileName);
    }
    return fileName;
}

// Zero places of the mask take the decimal form from its right end; other
// mask characters are copied. Digits left over are dropped.
std::string yFormatNumber(const std::string& mask, int32_t value) {
    char ziffern[16];
    const auto ende = std::to_chars(ziffern, ziffern + sizeof ziffern, value).ptr;
    std::ptrdiff_t k = ende - ziffern;
    std::string out = mask;
    for (std::size_t i = out.size(); i-- > 0;) {
        if (out[i] == '0') out[i] = k > 0 ? ziffern[--k] : '0';
    }
    return out;
}

// The file's own local time, as the file manager shows it.
std::string yGetFileDate(const std::string& selector, const std::string& path,
                         const std::string& dateMask, int kind, long long givenDate) {
    const support::PgmTrace trace("yGetFileDate");
    platform::LocalTime zeit;
    if (selector.empty()) {
        if (givenDate > 0) zeit = ausSekunden(givenDate);
        else if (!dateiZeit(path, kind, zeit)) return "";
        return support::yFormatDate(dateMask, zeit);
    }
    if (selector.find("#WERT") != std::string::npos) {
        if (!dateiZeit(path, kind, zeit)) return "";
        return std::to_string(lokaleSekunden(zeit));
    }
    return "";
}

}  // namespace engine
