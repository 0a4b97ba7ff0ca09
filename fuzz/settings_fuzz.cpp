// Fuzzes the settings file: whatever a hand-edited file holds, writing a
// value and reading it back gives that value, and the other key keeps the
// value it had.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "support/ini.h"

namespace {

// A value the settings can hold as it is: one line, no blank or quote at
// its ends, not blank, within the 254 characters that are read back.
bool storable(const std::string& v) {
    if (v.empty() || v.size() > 254 || v.find_first_of("\r\n") != std::string::npos) return false;
    const std::string white = " \t";
    if (white.find(v.front()) != std::string::npos || white.find(v.back()) != std::string::npos) return false;
    return v.front() != '"' && v.front() != '\'';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    const std::string value = cut == std::string::npos ? "*.jpg" : input.substr(0, cut);
    const std::string content = cut == std::string::npos ? input : input.substr(cut + 1);
    if (!storable(value)) return 0;
    const std::string file = "fuzz-settings.ini";   // in the folder the fuzzer runs in
    { std::ofstream(file, std::ios::binary | std::ios::trunc) << content; }
    const std::string before = support::yIniRead("Standard", "Start-Verzeichnis", file, "-");
    if (!support::yIniWrite("Standard", "Datei-Muster", value, file)) abort();
    if (support::yIniRead("Standard", "Datei-Muster", file, "-") != value) abort();
    if (support::yIniRead("Standard", "Start-Verzeichnis", file, "-") != before) abort();
    return 0;
}
