// The descriptor behind a file handle of the posix backend, for the
// journal's system part, which locks, reads and cuts the same file.
#pragma once

namespace platform::posix {

int descriptorOf(int handle);   // -1 when the handle is not an open file

}  // namespace platform::posix
