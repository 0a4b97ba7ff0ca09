#include "support/infowindow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/files.h"
#include "platform/window.h"
#include "support/ids.h"
#include "support/infobox.h"
#include "support/text.h"
#include "support/texts.h"
#include "support/values.h"

// Until the program sets the time of its build: when the build was set up,
// or nothing at all outside CMake.
#ifndef QUONABIX_BUILD_TIME
#define QUONABIX_BUILD_TIME "2000-01-01 00:00:00"
#endif

namespace support {

std::string BuildTime = QUONABIX_BUILD_TIME;

namespace {

// The window never gets smaller than it opens.
constexpr int MinWidth = 670;
constexpr int MinHeight = 386;
constexpr int OpenX = 256;
constexpr int OpenY = 19;
constexpr int ButtonWidth = 130;
constexpr int ButtonHeight = 30;

platform::LocalTime buildTime() {
    platform::LocalTime t;
    std::sscanf(BuildTime.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour,
                &t.minute, &t.second);
    return t;
}

std::string titleSection(const std::string& title) {
    const std::string line = title + VersionText;
    return line + "\\n " + std::string(charCount(line), '-') + "\\n ";
}

std::string feedbackSection() {
    return std::string(texts::FeedbackHead) + texts::FeedbackFrame + "  |  " + texts::FeedbackAddress +
           "  |\\n " + texts::FeedbackFrame + texts::FeedbackTail;
}

std::string buildSection() {
    return std::string(texts::BuildPrefix) + formatDate(texts::BuildMask, buildTime()) + "\\n \\n ";
}

std::string versionSection() {
    std::string text = std::string(texts::VersionsHead) + "\r\n" + std::string(18, '-') + "\r\n";
    // The first entry is the version text itself, not a row of the history.
    for (std::size_t i = 1; i < std::size(texts::VersionList); ++i) {
        if (std::strcmp(texts::VersionList[i], texts::VersionsEnd) == 0) break;
        text += texts::VersionList[i];
    }
    return text + "\\n ";
}

void fillInfoWindow(const std::string& text) {
    platform::WindowSystem& w = platform::win();
    w.loadFont(ids::FontCourier, texts::InfoFontFace, texts::InfoFontPoints, false);
    w.createControl(platform::ControlKind::Editor, ids::InfoEditor, 10, 10, 650, 330, "",
                    platform::CtlReadOnly);
    w.setControlFont(ids::InfoEditor, ids::FontCourier);
    w.createControl(platform::ControlKind::Button, ids::InfoCloseButton, 270, 350, ButtonWidth,
                    ButtonHeight, texts::InfoCloseCaption, platform::CtlNone);
    w.setText(ids::InfoEditor, text);
    w.setSizeHandler(ids::InfoWindow, infoWindowSized);
    w.setEditorReadOnly(ids::InfoEditor);
    w.setFocus(ids::InfoEditor);
}

// Everything else, the main window's events included, is taken and dropped:
// the main window must not react while the information is open.
void runInfoLoop() {
    platform::WindowSystem& w = platform::win();
    for (;;) {
        const platform::EventCode code = w.waitEvent(-1);
        if (code == platform::EventCode::Close) return;
        if (code == platform::EventCode::Control && w.eventId() == ids::InfoCloseButton) return;
    }
}

}  // namespace

std::string infoText(const std::string& templ, const std::string& title) {
    const std::pair<const char*, std::string> sections[] = {
        {"{ANWENDUNG}", titleSection(title)},     {"{COPYRIGHT}", texts::MakerSection},
        {"{KRITIK}", feedbackSection()},          {"{AUSSCHLUSS}", texts::DisclaimerSection},
        {"{COMPILE}", buildSection()},            {"{PGMVERSION}", versionSection()},
    };
    std::string text = templ;
    for (const auto& [marker, section] : sections) text = replaceAll(text, marker, section, false);
    return yUnescape("", text);
}

void yWindowInfo(const std::string& templ, const std::string& title) {
    const int token = yPgmCheck("#S", "yWindowInfo", 0);
    const std::string text = infoText(templ, title);
    const unsigned options = platform::WinCloseBox | platform::WinResizable | platform::WinMinMaxBoxes;
    // Without a window there is nothing to close, so the loop would never end.
    if (platform::win().openWindow(ids::InfoWindow, OpenX, OpenY, MinWidth, MinHeight, title, options) != 0) {
        fillInfoWindow(text);
        runInfoLoop();
        platform::win().closeWindow(ids::InfoWindow);
    }
    yPgmCheck("#E", "yWindowInfo", token);
}

void infoWindowSized(int windowId) {
    platform::WindowSystem& w = platform::win();
    int width = 0, height = 0;
    if (w.windowInnerSize(windowId, width, height) == 0) return;
    const int fitWidth = std::max(width, MinWidth);
    const int fitHeight = std::max(height, MinHeight);
    // Resizing only when needed keeps a backend that reports its own resize from looping.
    if (fitWidth != width || fitHeight != height) w.resizeWindow(windowId, fitWidth, fitHeight);
    w.moveControl(ids::InfoEditor, 10, 10, fitWidth - 20, fitHeight - 55);
    w.moveControl(ids::InfoCloseButton, fitWidth / 2 - 65, fitHeight - 35, ButtonWidth, ButtonHeight);
}

}  // namespace support
