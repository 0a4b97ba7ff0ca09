// The log writer of the support library: one line per call.
#pragma once

#include <string>

namespace support {

// Writes line + CR LF to file. A mode holding "#ADD" (any case) appends to an
// existing non-empty file, otherwise the file is created or emptied first.
// "\'" in the line becomes a double quote. Returns 1 when the line was
// written, 0 otherwise; a non-zero showMessage reports an open failure in a
// message box.
int yLogFileWrite(const std::string& mode, const std::string& file,
                  const std::string& line, int showMessage);

}  // namespace support
