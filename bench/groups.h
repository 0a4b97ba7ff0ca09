// The workloads, each run against its reference in the same run, on fresh
// folders, with the results checked outside the timed part.
#pragma once

#include <string>
#include <vector>

#include "bench/report.h"

namespace bench {

class Folders;
class ProgramWindow;

struct Context {
    Folders& folders;
    ProgramWindow& headless;
    ProgramWindow* qt = nullptr;   // none: the Qt line is left out
    int runs = 5;                  // counted runs; one warm-up comes first
};

// Full rebuild and new names (headless), the bare list-and-sort, and the
// full rebuild on Qt, all on one fresh folder per run: none of them
// changes the folder.
std::vector<Line> measureTable(Context& c, int n);
// "Rename" and "Rückgängig" against the bare renameat2 loops and the peers,
// each on its own fresh folder.
std::vector<Line> measureRename(Context& c, int n);
// "Rename" of 10,000 files on an exFAT image (through exfat-fuse) against
// the bare loop of the system calls of its reservation way, paired; the
// line says why where the image cannot be mounted.
std::vector<Line> measureExfat(Context& c, int n);
// The date taken on n camera-style JPEG photos: the first fill with
// "%dx%_%nr%.%erw%" against its limit (headless, and Qt), typing against
// the same with "%dm%", and patterns without it against the program with
// the date taken switched off.
std::vector<Line> measurePhotos(Context& c, int n);
// Peak resident memory of a fresh process of this program that rebuilds,
// renames and undoes n files headless.
Line measureMemory(Context& c, int n);
// The child's side of measureMemory; argv after "--memory-child".
int memoryChild(const std::vector<std::string>& args);

}  // namespace bench
