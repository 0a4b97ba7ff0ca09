#include "app/settings.h"

#include "app/texts.h"
#include "platform/files.h"
#include "platform/window.h"
#include "support/filehelpers.h"
#include "support/ids.h"
#include "support/ini.h"
#include "support/text.h"
#include "support/values.h"

namespace app {

namespace {

constexpr const char* StandardMuster = "*.*";

// Opening creates the empty file on a first run; a write-protected file can
// still be read even though it cannot be opened for writing.
bool EinstellungsDateiBrauchbar(const std::string& path) {
    int handle = platform::fileOpen(path, platform::OpenMode::OpenOrCreate);
    if (handle == 0 && !platform::isDirectory(path)) handle = platform::fileOpen(path, platform::OpenMode::Read);
    if (handle == 0) return false;
    platform::fileClose(handle);
    return true;
}

}  // namespace

std::string EinstellungsDatei() {
    return support::yDirectoryPart(support::ProgrammPfad) + EinstellungsDateiName;
}

void LesenEinstellungen() {
    const std::string path = support::yFindFileNoCase(EinstellungsDatei());
    if (!EinstellungsDateiBrauchbar(path)) return;
    const std::string verzeichnis = support::yIniRead(text::Abschnitt, SchluesselVerzeichnis, path, "");
    std::string muster = support::yIniRead(text::Abschnitt, SchluesselMuster, path, "");
    if (support::yTrimBlanks(muster).empty()) muster = StandardMuster;
    // The tree first: selecting its folder queues the change that fills the table.
    platform::win().setText(ids::FolderTree, verzeichnis);
    platform::win().setText(ids::MaskField, muster);
}

void SchreibenEinstellungen() {
    platform::WindowSystem& w = platform::win();
    int x, y, width, height;
    if (!w.controlRect(ids::FolderTree, x, y, width, height) ||
        !w.controlRect(ids::MaskField, x, y, width, height)) {
        return;
    }
    const std::string path = EinstellungsDatei();
    // Failures stay silent: the run ends as usual and the old file stays whole.
    support::yIniWrite(text::Abschnitt, SchluesselVerzeichnis, w.getText(ids::FolderTree), path);
    support::yIniWrite(text::Abschnitt, SchluesselMuster, w.getText(ids::MaskField), path);
}

}  // namespace app
