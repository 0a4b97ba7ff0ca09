// Quonabix: renames many files of one folder in one action.
#include "app/loop.h"
#include "platform/window.h"
#include "support/infowindow.h"
#ifdef _WIN32
#include "platform/win32/windowsystem.h"
#else
#include "platform/qt/qtwindowsystem.h"
#endif

// Written at every build (tools/buildtime.cmake).
extern const char quonabixBuildTime[];

int main(int argc, char** argv) {
    // The program reads no command line, and the toolkit sees only its name.
#ifdef _WIN32
    (void)argc;
    (void)argv;
    platform::Win32WindowSystem windowSystem;
#else
    platform::QtWindowSystem windowSystem(argc, argv);
#endif
    platform::useWindowSystem(&windowSystem);
    support::BuildTime = quonabixBuildTime;
    const int code = app::runProgram();
    platform::useWindowSystem(nullptr);
    return code;
}
