// Fuzzes the check of typed rule input with the masks of the program's
// fields: a text passes exactly when each of its bytes is a character the
// mask allows (so no control character, umlaut or stray byte reaches a
// rule) and no once-only sign of a number stands twice. The oracle below
// is written independently of the check, over bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/inputcheck.h"

namespace {

struct Field {
    const char* mask;
    const char* allowed;
    const char* once;
};

// The masks of the pattern, start number, digit and replace/remove fields.
constexpr Field Fields[] = {
    {"#A-Z#a-z#0-9#S01#NO_MSG", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%_-!$.", ""},
    {"#0-9-#NO_MSG", "-0123456789", "-"},
    {"#0-9#NO_MSG", "0123456789", ""},
    {"#A-Z#a-z#0-9#S01#SP#NO_MSG", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%_-!$. ", ""},
};

bool oracle(const Field& f, const std::string& text) {
    const std::string allowed = f.allowed, once = f.once;
    for (char c : text)
        if (allowed.find(c) == std::string::npos) return false;
    for (char c : once)
        if (text.find(c) != text.rfind(c)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Field& f = Fields[data[0] % (sizeof Fields / sizeof *Fields)];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((engine::yCheckInput(f.mask, "", text) == 1) != oracle(f, text)) std::abort();
    return 0;
}
