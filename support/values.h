// Program-wide values set once by start-up and read across the program.
#pragma once

#include <string>

namespace support {

extern std::string ProgrammPfad;         // the running program file
extern std::string ProgrammVerzeichnis;  // its directory, ending with "/"
extern std::string TempVerzeichnis;      // temporary directory, ending with "/" (or "")
extern std::string BenutzerName;         // the user's login name
extern std::string VersionText;          // the first entry of the version list
extern int EntwicklungsLauf;             // 1 in a development run

}  // namespace support
