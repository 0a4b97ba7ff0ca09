// The Win32 window test program: the window contract against the headless
// and the Win32 window system, and the cases of the Win32 one alone.
#include <gtest/gtest.h>

#include "platform/win32/windowsystem.h"
#include "testwindow.h"

namespace testwindow {

const char* ownWindowSystemName() { return "Win32"; }
std::unique_ptr<platform::WindowSystem> makeOwnWindowSystem() {
    return std::make_unique<platform::Win32WindowSystem>();
}

}  // namespace testwindow

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
