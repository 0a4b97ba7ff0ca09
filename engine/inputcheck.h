// Checking of typed rule input against a mask of allowed characters.
#pragma once

#include <string>

namespace engine {

// 1 when text passes the mask, else 0 (with a message unless "#NO_MSG").
int yCheckInput(const std::string& mask, const std::string& allowed, const std::string& text);

}  // namespace engine
