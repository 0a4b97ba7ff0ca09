// The rename-back lines of one rename action.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The lines that rename the files of an action back, in the order of its
// renames, each with its line end. They are kept in blocks of at most
// about a megabyte: the lines of a million renames never sit in one buffer
// that doubles, which while it grows holds them nearly three times.
class BackLines {
public:
    // Appends the line that renames newName back to oldName; returns it.
    std::string_view add(const std::string& newName, const std::string& oldName);
    void dropLast();
    bool empty() const { return blocks_.empty(); }
    std::size_t count() const { return count_; }
    // Bytes of `head` and every line together.
    std::size_t bytes(const std::string& head) const { return head.size() + bytes_; }
    // The undo script's text, `head` first and then the lines from the
    // last to the first, handed to `write` block by block; false as soon
    // as one write fails. The lines stay.
    bool writeLastFirst(const std::string& head, const std::function<bool(std::string_view)>& write) const;
    // The same text in one piece.
    std::string textLastFirst(const std::string& head) const;
    void clear();

private:
    struct Block {
        std::string text;
        std::vector<uint32_t> starts;   // of each line in text
    };
    static void appendLastFirst(const Block& block, std::string& out);
    std::vector<Block> blocks_;
    std::size_t count_ = 0;
    std::size_t bytes_ = 0;
    std::string line_;
};

}  // namespace engine
