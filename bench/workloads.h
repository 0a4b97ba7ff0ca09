// The program's side of the benchmarks: its main window on a window system,
// driven the way its main loop drives it. Each timed step takes one user
// event from the window system's queue and hands it to app::ElementEreignis,
// then lets the window system come back to waiting (where the Qt backend
// hands the changed rows to its view).
#pragma once

#include <functional>
#include <string>

namespace platform {
class WindowSystem;
class HeadlessWindowSystem;
}

namespace bench {

class ProgramWindow {
public:
    // Opens the main window with the options the main loop sets before its
    // first event. `afterStep` runs inside every timed step, after the
    // program has returned to waiting (the Qt run paints the table there).
    explicit ProgramWindow(platform::HeadlessWindowSystem& system);
    ProgramWindow(platform::WindowSystem& system, std::function<void()> afterStep);
    ~ProgramWindow();
    ProgramWindow(const ProgramWindow&) = delete;
    ProgramWindow& operator=(const ProgramWindow&) = delete;

    // Makes this window system the program's one; the runs switch between two.
    void use();
    // The digits of the running number ("3" is the program's default).
    void setDigits(const std::string& digits);
    // The name pattern, set as the program sets a field (no event).
    void setPattern(const std::string& pattern);
    // How often the window was let repaint during actions (headless; -1 on Qt).
    int repaintCount();
    // Selects the folder in the tree, untimed; the tree reports the change.
    void chooseFolder(const std::string& dir);

    // Each returns the milliseconds of one user action, as the program
    // carries it out: the queued folder change (full rebuild, mode 0); a
    // new number of digits typed (new names only, mode 1); "Rename";
    // "Rückgängig (l.ren)". All but the first need the headless system,
    // whose queue takes the user's typing and clicks.
    double fullRebuild();
    double recomputeNames(const std::string& digits);
    // The mask typed anew, one key at a time, into a field the program
    // emptied: the first key starts a full rebuild, the others arrive while
    // it runs and wait. From the first key to the final table.
    double typeMask(const std::string& mask);
    double renameAction();
    double undoAction();

    // The window system's side calls this at every repaint the program lets
    // happen; longestGap is the longest time of the last timed step, from
    // its start to its end, without one.
    void repainted();
    double longestGap() const { return longestGap_; }

    int rows();
    // A cell of the file table, for checks.
    std::string cell(int row, int column);
    // The text of the last message box (headless), and forgetting them.
    std::string lastBox();
    void clearBoxes();

private:
    double timedStep(int control);
    void drain();
    void open();

    platform::WindowSystem& w_;
    platform::HeadlessWindowSystem* headless_ = nullptr;
    std::function<void()> afterStep_;
    double lastRepaint_ = 0, longestGap_ = 0;
};

}  // namespace bench
