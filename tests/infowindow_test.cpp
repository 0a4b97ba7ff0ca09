// The information window: its text, its size handler and its own event loop.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "app/info.h"
#include "platform/headless/headless.h"
#include "support/ids.h"
#include "support/infowindow.h"
#include "support/texts.h"
#include "support/values.h"

namespace {

using platform::EventCode;
using platform::EventKind;

// Lets a test look at the window while the nested loop waits for its next event.
class WatchedWindowSystem : public platform::HeadlessWindowSystem {
public:
    std::function<void(int wait)> onWait;
    EventCode waitEvent(int wakeAfterMs) override {
        if (onWait) onWait(waits_);
        ++waits_;
        return HeadlessWindowSystem::waitEvent(wakeAfterMs);
    }

private:
    int waits_ = 0;
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << r.x << "," << r.y << " " << r.w << "x" << r.h;
}

class InfoWindowTest : public ::testing::Test {
protected:
    WatchedWindowSystem h;
    void SetUp() override {
        platform::useWindowSystem(&h);
        h.openWindow(ids::MainWindow, 0, 0, 800, 600, "Quonabix  V 2.09", platform::WinCloseBox);
    }
    void TearDown() override { platform::useWindowSystem(nullptr); }

    Rect rect(int id) {
        Rect r;
        EXPECT_TRUE(h.controlRect(id, r.x, r.y, r.w, r.h)) << "control " << id;
        return r;
    }
    // Runs the information window; check runs at the first wait of its loop.
    void showInfo(const std::function<void()>& check) {
        h.onWait = [&](int wait) {
            if (wait == 0) check();
        };
        app::Info();
        h.onWait = nullptr;
    }
};

std::string shownText() { return support::infoText(app::infoTemplate(), "Quonabix"); }

// ---- the text ----------------------------------------------------------------------

TEST(InfoText, NoMarkerNoEscapeAndATitleOfSixteenCharacters) {
    const std::string text = shownText();
    for (const char* left : {"{ANWENDUNG}", "{COPYRIGHT}", "{KRITIK}", "{AUSSCHLUSS}", "{COMPILE}",
                             "{PGMVERSION}", "\\n ", "\\' ", "###ENDE###"}) {
        EXPECT_EQ(text.find(left), std::string::npos) << left;
    }
    EXPECT_EQ(text.rfind("Quonabix  V 2.09\r\n----------------\r\nMit diesem", 0), 0u) << text.substr(0, 60);
}

TEST(InfoText, UsageLinesKeepTheirLoneCarriageReturns) {
    const std::string text = shownText();
    const char* lines[] = {
        "Mit diesem Rename Tool (Quonabix) haben Sie die Möglichkeit,\r",
        "die Namen aller Dateien in einem Verzeichnisses einen \r",
        "'DMG_3456.jpg', 'Bild_a.jpg' und 'IMG_2456.bmp'\r",
        "\r 'Tiere_001.jpg', 'Tiere_002.jpg' und 'Tiere_003.jpg'.\r",
        "Dateinamen oder der Groß- und Kleinschreibung genommen werden.\r \rProgramm-Versionen\r\n",
    };
    for (const char* line : lines) {
        const std::size_t at = text.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_NE(text[at + std::string(line).size()], '\n') << line;
    }
}

TEST(InfoText, SectionsStandInTheTemplatesOrder) {
    const std::string text = shownText();
    const std::string frame = "  +----------------------------+\r\n";
    const std::string heads[] = {
        "Mit diesem", "Programm-Versionen\r\n------------------\r\nV1.00 ", "Kompiliert: ", "Quonabix-Team",
        "Ausschluß\r\n---------\r\n", "Anregungen und Kritik\r\n---------------------\r\n",
        frame + "  |  " + support::texts::FeedbackAddress + "  |\r\n" + frame,
        "Nur durch Ihr Feedback kann ein Programm besser werden !\r\n\r\n\r\n"};
    std::size_t previous = 0;
    for (const std::string& head : heads) {
        const std::size_t at = text.find(head);
        ASSERT_NE(at, std::string::npos) << head;
        EXPECT_GT(at, previous) << head;
        previous = at;
    }
    EXPECT_TRUE(text.ends_with(heads[std::size(heads) - 1]));
    // The address stands in its frame: its line is exactly as wide.
    const std::size_t address = text.find("  |  ");
    ASSERT_NE(address, std::string::npos);
    EXPECT_EQ(text.find("\r\n", address) - address, frame.size() - 2) << text.substr(address, 40);
    EXPECT_TRUE(std::regex_search(text, std::regex("\r\nKompiliert: [0-3][0-9]\\.[01][0-9]\\.20[0-9]{2} / "
                                                   "21:[0-5][0-9]:[0-5][0-9]  pc:[0-2][0-9]\r\n\r\n")));

    // The time the program was built, as the program sets it at start.
    const std::string saved = support::BuildTime;
    support::BuildTime = "2026-02-03 04:05:06";
    EXPECT_NE(shownText().find("\r\nKompiliert: 03.02.2026 / 21:05:06  pc:04\r\n\r\n"), std::string::npos);
    support::BuildTime = saved;
}

// Every row of the history shown starts with its version and date, or
// stands under the change text above it; the newest row is the version in
// the title, so a row added after the end marker or a version text left
// behind shows here.
TEST(InfoText, VersionRowsLineUpAndEndWithTheCurrentVersion) {
    const std::string text = shownText();
    const std::string head = "Programm-Versionen\r\n------------------\r\n";
    const std::size_t start = text.find(head);
    ASSERT_NE(start, std::string::npos);
    const std::regex row("V[0-9]\\.[0-9]{2} [0-3][0-9]\\.[01][0-9]\\.[0-9]{4} \\([a-z]{4}\\) \\S.*");
    const std::regex continued(" {24}\\S.*");
    std::string lastVersion;
    int rows = 0;
    for (std::size_t at = start + head.size();; ++rows) {
        const std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (line.empty()) break;   // the section ends with an empty line
        EXPECT_TRUE(std::regex_match(line, row) || std::regex_match(line, continued)) << line;
        if (line[0] == 'V') lastVersion = line.substr(0, 5);
    }
    EXPECT_EQ(rows, int(std::size(support::texts::VersionList)) - 2) << "every row up to the end marker";
    EXPECT_EQ("Quonabix  " + lastVersion.substr(0, 1) + " " + lastVersion.substr(1), text.substr(0, 16));
}

// ---- the window --------------------------------------------------------------------

TEST_F(InfoWindowTest, OpensWithEditorAndButtonInPlace) {
    showInfo([&] {
        int w = 0, hgt = 0;
        EXPECT_EQ(h.windowInnerSize(ids::InfoWindow, w, hgt), 1);
        EXPECT_EQ(w, 670);
        EXPECT_EQ(hgt, 386);
        EXPECT_EQ(h.windowTitle(ids::InfoWindow), "Quonabix");
        EXPECT_EQ(rect(ids::InfoEditor), (Rect{10, 10, 650, 330}));
        EXPECT_EQ(rect(ids::InfoCloseButton), (Rect{270, 350, 130, 30}));
        EXPECT_EQ(h.getText(ids::InfoCloseButton), "Fenster schließen");
        EXPECT_EQ(h.getText(ids::InfoEditor), shownText());
        EXPECT_TRUE(h.isReadOnly(ids::InfoEditor));
        EXPECT_EQ(h.controlFont(ids::InfoEditor), ids::FontCourier);
        EXPECT_EQ(h.focusedControl(), ids::InfoEditor);
    });
    EXPECT_FALSE(h.windowOpen(ids::InfoWindow));
    EXPECT_TRUE(h.windowOpen(ids::MainWindow));
}

TEST_F(InfoWindowTest, SizeHandlerKeepsTheMinimumAndCentresTheButton) {
    const struct { int w, h; int expectW, expectH; Rect editor, button; } cases[] = {
        {500, 300, 670, 386, {10, 10, 650, 331}, {270, 351, 130, 30}},
        {600, 900, 670, 900, {10, 10, 650, 845}, {270, 865, 130, 30}},
        {1001, 700, 1001, 700, {10, 10, 981, 645}, {435, 665, 130, 30}},
    };
    showInfo([&] {
        for (const auto& c : cases) {
            h.userResize(ids::InfoWindow, c.w, c.h);
            int w = 0, hgt = 0;
            h.windowInnerSize(ids::InfoWindow, w, hgt);
            EXPECT_EQ(w, c.expectW) << "dragged to " << c.w << "x" << c.h;
            EXPECT_EQ(hgt, c.expectH) << "dragged to " << c.w << "x" << c.h;
            EXPECT_EQ(rect(ids::InfoEditor), c.editor) << "dragged to " << c.w << "x" << c.h;
            EXPECT_EQ(rect(ids::InfoCloseButton), c.button) << "dragged to " << c.w << "x" << c.h;
        }
    });
}

TEST_F(InfoWindowTest, EveryWayOfClosingEndsTheLoopAndDropsWhatCameBefore) {
    const struct { const char* name; EventCode code; int id; } closers[] = {
        {"button", EventCode::Control, ids::InfoCloseButton},
        {"close box", EventCode::Close, ids::InfoWindow},
        {"main window's close box", EventCode::Close, ids::MainWindow},
    };
    for (const auto& c : closers) {
        // Main-window events while the information is open draw no reaction, ever.
        h.pushEvent(EventCode::Control, ids::RenameButton, EventKind::LeftClick);
        h.pushEvent(EventCode::Menu, ids::MenuQuit, EventKind::None);
        h.pushEvent(EventCode::Other, 0, EventKind::None);
        h.pushEvent(EventCode::Control, ids::InfoEditor, EventKind::FocusLost);
        h.pushEvent(c.code, c.id, EventKind::None);
        h.pushEvent(EventCode::Control, ids::RefreshButton, EventKind::LeftClick);   // after closing
        app::Info();
        EXPECT_FALSE(h.windowOpen(ids::InfoWindow)) << c.name;
        EXPECT_TRUE(h.windowOpen(ids::MainWindow)) << c.name;
        ASSERT_EQ(h.pendingEvents(), 1u) << c.name << ": only the event after closing is left";
        EXPECT_EQ(h.waitEvent(-1), EventCode::Control);
        EXPECT_EQ(h.eventId(), ids::RefreshButton) << c.name;
    }
}

TEST_F(InfoWindowTest, NoLoopWithoutAWindow) {
    // A window of the same id is already there, so the information window cannot open.
    h.openWindow(ids::InfoWindow, 0, 0, 100, 100, "belegt", 0);
    h.pushEvent(EventCode::Control, ids::RenameButton, EventKind::LeftClick);
    bool waited = false;
    h.onWait = [&](int) { waited = true; };
    support::yWindowInfo(app::infoTemplate(), "Quonabix");
    EXPECT_FALSE(waited);
    EXPECT_EQ(h.pendingEvents(), 1u);
    EXPECT_EQ(h.windowTitle(ids::InfoWindow), "belegt") << "someone else's window is left alone";
}

}  // namespace
