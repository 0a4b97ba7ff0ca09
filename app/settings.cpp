#include "app/settings.h"

#include "app/texts.h"
#include "platform/files.h"
#include "platform/window.h"
#include "support/environment.h"
#include "support/filehelpers.h"
#include "support/ids.h"
#include "support/ini.h"
#include "support/text.h"
#include "support/values.h"

namespace app {

namespace {

constexpr const char* DefaultMask = "*.*";

// Opening creates the empty file on a first run; a write-protected file can
// still be read even though it cannot be opened for writing.
bool settingsFileUsable(const std::string& path) {
    int handle = platform::fileOpen(path, platform::OpenMode::OpenOrCreate);
    if (handle == 0 && !platform::isDirectory(path)) handle = platform::fileOpen(path, platform::OpenMode::Read);
    if (handle == 0) return false;
    platform::fileClose(handle);
    return true;
}

}  // namespace

// Decided once for the program file: an installed program whose uninstall
// entry went away while it ran still saves where it read its settings, and
// start-up asks here too for the start log's folder.
std::string settingsFolder() {
    static std::string programPath, directory;
    if (directory.empty() || programPath != support::ProgrammPfad) {
        programPath = support::ProgrammPfad;
        directory = support::settingsDirectory(programPath);
    }
    return directory;
}

std::string settingsPath() { return settingsFolder() + SettingsFileName; }

void LesenEinstellungen() {
    const std::string path = support::findFileNoCase(settingsPath());
    if (!settingsFileUsable(path)) return;
    const std::string folder = support::yIniRead(text::SettingsSection, KeyFolder, path, "");
    std::string mask = support::yIniRead(text::SettingsSection, KeyMask, path, "");
    if (support::trimBlanks(mask).empty()) mask = DefaultMask;
    // The tree first: selecting its folder queues the change that fills the table.
    platform::win().setText(ids::FolderTree, folder);
    platform::win().setText(ids::MaskField, mask);
}

void SchreibenEinstellungen() {
    platform::WindowSystem& w = platform::win();
    int x, y, width, height;
    if (!w.controlRect(ids::FolderTree, x, y, width, height) ||
        !w.controlRect(ids::MaskField, x, y, width, height)) {
        return;
    }
    const std::string path = settingsPath();
    // Failures stay silent: the run ends as usual and the old file stays whole.
    support::yIniWrite(text::SettingsSection, KeyFolder, w.getText(ids::FolderTree), path);
    support::yIniWrite(text::SettingsSection, KeyMask, w.getText(ids::MaskField), path);
}

}  // namespace app
