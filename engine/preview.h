// The preview of failing rows: after every rebuild that computes new names,
// each ticked row that "Rename" would not rename as the table shows it is
// marked, with the reason, before anything happens on disk.
//
// The prediction walks the rows in table order with the rename action's
// own tests and its never-replacing rule, over the names the folder holds:
// those a full rebuild listed, or a fresh listing once a rename action or
// anything else has changed the folder since. Names are kept in one hash table, so a rebuild
// of 100,000 rows costs a few milliseconds and never a look at a single file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/filelist.h"
#include "platform/files.h"

namespace engine {

// On in the program; the benchmarks turn it off to measure the rebuild
// without it.
extern bool previewOn;

// The names a full rebuild has just listed: the files of its list (full
// paths, in list order) and the other entries, such as folders, by name;
// `stamp` is the folder's state taken before the listing, if known.
void previewListing(const std::string& folder, const FileList& files,
                    const std::vector<std::string>& others, const platform::FolderStamp* stamp);

// One prediction over the rows, in table order. `list` is the file list the
// rows were built from (their listIndex counts in it), or nullptr.
void previewBegin(const std::string& folder, bool tableIsNew, const FileList* list,
                  int rows);
void previewRow(int row, std::string_view current, int listIndex, std::string_view next, bool ticked);
// Marks the rows predicted to fail and takes the marks off the others.
void previewEnd();

// After the ticks changed: the prediction again from the table's own cells.
void refreshPreview();

}  // namespace engine
