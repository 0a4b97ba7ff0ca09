// Lets the window repaint now and then during a long action or rebuild, so
// that the status column visibly fills while user input still waits.
#pragma once

#include <cstdint>

#include "platform/process.h"
#include "platform/window.h"

namespace engine {

// A repaint comes at most once per 50 ms, on one clock for every long
// step: an action, the refresh of the table after it, and the listing,
// sorting, filling and preview of a rebuild. A step that begins does not
// start the gap of the one before anew.
inline void repaintIfDue() {
    constexpr uint32_t IntervalMs = 50;
    static uint32_t last = platform::tickCount();
    const uint32_t now = platform::tickCount();
    if (now - last < IntervalMs) return;
    last = now;
    platform::win().repaintNow();
}

class RepaintPacer {
public:
    // The clock is read only every rowsPerLook rows.
    explicit RepaintPacer(int rowsPerLook) : rowsPerLook_(rowsPerLook) {}

    // After row `index` (counted from 0).
    void row(int index) {
        if ((index + 1) % rowsPerLook_ == 0) repaintIfDue();
    }

private:
    int rowsPerLook_;
};

// For the steps of a rebuild, called once per entry or comparison: the
// clock is read every 1024th call.
inline void letWindowRepaint() {
    static uint32_t calls = 0;
    if ((++calls & 1023) == 0) repaintIfDue();
}

}  // namespace engine
