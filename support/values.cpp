#include "support/values.h"

#include "support/texts.h"

namespace support {

std::string ProgrammPfad;
std::string ProgrammVerzeichnis;
std::string TempVerzeichnis;
std::string BenutzerName;
std::string VersionText = texts::VersionList[0];
int EntwicklungsLauf = 0;

}  // namespace support
