// Fuzzes the name pattern: where the pattern is taken apart once per
// rebuild and filled in one pass, the new name is the one the steps give
// when they run one after the other on every file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    int32_t number;
    std::memcpy(&number, data, sizeof number);
    const int digits = data[4] % 12;
    const std::string rest(reinterpret_cast<const char*>(data) + 5, size - 5);
    const std::size_t cut = rest.find('\0');
    if (cut == std::string::npos) return 0;
    engine::RuleInputs in;
    in.pattern = rest.substr(0, cut);
    in.digits = digits;
    const std::string name = rest.substr(cut + 1);
    const std::string path = "/nicht/vorhanden/" + name;   // date placeholders find no file
    const std::string stepByStep = engine::newNameFor(in, path, name, number);
    in.pieces = engine::splitPattern(in.pattern);
    if (!in.pieces.empty() && engine::newNameFor(in, path, name, number) != stepByStep) std::abort();
    return 0;
}
