// Fuzzes the undo-script lines: every rename-back line the program writes
// reads back as the same two names; any line the interpreter reads as a
// rename writes back to a line it reads the same way; and the recovery's
// script of any log text is made without trouble. Nothing here touches a
// file: a fuzzed script could name any folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/batch.h"
#include "engine/recovery.h"

namespace {

// The names the rename action lets through to a rename.
bool actionWouldRename(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 32 || std::string("\"*/:<>?\\|").find(static_cast<char>(c)) != std::string::npos) return false;
    return true;
}

void mustReadBack(const std::string& from, const std::string& to) {
    std::string readFrom, readTo;
    if (!engine::readRenLine(engine::batchRenLine(from, to), readFrom, readTo) || readFrom != from ||
        readTo != to)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = text.find('\0');
    if (cut != std::string::npos) {
        const std::string from = text.substr(0, cut), to = text.substr(cut + 1);
        if (actionWouldRename(from) && actionWouldRename(to)) mustReadBack(from, to);
    }
    std::string from, to;
    if (engine::readRenLine(text, from, to)) mustReadBack(from, to);
    const std::string script = engine::logUndoScript(text);
    if (script.size() > 2 * text.size() + 64) std::abort();   // no line is made up
    return 0;
}
