// The directory scan behind the file table and its sort.
#pragma once

#include <string>
#include <vector>

#include "engine/filelist.h"

namespace engine {

// Lists a directory into full paths; returns the running count (see .cpp).
// With recursion 0, the names of its other entries (folders) that the list
// leaves out go to `folders` where one is given.
int yReadDir(const std::string& directory, std::string mask, int recursion,
             std::vector<std::string>& list, int count, int progress,
             std::vector<std::string>* folders = nullptr);
// The same into the program's file list: for recursion 0 the names behind
// the folder.
int yReadDir(const std::string& directory, std::string mask, int recursion, FileList& list, int count,
             int progress, std::vector<std::string>* folders = nullptr);
// Ascending, folding A-Z to a-z, other bytes by value.
void sortFileList(std::vector<std::string>& list);
void sortFileList(FileList& list);

}  // namespace engine
