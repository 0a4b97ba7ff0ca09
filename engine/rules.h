// The five new-name rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

enum class Rule { Pattern, Replace, Remove, LetterCase, Swap };
enum class RemoveAt { Start, End, All };
enum class LetterCase { Upper, Lower, CapitalFirst };

// One piece of a name pattern taken apart once per rebuild: plain text,
// or the slot of the number, base name, file name or extension.
struct PatternPiece {
    enum Kind { Text, Number, Base, FileName, Extension } kind = Text;
    std::string text;
};

// Every rule input, read from the controls once per rebuild.
struct RuleInputs {
    Rule rule = Rule::Pattern;
    std::string pattern = "neu_%nr%.%erw%";
    int digits = 3;                  // 0 to 255
    std::string findText, replaceBy;
    std::string removeText;
    RemoveAt where = RemoveAt::Start;
    LetterCase letterCase = LetterCase::Upper;
    std::string separator, order;    // separator: one character
    // The pattern in pieces, where its placeholders can be filled in one
    // pass; empty where the steps one after the other must run.
    std::vector<PatternPiece> pieces;
};

RuleInputs readRuleInputs();
// The pattern in pieces for the one-pass way; empty where the placeholders
// must be filled in step by step (see rules.cpp).
std::vector<PatternPiece> splitPattern(const std::string& pattern);

// The new name of one file under the chosen rule.
std::string newNameFor(const RuleInputs& in, const std::string& fullPath,
                       const std::string& fileName, int32_t number);

// The number text: zero places of the mask filled from the right.
std::string yFormatNumber(const std::string& mask, int32_t value);
// One time stamp of a file, in its own local time: selector "" formats it
// with the date mask (or formats givenDate when > 0), "#WERT" gives it as a
// seconds count of the local clock, the form givenDate takes; "" when the
// time is unknown. Kind 0 creation, 1 last access, 2 modification.
std::string yGetFileDate(const std::string& selector, const std::string& path,
                         const std::string& dateMask, int kind, long long givenDate);

}  // namespace engine
