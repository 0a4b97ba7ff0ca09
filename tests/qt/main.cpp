// The Qt test program: one QApplication for every test, on the offscreen
// platform unless the caller chose another (a visible run under X, say).
// Started again with QUONABIX_TOOLKIT_ARGUMENTS set, it builds the window
// system from its own command line instead and answers by its exit code
// whether the toolkit read none of it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "platform/qt/qtwindowsystem.h"
#include "testwindow.h"

namespace testwindow {

const char* ownWindowSystemName() { return "Qt"; }
std::unique_ptr<platform::WindowSystem> makeOwnWindowSystem() {
    return std::make_unique<platform::QtWindowSystem>();
}

}  // namespace testwindow

namespace {

int toolkitArgumentsRun(int argc, char** argv) {
    platform::QtWindowSystem windowSystem(argc, argv);
    const bool untouched = QGuiApplication::layoutDirection() == Qt::LeftToRight &&
                           QCoreApplication::arguments().size() == 1;
    return untouched ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (getenv("QUONABIX_TOOLKIT_ARGUMENTS")) return toolkitArgumentsRun(argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
