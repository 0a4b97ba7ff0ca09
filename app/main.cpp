// Quonabix: renames many files of one folder in one action.
#include <cstdlib>
#include <string>

#include "app/loop.h"
#include "app/texts.h"
#include "platform/process.h"
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
    // Without a display the toolkit would abort with a core dump; the user
    // is told in one line instead. A platform named explicitly (offscreen,
    // a VNC server, ...) is the toolkit's to try.
    const char* noDisplay = app::text::NoDisplay;
    const auto set = [](const char* name) {
        const char* value = getenv(name);
        return value && *value;
    };
    if (!set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
        platform::writeStderr(std::string(noDisplay) + "\n");
        return 1;
    }
    platform::QtWindowSystem windowSystem(argc, argv, noDisplay);
#endif
    platform::useWindowSystem(&windowSystem);
    support::BuildTime = quonabixBuildTime;
    const int code = app::runProgram();
    platform::useWindowSystem(nullptr);
    return code;
}
