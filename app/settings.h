// The settings file quonabix.ini beside the program (for an installed
// program, in the user's own folder).
#pragma once

#include <string>

namespace app {

inline constexpr const char* SettingsFileName = "quonabix.ini";
inline constexpr const char* KeyFolder = "Start-Verzeichnis";
inline constexpr const char* KeyMask = "Datei-Muster";

// support::settingsDirectory of support::ProgrammPfad, and that + "quonabix.ini"
// (also in a development run, which moves only the start log).
std::string settingsFolder();
std::string settingsPath();

// Gives the folder tree and then the mask field their saved texts; a place
// where the file can be neither opened nor created leaves both as created.
void LesenEinstellungen();
// Stores the folder tree's and the mask field's texts; does nothing when the
// main window was never built, so stored values are not wiped by empty ones.
void SchreibenEinstellungen();

}  // namespace app
