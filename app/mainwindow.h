// The main window: its menu, every control with its id, the tool tips.
#pragma once

namespace app {

// Opens window 0 with menu and controls; non-zero when the window stands.
int OeffnenHauptfenster();

}  // namespace app
