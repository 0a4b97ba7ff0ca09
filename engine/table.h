// The file table: directory scan, mask match, sorting and the rebuild of
// the rows (control 9).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/match.h"
#include "engine/readdir.h"

namespace engine {

constexpr int ModeFull = 0;      // read the directory again, rows anew
constexpr int ModeNames = 1;     // new names of the listed rows only
constexpr int ModeRefresh = 2;   // after a rename action: ticked rows again

void NeuAufbauen(int mode, FileList& list);
void FuellenTabelle(const std::string& directory, int mode, FileList& list);
void LoeschenRenameSpalte();

// Reads a field as an integer: leading blanks and tabs, one sign, digits;
// no digits is 0; too large for 32 bits is clamped.
int32_t readNumber(const std::string& text);

// The file mask of a rebuild, taken apart once: a mask "*.ext" (plain
// ASCII after the star) takes a short way over the name's ending, any other
// goes through yMatchPattern with the name upper-cased. Both ways accept
// the same names; fastWay false forces the general one.
class MaskFilter {
public:
    explicit MaskFilter(const std::string& upperMask, bool fastWay = true);
    bool accepts(const std::string& name) const;

private:
    std::string mask_;
    bool endingOnly_ = false;
    std::string ending_;   // A-Z folded to a-z
};

}  // namespace engine
