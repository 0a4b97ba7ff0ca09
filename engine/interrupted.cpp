// The rename the program may have been in the middle of when it died,
// finished from what its folder shows. Which states its steps leave, how
// each is finished and why nothing a user made is touched: see the top of
// engine/recovery.cpp.
#include "engine/interrupted.h"

#include <vector>

#include "platform/files.h"

namespace engine {
namespace {

struct Entry {
    bool exists = false;
    platform::EntryFacts facts;
};

Entry entryOf(const std::string& path) {
    Entry e;
    e.exists = platform::entryFacts(path, e.facts);
    return e;
}

// An empty file with one name: what a reservation is (a symbolic link is
// never empty).
bool emptyAlone(const Entry& e) {
    return e.exists && e.facts.kind == platform::EntryKind::File && e.facts.size == 0 && e.facts.links == 1;
}

bool sameFile(const Entry& a, const Entry& b) {
    return a.exists && b.exists && a.facts.identity == b.facts.identity;
}

// Which of the names the folder lists exactly: a folder that ignores case
// finds a file under every spelling of its name, but lists it under one.
std::vector<bool> listedExactly(const std::string& dir, const std::vector<std::string>& names) {
    std::vector<bool> found(names.size(), false);
    const int h = platform::openDirList(dir);
    std::string entry;
    platform::EntryKind kind;
    while (h != 0 && platform::nextDirEntry(h, entry, kind))
        for (std::size_t i = 0; i < names.size(); ++i) found[i] = found[i] || entry == names[i];
    if (h != 0) platform::closeDirList(h);
    return found;
}

Interrupted removed(const std::string& path) {
    return platform::removeFile(path) ? Interrupted::Finished : Interrupted::Failed;
}

// d: a change of case between its two steps, the temporary name taken.
Interrupted finishCaseChange(const std::string& dir, const std::string& oldName, const std::string& newName,
                             const std::string& temp, bool reservations) {
    const Entry o = entryOf(dir + oldName), n = entryOf(dir + newName), t = entryOf(dir + temp);
    const std::vector<bool> listed = listedExactly(dir, {oldName, newName});
    const bool atOld = o.exists && listed[0], atNew = n.exists && listed[1];
    // The first step had not begun, or was between link and unlink.
    if (atOld && ((emptyAlone(t) && !sameFile(o, t)) || (sameFile(o, t) && t.facts.links >= 2)))
        return removed(dir + temp);
    if (t.facts.kind != platform::EntryKind::File) return Interrupted::Failed;   // nothing the action made
    // The file waits at the temporary name. The second step's reservation
    // goes, and so does its link where the folder ignores case (there `old`
    // finds the file under `new`, so `new` is no name of the user's).
    const bool reserved = reservations && atNew && emptyAlone(n) && !sameFile(n, t);
    const bool linked = atNew && !atOld && sameFile(n, t) && sameFile(o, n) && n.facts.links >= 2;
    if ((reserved || linked) && removed(dir + newName) == Interrupted::Failed) return Interrupted::Failed;
    const int h = platform::openDirForRename(dir);
    const bool back = h != 0 && platform::renameNoReplaceAt(h, temp, oldName) == platform::RenameResult::Ok;
    if (h != 0) platform::closeDirForRename(h);
    return back ? Interrupted::Finished : Interrupted::Failed;
}

}  // namespace

Interrupted finishInterruptedRename(const std::string& dir, const std::string& newName,
                                    const std::string& oldName, bool reservations) {
    const std::string temp = platform::caseChangeTempName(oldName, newName);
    if (platform::fileExists(dir + temp)) return finishCaseChange(dir, oldName, newName, temp, reservations);
    const Entry o = entryOf(dir + oldName), n = entryOf(dir + newName);
    if (o.exists && !n.exists) return Interrupted::Finished;   // a: it never started
    if (!o.exists) return Interrupted::RunLine;
    const bool twoNames = sameFile(o, n) && o.facts.links >= 2;   // b
    const bool reserved = reservations && !sameFile(o, n) && emptyAlone(n);   // c
    if (!twoNames && !reserved) return Interrupted::RunLine;
    const std::vector<bool> listed = listedExactly(dir, {oldName, newName});
    if (!listed[1] || (twoNames && !listed[0])) return Interrupted::RunLine;
    return removed(dir + newName);
}

}  // namespace engine
