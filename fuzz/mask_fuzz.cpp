// Fuzzes the file mask: the short way of "*.ext" masks accepts exactly the
// names the general matcher accepts, for any mask and any name bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/table.h"
#include "support/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    if (cut == std::string::npos) return 0;
    const std::string mask = support::toUpper(input.substr(0, cut));   // as the rebuild reads it
    const std::string name = input.substr(cut + 1);
    if (engine::MaskFilter(mask).accepts(name) != engine::MaskFilter(mask, false).accepts(name)) std::abort();
    return 0;
}
