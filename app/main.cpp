// Quonabix: renames many files of one folder in one action.
#include "app/loop.h"
#include "platform/qt/qtwindowsystem.h"
#include "platform/window.h"
#include "support/infowindow.h"

// Written at every build (tools/buildtime.cmake).
extern const char quonabixBuildTime[];

int main(int argc, char** argv) {
    // The program reads no command line, and the toolkit sees only its name.
    platform::QtWindowSystem windowSystem(argc, argv);
    platform::useWindowSystem(&windowSystem);
    support::BuildTime = quonabixBuildTime;
    const int code = app::runProgram();
    platform::useWindowSystem(nullptr);
    return code;
}
