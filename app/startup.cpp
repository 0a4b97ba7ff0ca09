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
constexpr const char* EntwicklungsMarke = "QUONABIX_ENTWICKLUNG";

std::string StartLogZeile() {
    return support::yFormatDate(text::StartLogMaske, platform::localNow()) + ";" + text::Produkt + ";" +
           support::BenutzerName;
}

}  // namespace

// One line per start in "lauf.txt"; where the program directory cannot be
// written, in the directory that the settings key "LaufDatei" names.
void SchreibenStartLog() {
    if (support::yLogFileWrite("#ADD", support::ProgrammVerzeichnis + text::StartLogDatei,
                               StartLogZeile(), 0)) {
        return;
    }
    const std::string ini = support::yTrimBlanks(support::ProgrammVerzeichnis) + text::EinstellungsDatei;
    const std::string ausweich = support::yIniRead(text::Abschnitt, text::SchluesselLaufDatei, ini, "");
    support::yLogFileWrite("#ADD", ausweich + text::StartLogDatei, StartLogZeile(), 0);
}

namespace {

void SetzenProgrammWerte() {
    support::ProgrammPfad = support::yGetProgramPath();
    support::ProgrammVerzeichnis = support::yDirectoryPart(support::ProgrammPfad);
    const std::string aktuell = support::yGetCurrentDirectory();
    support::TempVerzeichnis = support::yGetTempDirectory();
    support::BenutzerName = support::yGetEnvironment("USERNAME");
    if (support::BenutzerName.empty()) support::BenutzerName = support::yGetEnvironment("USER");
    const std::string datei = support::yUpper(support::yFileName(support::ProgrammPfad));
    support::EntwicklungsLauf = datei.find(EntwicklungsMarke) != std::string::npos ? 1 : 0;
    if (support::EntwicklungsLauf) support::ProgrammVerzeichnis = aktuell;
    support::VersionText = support::texts::VersionListe[0];
}

}  // namespace

int Programm() {
    support::yPgmCheck("#D", "---Start----------", 0);
    auto& w = platform::win();
    w.loadFont(ids::FontCourier, support::texts::InfoFontFace, support::texts::InfoFontPoints, false);
    SetzenProgrammWerte();
    SchreibenStartLog();
    engine::DateiListe.clear();
    engine::RenameErfolgt = 0;
    // Without its window the program has nothing to show, and saving would
    // overwrite the stored folder and mask with empty texts.
    if (!OeffnenHauptfenster()) return 1;
    w.setWindowTitle(ids::MainWindow, std::string(text::Produkt) + support::VersionText);
    LesenEinstellungen();
    Hauptschleife();
    SchreibenEinstellungen();
    support::yPgmCheck("#D", "---Ende-----------", 0);
    return 0;
}

}  // namespace app
