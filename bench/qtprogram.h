// The program's main window on the Qt backend (QT_QPA_PLATFORM=offscreen
// when no display is wanted), for the full rebuild as a user sees it: the
// rows handed to the view and the visible part of the table painted.
#pragma once

#include <memory>

namespace bench {

class ProgramWindow;

class QtProgram {
public:
    QtProgram();
    ~QtProgram();
    QtProgram(const QtProgram&) = delete;
    QtProgram& operator=(const QtProgram&) = delete;

    ProgramWindow& window();

private:
    struct Parts;
    std::unique_ptr<Parts> p_;
};

}  // namespace bench
