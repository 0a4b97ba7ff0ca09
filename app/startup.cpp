// Start-up: where the program runs, the start log line, the main window,
// the settings, the loop, and the settings save at the end.
#include "app/loop.h"
#include "app/mainwindow.h"
#include "app/settings.h"
#include "app/texts.h"
#include "engine/state.h"
#include "platform/process.h"
#include "platform/window.h"
#include "support/environment.h"
#include "support/ids.h"
#include "support/infobox.h"
#include "support/ini.h"
#include "support/logfile.h"
#include "support/text.h"
#include "support/texts.h"
#include "support/values.h"

namespace app {

namespace {

// A program file whose name holds this word was started from the
// development environment; an installed program never does.
constexpr const char* DevelopmentMarker = "QUONABIX_ENTWICKLUNG";

std::string startLogLine() {
    return support::formatDate(text::StartLogDateMask, platform::localNow()) + ";" + text::Product + ";" +
           support::BenutzerName;
}

}  // namespace

// One line per start in "lauf.txt"; where the program directory cannot be
// written, in the directory that the settings key "LaufDatei" names.
void writeStartLog() {
    if (support::yLogFileWrite("#ADD", support::ProgrammVerzeichnis + text::StartLogName,
                               startLogLine(), 0)) {
        return;
    }
    const std::string ini = support::trimBlanks(support::ProgrammVerzeichnis) + text::StartLogSettingsFile;
    const std::string fallbackFolder =
        support::yIniRead(text::SettingsSection, text::KeyStartLogFolder, ini, "");
    support::yLogFileWrite("#ADD", fallbackFolder + text::StartLogName, startLogLine(), 0);
}

namespace {

void setProgramValues() {
    support::ProgrammPfad = support::yGetProgramPath();
    // An installed program writes its start log where it keeps its settings.
    support::ProgrammVerzeichnis = settingsFolder();
    const std::string currentDir = support::yGetCurrentDirectory();
    support::TempVerzeichnis = support::yGetTempDirectory();
    support::BenutzerName = support::yGetEnvironment("USERNAME");
    if (support::BenutzerName.empty()) support::BenutzerName = support::yGetEnvironment("USER");
    const std::string programFile = support::toUpper(support::fileNamePart(support::ProgrammPfad));
    support::EntwicklungsLauf = programFile.find(DevelopmentMarker) != std::string::npos ? 1 : 0;
    if (support::EntwicklungsLauf) support::ProgrammVerzeichnis = currentDir;
    support::VersionText = support::texts::VersionList[0];
}

}  // namespace

int runProgram() {
    support::yPgmCheck("#D", "---Start----------", 0);
    auto& w = platform::win();
    w.loadFont(ids::FontCourier, support::texts::InfoFontFace, support::texts::InfoFontPoints, false);
    setProgramValues();
    writeStartLog();
    engine::DateiListe.clear();
    engine::RenameErfolgt = 0;
    // Without its window the program has nothing to show, and saving would
    // overwrite the stored folder and mask with empty texts.
    if (!OeffnenHauptfenster()) return 1;
    w.setWindowTitle(ids::MainWindow, std::string(text::Product) + support::VersionText);
    LesenEinstellungen();
    Hauptschleife();
    SchreibenEinstellungen();
    support::yPgmCheck("#D", "---Ende-----------", 0);
    return 0;
}

}  // namespace app
