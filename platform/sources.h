// The stand-ins that tests put in place of the clocks and the program's
// path (platform/process.h), kept once for both process backends: each
// asks here first and uses the system only when none is set.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/files.h"

namespace platform::sources {

std::function<uint32_t()> tick();
std::function<LocalTime()> now();
std::function<std::string()> programPath();
std::function<std::string()> installedFolder();

}  // namespace platform::sources
