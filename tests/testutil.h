// Small helpers shared by the tests: a fresh temporary folder with files in
// it, the program placed in a folder, and the main window on the headless
// window system.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"

#include "app/mainwindow.h"
#include "engine/state.h"
#include "platform/headless/headless.h"
#include "platform/process.h"
#include "platform/window.h"
#include "support/ids.h"
#include "support/values.h"

namespace testutil {

// The UTF-8 text of a path as the program holds it, and back.
inline std::string utf8(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}
inline std::filesystem::path fsPath(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// A new folder in the system's temporary folder, removed with everything
// in it. path() ends with the separator, as the folder tree gives a directory.
class TempDir {
public:
    TempDir() {
        static std::atomic<unsigned> count{0};
        const auto base = std::filesystem::temp_directory_path();
        const auto seed = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto dir = base / ("qbx-" + std::to_string(seed % 1000000007) + "-" + std::to_string(++count));
            std::error_code error;
            if (std::filesystem::create_directory(dir, error)) path_ = utf8(dir) + platform::PathSeparator;
        }
        if (path_.empty()) ADD_FAILURE() << "no temporary folder in " << utf8(base);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(fsPath(path_), ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // Creates a file (name may hold sub-folders that exist); returns its full path.
    std::string file(const std::string& name, const std::string& content = "") const {
        std::ofstream(fsPath(path_ + name), std::ios::binary) << content;
        return path_ + name;
    }
    std::string folder(const std::string& name) const {
        std::filesystem::create_directories(fsPath(path_ + name));
        return path_ + name;
    }

private:
    std::string path_;
};

// Puts a window system in place for one scope and takes it away again on
// every way out, a failed assertion included.
class UsingWindowSystem {
public:
    explicit UsingWindowSystem(platform::WindowSystem& w) { platform::useWindowSystem(&w); }
    ~UsingWindowSystem() { platform::useWindowSystem(nullptr); }
    UsingWindowSystem(const UsingWindowSystem&) = delete;
    UsingWindowSystem& operator=(const UsingWindowSystem&) = delete;
};

// Puts the running program into a folder for one scope, as if it were
// installed there: its settings file and start log go there, never beside
// the test program in the build folder.
class ProgramIn {
public:
    explicit ProgramIn(const std::string& folder) {
        platform::setProgramPathSource([path = folder + "quonabix"] { return path; });
    }
    ~ProgramIn() { platform::setProgramPathSource({}); }
    ProgramIn(const ProgramIn&) = delete;
    ProgramIn& operator=(const ProgramIn&) = delete;
};

// Builds the main window on a headless window system and selects the
// options that the main loop selects before its first event.
inline void openMainWindow(platform::HeadlessWindowSystem& h) {
    platform::useWindowSystem(&h);
    ASSERT_TRUE(app::OeffnenHauptfenster());
    h.setState(ids::OptPattern, 1);
    h.setState(ids::OptUpper, 1);
    h.setState(ids::OptRemoveStart, 1);
}

// The main window ready for a rename action: the undo button off, a fixed
// tick and local time (so the undo script's name is known), the undo files
// in `temp`, no earlier action or list.
inline void prepareRenameAction(platform::HeadlessWindowSystem& h, const std::string& temp) {
    openMainWindow(h);
    h.enable(ids::UndoButton, false);
    h.setTick(1234567);
    platform::setNowSource([] { return platform::LocalTime{2024, 3, 9, 14, 5, 7}; });
    support::TempVerzeichnis = temp;
    engine::DateiListe.clear();
    engine::RenameErfolgt = 0;
    engine::UndoDatei.clear();
}

// The files of one folder as a test sees them: name -> content.
using Files = std::map<std::string, std::string>;
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void fillFolder(const std::string& dir, const Files& files) {
    for (const auto& [name, content] : files) std::ofstream(fsPath(dir + name), std::ios::binary) << content;
}
inline Files folderFiles(const std::string& dir) {
    Files out;
    for (const auto& e : std::filesystem::directory_iterator(fsPath(dir))) out[utf8(e.path().filename())] = readFile(e.path());
    return out;
}

// One column of the file table, top to bottom.
inline std::vector<std::string> column(platform::WindowSystem& w, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < w.countRows(ids::FileTable); ++r) out.push_back(w.getCell(ids::FileTable, r, col));
    return out;
}

class MainWindowTest : public ::testing::Test {
protected:
    platform::HeadlessWindowSystem h;

    void SetUp() override { openMainWindow(h); }
    void TearDown() override { platform::useWindowSystem(nullptr); }
    std::vector<std::string> column(int col) { return testutil::column(h, col); }
};

}  // namespace testutil
