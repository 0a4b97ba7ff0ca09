// The program's main window driven through its own event dispatch.
#include "bench/workloads.h"

#include <algorithm>
#include <stdexcept>

#include "app/loop.h"
#include "app/mainwindow.h"
#include "bench/harness.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "support/ids.h"

namespace bench {

ProgramWindow::ProgramWindow(platform::HeadlessWindowSystem& system) : w_(system), headless_(&system) {
    open();
}

ProgramWindow::ProgramWindow(platform::WindowSystem& system, std::function<void()> afterStep)
    : w_(system), afterStep_(std::move(afterStep)) {
    open();
}

ProgramWindow::~ProgramWindow() {
    if (&platform::win() == &w_) platform::useWindowSystem(nullptr);
}

void ProgramWindow::open() {
    use();
    if (!app::OeffnenHauptfenster()) throw std::runtime_error("the main window did not open");
    w_.setState(ids::OptPattern, 1);
    w_.setState(ids::OptUpper, 1);
    w_.setState(ids::OptRemoveStart, 1);
    w_.enable(ids::UndoButton, false);
}

void ProgramWindow::use() { platform::useWindowSystem(&w_); }

void ProgramWindow::setDigits(const std::string& digits) {
    use();
    w_.setText(ids::DigitsField, digits);
}

// Events left from untimed steps (none are expected) must not reach a
// timed one.
void ProgramWindow::drain() {
    while (w_.waitEvent(0) != platform::EventCode::Other) {
    }
}

void ProgramWindow::setPattern(const std::string& pattern) {
    use();
    w_.setText(ids::PatternField, pattern);
}

int ProgramWindow::repaintCount() { return headless_ ? headless_->repaintCount() : -1; }

void ProgramWindow::chooseFolder(const std::string& dir) {
    use();
    drain();
    w_.setText(ids::FolderTree, dir);
    if (w_.getText(ids::FolderTree).empty()) throw std::runtime_error("the tree did not select " + dir);
}

// One turn of the main loop: the next event, its handler, back to waiting.
void ProgramWindow::repainted() {
    const double now = nowMs();
    longestGap_ = std::max(longestGap_, now - lastRepaint_);
    lastRepaint_ = now;
}

double ProgramWindow::timedStep(int control) {
    use();
    const double start = nowMs();
    lastRepaint_ = start;
    longestGap_ = 0;
    if (w_.waitEvent(-1) != platform::EventCode::Control || w_.eventId() != control)
        throw std::runtime_error("the event of control " + std::to_string(control) + " was expected");
    app::ElementEreignis();
    w_.waitEvent(0);
    if (afterStep_) afterStep_();
    const double end = nowMs();
    longestGap_ = std::max(longestGap_, end - lastRepaint_);
    return end - start;
}

double ProgramWindow::fullRebuild() { return timedStep(ids::FolderTree); }

double ProgramWindow::recomputeNames(const std::string& digits) {
    if (!headless_) throw std::runtime_error("typing needs the headless window system");
    headless_->userType(ids::DigitsField, digits);
    return timedStep(ids::DigitsField);
}

double ProgramWindow::typeMask(const std::string& mask) {
    if (!headless_ || mask.empty()) throw std::runtime_error("typing needs the headless window system");
    use();
    w_.setText(ids::MaskField, "");
    headless_->userType(ids::MaskField, mask.substr(0, 1));
    double ms = timedStep(ids::MaskField);
    if (mask.size() == 1) return ms;
    for (std::size_t k = 2; k <= mask.size(); ++k) headless_->userType(ids::MaskField, mask.substr(0, k));
    ms += timedStep(ids::MaskField);
    if (w_.waitEvent(0) != platform::EventCode::Other) throw std::runtime_error("a change of the mask still waits");
    return ms;
}

double ProgramWindow::renameAction() {
    if (!headless_) throw std::runtime_error("clicks need the headless window system");
    headless_->userClick(ids::RenameButton);
    return timedStep(ids::RenameButton);
}

double ProgramWindow::undoAction() {
    if (!headless_) throw std::runtime_error("clicks need the headless window system");
    if (!w_.isEnabled(ids::UndoButton)) throw std::runtime_error("the undo button is not enabled");
    headless_->userClick(ids::UndoButton);
    return timedStep(ids::UndoButton);
}

int ProgramWindow::rows() { return w_.countRows(ids::FileTable); }

std::string ProgramWindow::cell(int row, int column) { return w_.getCell(ids::FileTable, row, column); }

std::string ProgramWindow::lastBox() {
    if (!headless_ || headless_->shownBoxes().empty()) return "";
    return headless_->shownBoxes().back().text;
}

void ProgramWindow::clearBoxes() {
    if (headless_) headless_->clearBoxes();
}

}  // namespace bench
