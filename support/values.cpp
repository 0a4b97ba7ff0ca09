#include "support/values.h"

namespace support {

std::string ProgrammPfad;
std::string ProgrammVerzeichnis;
std::string TempVerzeichnis;
std::string BenutzerName;
std::string VersionText = "  V 2.09";
int EntwicklungsLauf = 0;

}  // namespace support
