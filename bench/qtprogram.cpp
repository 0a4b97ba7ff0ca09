// The Qt run of the main window. The table's rows reach the view when the
// program waits for the next event; painting is driven by timers the
// program does not wait for, so the timed step paints the table's visible
// rows itself, as the first frame after the rebuild would.
#include "bench/qtprogram.h"

#include <QAbstractScrollArea>
#include <QWidget>

#include "bench/workloads.h"
#include "platform/qt/qtwindowsystem.h"
#include "support/ids.h"

namespace bench {

namespace {

// Tells the program's window when the program let it repaint.
struct WatchedQt : platform::QtWindowSystem {
    ProgramWindow* window = nullptr;
    void repaintNow() override {
        platform::QtWindowSystem::repaintNow();
        if (window) window->repainted();
    }
};

}  // namespace

struct QtProgram::Parts {
    WatchedQt system;
    std::unique_ptr<ProgramWindow> window;
};

QtProgram::QtProgram() : p_(std::make_unique<Parts>()) {
    WatchedQt* system = &p_->system;
    p_->window = std::make_unique<ProgramWindow>(*system, [system] {
        if (auto* table = qobject_cast<QAbstractScrollArea*>(system->controlWidget(ids::FileTable)))
            table->viewport()->repaint();
    });
    system->window = p_->window.get();
}

QtProgram::~QtProgram() {
    p_->window.reset();
}

ProgramWindow& QtProgram::window() { return *p_->window; }

}  // namespace bench
