// The file table (control 9): rebuilding its rows from the chosen folder.
#include "engine/table.h"

#include <cstdint>
#include <limits>

#include "engine/preview.h"
#include "engine/rules.h"
#include "engine/state.h"
#include "engine/texts.h"
#include "platform/window.h"
#include "support/infobox.h"
#include "support/ids.h"
#include "support/text.h"

namespace engine {
namespace {

// Numbers run on past the 32-bit range by wrapping, never by overflow.
int32_t weiterzaehlen(int32_t nummer, int32_t schritt) {
    return static_cast<int32_t>(static_cast<uint32_t>(nummer) + static_cast<uint32_t>(schritt));
}

bool nimmtAlle(const std::string& mask) {
    return mask.find_first_not_of(' ') == std::string::npos || mask == "*" || mask == "*.*";
}

// A line feed inside a name would split the cells of one row text; such
// rows get their cells one by one instead.
void neueZeile(int zeile, const std::string& name, const std::string& neu) {
    auto& w = platform::win();
    if (name.find('\n') == std::string::npos && neu.find('\n') == std::string::npos) {
        w.addRow(ids::FileTable, -1, name + "\n" + neu + "\n");
    } else {
        w.addRow(ids::FileTable, -1, "\n\n");
        w.setCell(ids::FileTable, zeile, ids::ColCurrent, name);
        w.setCell(ids::FileTable, zeile, ids::ColNew, neu);
    }
    w.setRowState(ids::FileTable, zeile, platform::RowTicked);
}
}  // namespace

// A mask "*" + plain ASCII text (the common "*.JPG") is decided without
// copying the name: the star takes at least one character and the first
// later occurrence of the text, which must end the name.
MaskFilter::MaskFilter(const std::string& upperMask, bool fastWay) : mask_(upperMask) {
    if (!fastWay || mask_.size() < 2 || mask_[0] != '*') return;
    for (std::size_t i = 1; i < mask_.size(); ++i) {
        const auto c = static_cast<unsigned char>(mask_[i]);
        if (c >= 0x80 || c == '*' || c == '?' || c == '|' || c == ' ') return;
    }
    endingOnly_ = true;
    for (std::size_t i = 1; i < mask_.size(); ++i) ending_ += support::yFoldAZ(mask_[i]);
}

// Only A-Z / a-z fold onto the plain ASCII text of the ending; the bytes of
// other characters can never equal it.
bool MaskFilter::accepts(const std::string& name) const {
    if (!endingOnly_) return yMatchPattern(mask_, support::yUpper(name), 0) == 1;
    const std::size_t n = ending_.size();
    if (name.empty() || name.size() < n) return false;
    for (std::size_t s = support::yCharLength(name, 0); s + n <= name.size(); ++s) {
        std::size_t k = 0;
        while (k < n && support::yFoldAZ(name[s + k]) == ending_[k]) ++k;
        if (k == n) return s + n == name.size();
    }
    return false;
}

int32_t yReadNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negativ = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativ = text[i++] == '-';
    // Held one past the largest magnitude, so the clamp below decides.
    constexpr long long grenze = 2147483648LL;
    long long wert = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        wert = wert * 10 + (text[i] - '0');
        if (wert > grenze) wert = grenze;
    }
    if (negativ) wert = -wert;
    if (wert > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(wert);
}

void LoeschenRenameSpalte() {
    const support::PgmTrace trace("LoeschenRenameSpalte");
    auto& w = platform::win();
    const int zeilen = w.countRows(ids::FileTable);
    for (int r = 0; r < zeilen; ++r) w.setCell(ids::FileTable, r, ids::ColStatus, "");
}

void NeuAufbauen(int mode, std::vector<std::string>& list) {
    const support::PgmTrace trace("NeuAufbauen");
    auto& w = platform::win();
    LaufendeNummer = yReadNumber(w.getText(ids::StartField));
    const std::string verzeichnis = w.getText(ids::FolderTree);
    w.setText(ids::DirectoryLabel, text::VerzeichnisLabel + verzeichnis);
    if (mode == ModeFull) {
        w.clearRows(ids::FileTable);
        FuellenTabelle(verzeichnis, mode, list);
    } else if (mode == ModeNames || mode == ModeRefresh) {
        FuellenTabelle(verzeichnis, mode, list);
    }
}

// Row i belongs to the i-th entry of the list whose name matches the mask.
// Numbers continue across unticked rows, so a later tick keeps every name
// stable.
void FuellenTabelle(const std::string& directory, int mode, std::vector<std::string>& list) {
    const support::PgmTrace trace("FuellenTabelle");
    if (mode != ModeFull && mode != ModeNames && mode != ModeRefresh) return;
    auto& w = platform::win();
    const std::string mask = support::yUpper(w.getText(ids::MaskField));
    const RegelEingaben regeln = LesenRegelEingaben();
    const int32_t schritt = yReadNumber(w.getText(ids::StepField));
    if (mode == ModeFull) {
        RenameErfolgt = 0;
        LoeschenRenameSpalte();
        listedFolder.path = directory;
        listedFolder.known = platform::directoryIdentity(directory, listedFolder.identity);
        std::vector<std::string> ordner;
        platform::FolderStamp stempel;
        const bool gestempelt = platform::folderStamp(directory, stempel);
        yReadDir(directory, "*.*", 0, list, 0, -1, &ordner);
        ySortFileList(list);
        previewListing(directory, list, ordner, gestempelt ? &stempel : nullptr);
    }
    const bool alle = nimmtAlle(mask);
    const MaskFilter filter(mask);
    const int ersteZeile = mode == ModeFull ? w.countRows(ids::FileTable) : 0;
    const int zeilen = mode == ModeFull ? 0 : w.countRows(ids::FileTable);
    // Every rebuild that computes new names tells which rows would fail.
    const bool vorschau = mode == ModeFull || mode == ModeNames;
    if (vorschau)
        previewBegin(directory, mode == ModeFull, &list, mode == ModeFull ? static_cast<int>(list.size()) : zeilen);
    int zeile = 0;
    int index = -1;
    std::string name;
    for (const std::string& eintrag : list) {
        ++index;
        const std::size_t slash = platform::lastSeparator(eintrag);
        name.assign(eintrag, slash == std::string::npos ? 0 : slash + 1, std::string::npos);
        if (!alle && !filter.accepts(name))
            continue;
        if (mode == ModeFull) {
            const std::string neu = NeuerName(regeln, eintrag, name, LaufendeNummer);
            neueZeile(ersteZeile + zeile, name, neu);
            previewRow(ersteZeile + zeile, name, index, neu, true);
        } else if (zeile < zeilen) {
            if (mode == ModeNames) {
                const std::string neu = NeuerName(regeln, eintrag, name, LaufendeNummer);
                w.setCell(ids::FileTable, zeile, ids::ColNew, neu);
                if (previewOn)
                    previewRow(zeile, name, index, neu, (w.getRowState(ids::FileTable, zeile) & platform::RowTicked) != 0);
            } else if (w.getRowState(ids::FileTable, zeile) & platform::RowTicked) {
                w.setCell(ids::FileTable, zeile, ids::ColCurrent, name);
                w.setCell(ids::FileTable, zeile, ids::ColNew,
                          NeuerName(regeln, eintrag, name, LaufendeNummer));
            }
        }
        LaufendeNummer = weiterzaehlen(LaufendeNummer, schritt);
        ++zeile;
    }
    if (vorschau) previewEnd();
}

}  // namespace engine
