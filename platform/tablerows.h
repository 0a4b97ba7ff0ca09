// The rows of a file table as every window system keeps them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

namespace platform {

// Three texts, the state bits and the mark of each row. A text of up to
// three bytes ("Ok", "") is held in the row itself; a longer one lies in
// blocks of a megabyte, one after the other, each behind its length, and
// the row holds where it begins. A table of a million rows so takes 16
// bytes a row beside its names, where three strings of their own took
// 104, and it grows a block at a time, never copying what it holds. A text
// replaced by one of another length leaves a gap; the texts are packed
// again once the gaps make up half of them.
class TableRows {
public:
    int count() const { return static_cast<int>(rows_.size()); }
    bool has(int row) const { return row >= 0 && row < count(); }
    // The cells in one text, "a\nb\nc"; text after a third line feed is
    // dropped. A position outside the rows appends.
    void add(int position, std::string_view cells);
    // Rows and columns (0 to 2) must exist. A text handed out holds until
    // the next change of the table, and is never handed back to setCell.
    std::string_view cell(int row, int column) const;
    void setCell(int row, int column, std::string_view text);
    int state(int row) const { return rows_[static_cast<std::size_t>(row)].state; }
    void setState(int row, int state);
    RowMark mark(int row) const { return static_cast<RowMark>(rows_[static_cast<std::size_t>(row)].mark); }
    void setMark(int row, RowMark mark) { rows_[static_cast<std::size_t>(row)].mark = static_cast<uint8_t>(mark); }
    void clear();

private:
    struct Row {
        uint32_t text[3] = {0, 0, 0};   // a text in the row itself or where it lies (see .cpp)
        uint8_t state = 0;
        uint8_t mark = 0;
    };
    uint32_t keep(std::string_view text);
    std::string_view textAt(const uint32_t& ref, std::size_t& stored) const;
    void pack();

    std::vector<Row> rows_;
    std::vector<std::string> blocks_;
    std::size_t bytes_ = 0;   // of the blocks' texts, gaps included
    std::size_t gaps_ = 0;    // bytes of them that no row holds
};

}  // namespace platform
