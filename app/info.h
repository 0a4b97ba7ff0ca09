// The "&Info" menu command: help and version text.
#pragma once

#include <string>

namespace app {

// The help text template with its section markers; its usage lines end in a
// lone carriage return, which the editor shows as a line break.
std::string infoTemplate();
// Shows the information window and returns when the user has closed it.
void Info();

}  // namespace app
