// The rename-back lines of a rename action, in blocks (see backlines.h).
#include "engine/backlines.h"

#include "engine/batch.h"

namespace engine {
namespace {

constexpr const char* LineEnd = "\r\n";
constexpr std::size_t BlockBytes = std::size_t{1} << 20;

}  // namespace

std::string_view BackLines::add(const std::string& newName, const std::string& oldName) {
    line_.clear();
    appendBatchRenLine(line_, newName, oldName);
    line_ += LineEnd;
    if (blocks_.empty() || blocks_.back().text.size() + line_.size() > BlockBytes)
        blocks_.emplace_back().text.reserve(BlockBytes);   // its whole room at once: never copied as it fills
    Block& block = blocks_.back();
    block.starts.push_back(static_cast<uint32_t>(block.text.size()));
    block.text += line_;
    ++count_;
    bytes_ += line_.size();
    return std::string_view(block.text).substr(block.starts.back());
}

void BackLines::dropLast() {
    if (blocks_.empty()) return;
    Block& block = blocks_.back();
    bytes_ -= block.text.size() - block.starts.back();
    block.text.resize(block.starts.back());
    block.starts.pop_back();
    --count_;
    if (block.starts.empty()) blocks_.pop_back();
}

void BackLines::appendLastFirst(const Block& block, std::string& out) {
    std::size_t end = block.text.size();
    for (auto it = block.starts.rbegin(); it != block.starts.rend(); ++it) {
        out.append(block.text, *it, end - *it);
        end = *it;
    }
}

bool BackLines::writeLastFirst(const std::string& head,
                               const std::function<bool(std::string_view)>& write) const {
    if (!head.empty() && !write(head)) return false;
    std::string piece;
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
        piece.clear();
        appendLastFirst(*it, piece);
        if (!write(piece)) return false;
    }
    return true;
}

std::string BackLines::textLastFirst(const std::string& head) const {
    std::string text;
    text.reserve(bytes(head));
    text += head;
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) appendLastFirst(*it, text);
    return text;
}

void BackLines::clear() {
    std::vector<Block>().swap(blocks_);
    count_ = bytes_ = 0;
}

}  // namespace engine
