// The rows of a file table (see tablerows.h).
#include "platform/tablerows.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace platform {
namespace {

// A row's reference to one of its texts, 32 bits:
//   0                      the empty text;
//   top bit set            up to three bytes in the reference itself, their
//                          count in the next two bits, the bytes in the low 24;
//   otherwise              block (upper 11 bits) and offset (lower 20 bits)
//                          of the text's length, the text behind it.
constexpr uint32_t InRow = 0x80000000U;
static_assert(std::endian::native == std::endian::little, "a short text is read in its row's reference");
constexpr int OffsetBits = 20;
constexpr std::size_t BlockBytes = std::size_t{1} << OffsetBits;
constexpr std::size_t MostBlocks = std::size_t{1} << 11;

// A length in seven-bit groups, the lowest first; the high bit says more follow.
void appendLength(std::string& out, std::size_t n) {
    while (n >= 0x80) {
        out += static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    out += static_cast<char>(n);
}

std::size_t lengthBytes(std::size_t n) {
    std::size_t bytes = 1;
    for (; n >= 0x80; n >>= 7) ++bytes;
    return bytes;
}

}  // namespace

void TableRows::add(int position, std::string_view cells) {
    Row row;
    std::size_t start = 0;
    for (int i = 0; i < 3 && start <= cells.size(); ++i) {
        const std::size_t end = cells.find('\n', start);
        row.text[i] = keep(cells.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (position < 0 || position >= count()) rows_.push_back(row);
    else rows_.insert(rows_.begin() + position, row);
}

std::string_view TableRows::textAt(const uint32_t& ref, std::size_t& stored) const {
    stored = 0;
    if (ref == 0) return {};
    // The low 24 bits come first in memory: the text is read in the row.
    if (ref & InRow) return std::string_view(reinterpret_cast<const char*>(&ref), (ref >> 29) & 3);
    const std::string& block = blocks_[ref >> OffsetBits];
    std::size_t at = ref & (BlockBytes - 1), n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(block[at++]);
        n |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) break;
    }
    stored = lengthBytes(n) + n;
    return std::string_view(block).substr(at, n);
}

std::string_view TableRows::cell(int row, int column) const {
    std::size_t stored = 0;
    return textAt(rows_[static_cast<std::size_t>(row)].text[column], stored);
}

void TableRows::setCell(int row, int column, std::string_view text) {
    uint32_t& ref = rows_[static_cast<std::size_t>(row)].text[column];
    std::size_t stored = 0;
    const std::string_view old = textAt(ref, stored);
    if (stored > 0 && old.size() == text.size()) {
        // The same length in the same place: no gap, no growth.
        std::memmove(const_cast<char*>(old.data()), text.data(), text.size());
        return;
    }
    gaps_ += stored;
    ref = 0;
    if (gaps_ > BlockBytes && gaps_ * 2 > bytes_) pack();
    const uint32_t kept = keep(text);
    rows_[static_cast<std::size_t>(row)].text[column] = kept;
}

void TableRows::setState(int row, int state) {
    rows_[static_cast<std::size_t>(row)].state = static_cast<uint8_t>(state & (RowSelected | RowTicked));
}

void TableRows::clear() {
    std::vector<Row>().swap(rows_);
    std::vector<std::string>().swap(blocks_);
    bytes_ = gaps_ = 0;
}

uint32_t TableRows::keep(std::string_view text) {
    if (text.empty()) return 0;
    if (text.size() <= 3) {
        uint32_t ref = InRow | static_cast<uint32_t>(text.size()) << 29;
        for (std::size_t i = 0; i < text.size(); ++i)
            ref |= static_cast<uint32_t>(static_cast<unsigned char>(text[i])) << (8 * i);
        return ref;
    }
    const std::size_t need = lengthBytes(text.size()) + text.size();
    // A text longer than a block has a block of its own.
    if (blocks_.empty() || blocks_.back().size() + need > BlockBytes) {
        if (blocks_.size() == MostBlocks && gaps_ > 0) pack();
        if (blocks_.size() == MostBlocks) throw std::length_error("table texts above 2 GiB");
        blocks_.emplace_back();
        // Offset 0 of the first block would read as the empty text.
        if (blocks_.size() == 1) blocks_.back() += '\0';
        blocks_.back().reserve(need < BlockBytes ? BlockBytes : need);
    }
    std::string& block = blocks_.back();
    const auto ref = static_cast<uint32_t>((blocks_.size() - 1) << OffsetBits | block.size());
    appendLength(block, text.size());
    block.append(text);
    bytes_ += need;
    return ref;
}

// Every row's texts again, in row order, without the gaps.
void TableRows::pack() {
    std::vector<std::string> old;
    old.swap(blocks_);
    bytes_ = gaps_ = 0;
    for (Row& row : rows_) {
        for (uint32_t& ref : row.text) {
            if (ref == 0 || (ref & InRow)) continue;
            std::size_t at = ref & (BlockBytes - 1);
            const std::string& block = old[ref >> OffsetBits];
            std::size_t n = 0;
            for (int shift = 0;; shift += 7) {
                const auto byte = static_cast<unsigned char>(block[at++]);
                n |= static_cast<std::size_t>(byte & 0x7F) << shift;
                if (!(byte & 0x80)) break;
            }
            ref = keep(std::string_view(block).substr(at, n));
        }
    }
}

}  // namespace platform
