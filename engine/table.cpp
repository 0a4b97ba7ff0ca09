// The file table (control 9): rebuilding its rows from the chosen folder.
#include "engine/table.h"

#include <cstdint>
#include <limits>

#include "engine/preview.h"
#include "engine/repaint.h"
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
int32_t advanceNumber(int32_t number, int32_t step) {
    return static_cast<int32_t>(static_cast<uint32_t>(number) + static_cast<uint32_t>(step));
}

bool takesAll(const std::string& mask) {
    return mask.find_first_not_of(' ') == std::string::npos || mask == "*" || mask == "*.*";
}

// A line feed inside a name would split the cells of one row text; such
// rows get their cells one by one instead.
void appendRow(int row, const std::string& name, const std::string& newName) {
    auto& w = platform::win();
    if (name.find('\n') == std::string::npos && newName.find('\n') == std::string::npos) {
        w.addRow(ids::FileTable, -1, name + "\n" + newName + "\n");
    } else {
        w.addRow(ids::FileTable, -1, "\n\n");
        w.setCell(ids::FileTable, row, ids::ColCurrent, name);
        w.setCell(ids::FileTable, row, ids::ColNew, newName);
    }
    w.setRowState(ids::FileTable, row, platform::RowTicked);
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
    for (std::size_t i = 1; i < mask_.size(); ++i) ending_ += support::foldAZ(mask_[i]);
}

// Only A-Z / a-z fold onto the plain ASCII text of the ending; the bytes of
// other characters can never equal it.
bool MaskFilter::accepts(const std::string& name) const {
    if (!endingOnly_) return yMatchPattern(mask_, support::toUpper(name), 0) == 1;
    const std::size_t n = ending_.size();
    if (name.empty() || name.size() < n) return false;
    for (std::size_t s = support::charLength(name, 0); s + n <= name.size(); ++s) {
        std::size_t k = 0;
        while (k < n && support::foldAZ(name[s + k]) == ending_[k]) ++k;
        if (k == n) return s + n == name.size();
    }
    return false;
}

int32_t readNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Held one past the largest magnitude, so the clamp below decides.
    constexpr long long limit = 2147483648LL;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

void LoeschenRenameSpalte() {
    const support::PgmTrace trace("LoeschenRenameSpalte");
    auto& w = platform::win();
    const int rows = w.countRows(ids::FileTable);
    for (int r = 0; r < rows; ++r) w.setCell(ids::FileTable, r, ids::ColStatus, "");
}

void NeuAufbauen(int mode, FileList& list) {
    const support::PgmTrace trace("NeuAufbauen");
    auto& w = platform::win();
    LaufendeNummer = readNumber(w.getText(ids::StartField));
    const std::string folder = w.getText(ids::FolderTree);
    w.setText(ids::DirectoryLabel, text::FolderLabel + folder);
    if (mode == ModeFull) {
        w.clearRows(ids::FileTable);
        FuellenTabelle(folder, mode, list);
    } else if (mode == ModeNames || mode == ModeRefresh) {
        FuellenTabelle(folder, mode, list);
    }
}

// Row i belongs to the i-th entry of the list whose name matches the mask.
// Numbers continue across unticked rows, so a later tick keeps every name
// stable.
void FuellenTabelle(const std::string& directory, int mode, FileList& list) {
    const support::PgmTrace trace("FuellenTabelle");
    if (mode != ModeFull && mode != ModeNames && mode != ModeRefresh) return;
    auto& w = platform::win();
    const std::string mask = support::toUpper(w.getText(ids::MaskField));
    const RuleInputs rules = readRuleInputs();
    const int32_t step = readNumber(w.getText(ids::StepField));
    if (mode == ModeFull) {
        RenameErfolgt = 0;
        LoeschenRenameSpalte();
        listedFolder.path = directory;
        listedFolder.known = platform::directoryIdentity(directory, listedFolder.identity);
        std::vector<std::string> folders;
        platform::FolderStamp stamp;
        const bool stamped = platform::folderStamp(directory, stamp);
        yReadDir(directory, "*.*", 0, list, 0, -1, &folders);
        sortFileList(list);
        previewListing(directory, list, folders, stamped ? &stamp : nullptr);
    }
    const bool takeAll = takesAll(mask);
    const MaskFilter filter(mask);
    const int firstRow = mode == ModeFull ? w.countRows(ids::FileTable) : 0;
    const int rows = mode == ModeFull ? 0 : w.countRows(ids::FileTable);
    // Every rebuild that computes new names tells which rows would fail.
    const bool preview = mode == ModeFull || mode == ModeNames;
    if (preview)
        previewBegin(directory, mode == ModeFull, &list, mode == ModeFull ? static_cast<int>(list.size()) : rows);
    int row = 0;
    std::string entry, name;
    for (std::size_t i = 0; i < list.size(); ++i) {
        letWindowRepaint();
        const int index = static_cast<int>(i);
        // The full path and the name, in buffers used again row after row.
        entry.assign(list.folder());
        entry.append(list.name(i));
        name.assign(list.fileName(i));
        if (!takeAll && !filter.accepts(name))
            continue;
        if (mode == ModeFull) {
            const std::string newName = newNameFor(rules, entry, name, LaufendeNummer);
            appendRow(firstRow + row, name, newName);
            previewRow(firstRow + row, name, index, newName, true);
        } else if (row < rows) {
            if (mode == ModeNames) {
                const std::string newName = newNameFor(rules, entry, name, LaufendeNummer);
                w.setCell(ids::FileTable, row, ids::ColNew, newName);
                if (previewOn)
                    previewRow(row, name, index, newName, (w.getRowState(ids::FileTable, row) & platform::RowTicked) != 0);
            } else if (w.getRowState(ids::FileTable, row) & platform::RowTicked) {
                w.setCell(ids::FileTable, row, ids::ColCurrent, name);
                w.setCell(ids::FileTable, row, ids::ColNew,
                          newNameFor(rules, entry, name, LaufendeNummer));
            }
        }
        LaufendeNummer = advanceNumber(LaufendeNummer, step);
        ++row;
    }
    if (preview) previewEnd();
}

}  // namespace engine
