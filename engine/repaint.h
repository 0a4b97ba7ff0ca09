// Lets the window repaint now and then during a long action, so that the
// status column visibly fills while user input still waits.
#pragma once

#include <cstdint>

#include "platform/process.h"
#include "platform/window.h"

namespace engine {

class RepaintPacer {
public:
    // The clock is read only every rowsPerLook rows; a repaint comes at
    // most once per 50 ms.
    explicit RepaintPacer(int rowsPerLook) : rowsPerLook_(rowsPerLook), last_(platform::tickCount()) {}

    // After row `index` (counted from 0).
    void row(int index) {
        if ((index + 1) % rowsPerLook_ != 0) return;
        const uint32_t now = platform::tickCount();
        if (now - last_ < IntervalMs) return;
        last_ = now;
        platform::win().repaintNow();
    }

private:
    static constexpr uint32_t IntervalMs = 50;
    int rowsPerLook_;
    uint32_t last_;
};

}  // namespace engine
