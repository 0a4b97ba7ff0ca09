// The Windows handle behind a file handle of the win32 backend, for the
// journal's system part, which locks, reads and cuts the same file.
#pragma once

#include <windows.h>

namespace platform::win32 {

HANDLE nativeHandleOf(int handle);   // INVALID_HANDLE_VALUE when the handle is not an open file

}  // namespace platform::win32
