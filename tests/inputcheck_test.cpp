// The check of typed rule input: the mask language, the once-only signs and
// the message that names the offending character.
#include <gtest/gtest.h>

#include <string>

#include "engine/inputcheck.h"
#include "testutil.h"

namespace {

constexpr const char* Pattern = "#A-Z#a-z#0-9#S01";
constexpr const char* Chars = "#A-Z#a-z#0-9#S01#SP";

using InputCheckTest = testutil::MainWindowTest;

}  // namespace

TEST_F(InputCheckTest, MaskLanguage) {
    const struct {
        const char *mask, *allowed, *text;
        int expected;
    } cases[] = {
        {Pattern, "", "neu_%nr%.%erw%", 1}, {Pattern, "", "", 1},
        {Pattern, "", "AZaz09%_-!$.--", 1},   // no once-only signs here
        {Pattern, "", "a b", 0},             {Pattern, "", "äpfel", 0},   {Pattern, "", "a/b", 0},
        {Chars, "", "a b", 1},               {Chars, "", "a\tb", 0},
        {"#0-9-", "", "-12", 1},             {"#0-9-", "", "1-2", 1},
        {"#0-9-", "", "--1", 0},             {"#0-9-", "", "+1", 0},
        {"#0-9", "", "1.5", 0},              {"#0-9", "", "-1", 0},
        {"#0-9-,", "", "-1,5", 1},           {"#0-9-,", "", "1.5", 0},     {"#0-9-,", "", "1,5,", 0},
        {"#0-9-.", "", "-1.5", 1},           {"#0-9-.", "", "1,5", 0},
        {"#0-9-.,", "", "-1.5,2", 1},        {"#0-9-.,", "", "1..2", 0},   {"#0-9-.,", "", "1--2", 0},
        {"#a-z", "", "aBc", 0},              {"#SP", "", "   ", 1},       {"", "", "a", 0},
        {"#A-Z", "xyä", "xä", 1},            {"#A-Z", "xyä", "A", 0},     // the argument is the set
        {"#0-9-", "-1", "--1", 1},           // and brings no once-only sign
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::yCheckInput(std::string(c.mask) + "#NO_MSG", c.allowed, c.text), c.expected)
            << "mask \"" << c.mask << "\" allowed \"" << c.allowed << "\" text \"" << c.text << "\"";
    }
    EXPECT_TRUE(h.shownBoxes().empty()) << "#NO_MSG suppresses every message";
}

TEST_F(InputCheckTest, MessageNamesPositionInCharactersAndTheCharacter) {
    const struct {
        const char *mask, *allowed, *text, *where;
    } cases[] = {
        {Pattern, "", "a b", "Position 2 =  \r in a b"},
        {Pattern, "", "xäy", "Position 2 = ä\r in xäy"},
        {"#0-9", "", "1.5", "Position 2 = .\r in 1.5"},
        {"", "äb", "ääbc", "Position 4 = c\r in ääbc"},
        // A repeated once-only sign is named at its second occurrence.
        {"#0-9-", "", "1-2-3", "Position 4 = -\r in 1-2-3"},
        {"#0-9-.,", "", "1.2,3,4", "Position 6 = ,\r in 1.2,3,4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        h.clearBoxes();
        EXPECT_EQ(engine::yCheckInput(c.mask, c.allowed, c.text), 0);
        ASSERT_EQ(h.shownBoxes().size(), 1u);
        EXPECT_EQ(h.shownBoxes()[0].title, "Quonabix");
        EXPECT_EQ(h.shownBoxes()[0].text, std::string(c.where) + "\r ist ein ungültiges Zeichen !");
        EXPECT_EQ(h.shownBoxes()[0].kind, 0);
    }
}
