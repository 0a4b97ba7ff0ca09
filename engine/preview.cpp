// The preview of failing rows (see preview.h).
//
// Every name the prediction meets gets a small number (an id): first the
// names of the folder, then each new name that is not one of them. The
// state of the folder during the simulated action is then one array, id ->
// absent, there from the start, or put there by row r; a row costs one
// hash of its new name and a look into one open-addressing table.
#include "engine/preview.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "engine/namecheck.h"
#include "engine/repaint.h"
#include "engine/state.h"
#include "engine/texts.h"
#include "platform/files.h"
#include "platform/window.h"
#include "support/ids.h"
#include "support/text.h"

namespace engine {

bool previewOn = true;

namespace {

constexpr int32_t Absent = -2;
constexpr int32_t Original = -1;

// Verdict: the row's own verdict fails (its text in `why`); the others
// come from the simulated renames.
enum class Reason { Verdict, Taken, Twice, Missing, NotAFile };

struct Failure {
    int row;
    Reason reason;
    int32_t earlierRow;   // Twice: the row that took the name first
    uint32_t name;        // Taken: the name that is there already, an id (then in shownNames)
    const char* why;      // Verdict: why it fails
};

// Flags of a listed name, decided once per listing.
constexpr uint8_t NameValid = 1;
constexpr uint8_t NameProtected = 2;
constexpr uint8_t NameNoFile = 4;   // a folder or something else that "Rename" leaves alone

// The names of the folder and, during a prediction, the new names met so
// far, with the open-addressing table that finds them.
struct Names {
    std::string folder;
    bool known = false;
    platform::FolderStamp stamp;   // the folder's state when it was read
    bool stamped = false;
    bool readable = false;
    bool ignoresCase = false;
    std::size_t listedFiles = 0;   // ids 0 .. listedFiles-1: the file list's entries, in order
    bool fromListing = false;
    std::size_t base = 0;          // ids of the folder's names
    std::string text;              // every name, one after the other
    std::vector<uint32_t> start;   // id -> offset in text; one more entry at the end
    std::vector<uint8_t> flags;    // id < base -> NameValid | NameProtected | NameNoFile
    std::vector<char> noFile;      // while reading: id -> not a file
    std::vector<uint32_t> slots;
    std::size_t mask = 0;
};
Names names;

struct Run {
    bool active = false;
    FolderFacts folder;
    bool useListIndex = false;
    bool rehashed = false;           // the table grew: the slots in `added` moved
    std::vector<int32_t> holder;     // id -> Absent, Original or the row that renamed into it
    std::vector<uint32_t> added;     // slots taken by new names
    std::vector<Failure> failing;    // in row order
};
Run run;
std::vector<int> marked;   // rows that carry a mark now, ascending
// What the marks say, asked for by the window only when a tool tip shows:
// the failures of the last prediction, by row, and the names that were
// there already.
std::vector<Failure> shown;
std::vector<std::string> shownNames;
std::vector<char> ticks;   // row -> ticked, as the last prediction saw it

std::string_view nameOf(std::size_t id) {
    return std::string_view(names.text).substr(names.start[id], names.start[id + 1] - names.start[id]);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (!names.ignoresCase) return a == b;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (support::foldAZ(a[i]) != support::foldAZ(b[i])) return false;
    return true;
}

uint64_t mix(uint64_t h, uint64_t w) {
    h = (h ^ w) * 0x9E3779B97F4A7C15ULL;
    return h ^ (h >> 29);
}

// Eight bytes at a time; where the folder ignores case, A-Z count as a-z.
uint64_t hashOf(std::string_view s) {
    uint64_t h = 0xCBF29CE484222325ULL ^ s.size();
    char buffer[8];
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = std::min<std::size_t>(8, s.size() - i);
        uint64_t w = 0;
        if (names.ignoresCase) {
            for (std::size_t k = 0; k < n; ++k) buffer[k] = support::foldAZ(s[i + k]);
            std::memcpy(&w, buffer, n);
        } else {
            std::memcpy(&w, s.data() + i, n);
        }
        h = mix(h, w);
        i += n;
    }
    h ^= h >> 32;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 31);
}

// A slot holds the name's id + 1 in its low 24 bits and 8 bits of its hash
// above them: most slots that do not hold the name are passed without
// comparing texts, and the table of a folder of 100,000 names stays small
// enough for the processor's caches.
constexpr uint32_t IdBits = 0x00FFFFFFU;
constexpr std::size_t MostNames = IdBits - 1;

uint32_t tagOf(uint64_t hash) { return static_cast<uint32_t>(hash >> 56) << 24; }

void prefetch(uint64_t hash) { __builtin_prefetch(&names.slots[static_cast<std::size_t>(hash) & names.mask]); }

// The id of the name, or -1 with `slot` where it would go.
int64_t find(std::string_view s, uint64_t hash, std::size_t& slot) {
    std::size_t i = static_cast<std::size_t>(hash) & names.mask;
    for (;; i = (i + 1) & names.mask) {
        const uint32_t v = names.slots[i];
        if (v == 0) break;
        const std::size_t id = (v & IdBits) - 1;
        if ((v & ~IdBits) == tagOf(hash) && sameName(nameOf(id), s)) return static_cast<int64_t>(id);
    }
    slot = i;
    return -1;
}

std::size_t addName(std::string_view s) {
    const std::size_t id = names.start.size() - 1;
    names.text.append(s);
    names.start.push_back(static_cast<uint32_t>(names.text.size()));
    return id;
}

void place(std::size_t id, uint64_t hash, std::size_t slot) {
    names.slots[slot] = tagOf(hash) | static_cast<uint32_t>(id + 1);
}

// Room for `more` further names at a load of at most four fifths: linear
// probing finds a name within a cache line or two even so, and a smaller
// table stays in the caches. The hashes come first, so that each slot can
// be fetched ahead of its turn.
std::size_t slotsFor(std::size_t count) { return count + count / 4 + 1; }

void makeRoom(std::size_t more) {
    const std::size_t count = names.start.size() - 1;
    const std::size_t need = slotsFor(count + more);
    if (names.mask + 1 >= need && !names.slots.empty()) return;
    std::size_t size = 64;
    while (size < need) size *= 2;
    names.slots.assign(size, 0);
    names.mask = size - 1;
    std::vector<uint64_t> hashes(count);
    for (std::size_t id = 0; id < count; ++id) {
        letWindowRepaint();
        hashes[id] = hashOf(nameOf(id));
    }
    constexpr std::size_t Ahead = 16;
    for (std::size_t id = 0; id < count; ++id) {
        letWindowRepaint();
        if (id + Ahead < count) prefetch(hashes[id + Ahead]);
        std::size_t slot = 0;
        if (find(nameOf(id), hashes[id], slot) < 0) place(id, hashes[id], slot);
    }
}

// One look at a name in other letter case tells whether the folder's file
// system ignores case: a case-only twin of a listed name that the listing
// did not show, yet exists.
bool probeIgnoresCase() {
    const std::string prefix = support::withTrailingSlash(names.folder);
    for (std::size_t id = 0; id < names.base; ++id) {
        std::string twin(nameOf(id));
        bool letter = false;
        for (char& c : twin) {
            if (c >= 'a' && c <= 'z') { c = static_cast<char>(c - 32); letter = true; }
            else if (c >= 'A' && c <= 'Z') { c = static_cast<char>(c + 32); letter = true; }
        }
        if (!letter) continue;
        std::size_t slot = 0;
        if (find(twin, hashOf(twin), slot) >= 0) continue;   // both are listed: case counts
        return platform::fileExists(prefix + twin);
    }
    return false;
}

void startNames(const std::string& folder, const platform::FolderStamp* stamp) {
    names.folder = folder;
    names.known = true;
    names.stamped = stamp != nullptr;
    if (stamp) names.stamp = *stamp;
    names.readable = true;
    names.ignoresCase = false;
    names.fromListing = false;
    names.listedFiles = 0;
    names.text.clear();
    names.start.assign(1, 0);
    names.slots.clear();
    names.mask = 0;
    names.noFile.clear();
}

// The names are in; their flags, the table and the letter-case probe.
void finishNames() {
    names.base = names.start.size() - 1;
    if (names.base > MostNames) return;   // too many to predict; previewBegin gives up
    names.flags.resize(names.base);
    names.noFile.resize(names.base, 0);
    for (std::size_t id = 0; id < names.base; ++id) {
        letWindowRepaint();
        const CurrentName c = currentName(nameOf(id));
        names.flags[id] = static_cast<uint8_t>((c.valid ? NameValid : 0) | (c.product ? NameProtected : 0) |
                                               (names.noFile[id] ? NameNoFile : 0));
    }
    makeRoom(names.base);
    if (probeIgnoresCase()) {
        names.ignoresCase = true;
        names.slots.clear();
        makeRoom(names.base);
    }
}

// The folder read again: after a rename action the names listed last are
// no longer what the folder holds.
void readAgain(const std::string& folder) {
    platform::FolderStamp stamp;
    startNames(folder, platform::folderStamp(folder, stamp) ? &stamp : nullptr);
    const int handle = platform::openDirList(folder);
    if (handle == 0) {
        names.readable = false;
    } else {
        std::string name;
        platform::EntryKind kind;
        while (platform::nextDirEntry(handle, name, kind)) {
            if (name == "." || name == "..") continue;
            addName(name);
            names.noFile.push_back(kind != platform::EntryKind::File);
        }
        platform::closeDirList(handle);
    }
    finishNames();
}

void appendNumber(std::string& text, int value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

std::string reasonText(const Failure& f) {
    std::string text;
    switch (f.reason) {
        case Reason::Verdict: text.append(f.why); break;
        case Reason::NotAFile: text.append(text::WhyNotAFile); break;
        case Reason::Taken: text.append(text::PreviewTaken).append(shownNames[f.name]); break;
        case Reason::Twice:
            text.append(text::PreviewTwice);
            appendNumber(text, f.earlierRow + 1);
            text.append(text::PreviewAnd);
            appendNumber(text, f.row + 1);
            text.append(text::PreviewTwiceEnd);
            break;
        case Reason::Missing: text.append(text::PreviewMissing); break;
    }
    return text;
}

// The tool tip of a marked row.
std::string markText(int row) {
    const auto it = std::lower_bound(shown.begin(), shown.end(), row,
                                     [](const Failure& f, int r) { return f.row < r; });
    return it == shown.end() || it->row != row ? std::string() : reasonText(*it);
}

void fail(int row, Reason reason, int earlierRow = -1, uint32_t name = 0, const char* why = nullptr) {
    run.failing.push_back({row, reason, earlierRow, name, why});
}

// The names read last still hold unless a rename action has run since or
// the folder's entries changed; one look at the folder itself tells.
bool outOfDate(const std::string& folder) {
    if (!names.known || names.folder != folder || RenameErfolgt == 1 || !names.stamped) return true;
    platform::FolderStamp now;
    return !platform::folderStamp(folder, now) || !(now == names.stamp);
}

// Rows wait in a short queue before they are settled in their order: the
// slots of their names are fetched from memory meanwhile, which on a table
// of 100,000 rows is most of what a row costs.
struct Pending {
    int row = 0;
    bool rename = false;
    Reason reason = Reason::Verdict;   // a row decided before the rename
    const char* why = nullptr;
    int64_t from = -1;                 // id of the current name, -1: look it up
    uint64_t nextHash = 0, currentHash = 0;
    std::string current, next;
};
constexpr std::size_t QueueSize = 16;
Pending waiting[QueueSize];
std::size_t firstWaiting = 0, waitingCount = 0;

void settle(Pending& p) {
    if (!p.rename) return fail(p.row, p.reason, -1, 0, p.why);
    std::size_t slot = 0;
    int64_t from = p.from;
    if (from < 0) from = find(p.current, p.currentHash, slot);
    if (from < 0 || run.holder[static_cast<std::size_t>(from)] == Absent) return fail(p.row, Reason::Missing);
    if (static_cast<std::size_t>(from) < names.base && (names.flags[static_cast<std::size_t>(from)] & NameNoFile) &&
        run.holder[static_cast<std::size_t>(from)] == Original)
        return fail(p.row, Reason::NotAFile);
    int64_t to = find(p.next, p.nextHash, slot);
    if (to < 0) {
        // A name the folder does not hold yet; room for it was made in previewBegin.
        if (slotsFor(names.start.size()) > names.mask + 1) {
            makeRoom(names.start.size());
            run.rehashed = true;
            find(p.next, p.nextHash, slot);
        }
        to = static_cast<int64_t>(addName(p.next));
        place(static_cast<std::size_t>(to), p.nextHash, slot);
        run.added.push_back(static_cast<uint32_t>(slot));
        run.holder.push_back(Absent);
    }
    const int32_t holder = run.holder[static_cast<std::size_t>(to)];
    // Where the file system ignores case, a change of case only finds the
    // file itself under its new name, and the rename goes through.
    if (holder != Absent && to != from) {
        if (holder == Original) return fail(p.row, Reason::Taken, -1, static_cast<uint32_t>(to));
        return fail(p.row, Reason::Twice, holder);
    }
    run.holder[static_cast<std::size_t>(from)] = Absent;
    run.holder[static_cast<std::size_t>(to)] = p.row;
}

void settleOldest() {
    settle(waiting[firstWaiting]);
    firstWaiting = (firstWaiting + 1) % QueueSize;
    --waitingCount;
}

Pending& nextInQueue() {
    if (waitingCount == QueueSize) settleOldest();
    Pending& p = waiting[(firstWaiting + waitingCount) % QueueSize];
    ++waitingCount;
    return p;
}

void queue(int row, Reason reason, const char* why = nullptr) {
    Pending& p = nextInQueue();
    p.row = row;
    p.rename = false;
    p.reason = reason;
    p.why = why;
}

void queueRename(int row, int64_t from, std::string_view current, std::string_view next) {
    Pending& p = nextInQueue();
    p.row = row;
    p.rename = true;
    p.from = from;
    p.next.assign(next);
    p.nextHash = hashOf(next);
    prefetch(p.nextHash);
    if (from < 0) {
        p.current.assign(current);
        p.currentHash = hashOf(current);
        prefetch(p.currentHash);
    }
}

}  // namespace

void previewListing(const std::string& folder, const FileList& files,
                    const std::vector<std::string>& others, const platform::FolderStamp* stamp) {
    if (!previewOn) return;
    startNames(folder, stamp);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < files.size(); ++i) bytes += files.fileName(i).size();
    names.text.reserve(bytes);
    names.start.reserve(files.size() + others.size() + 1);
    for (std::size_t i = 0; i < files.size(); ++i) {
        letWindowRepaint();
        addName(files.fileName(i));
    }
    for (const std::string& o : others) addName(o);
    names.noFile.assign(files.size(), 0);
    names.noFile.resize(files.size() + others.size(), 1);
    names.listedFiles = files.size();
    names.fromListing = true;
    finishNames();
}

void previewBegin(const std::string& folder, bool tableIsNew, const FileList* list,
                  int rows) {
    run.active = previewOn;
    if (!run.active) return;
    if (tableIsNew) marked.clear();
    ticks.assign(static_cast<std::size_t>(std::max(rows, 0)), 0);
    if (outOfDate(folder)) readAgain(folder);
    // Ids have 24 bits: a folder of more than 16 million names goes unpredicted.
    if (names.base + static_cast<std::size_t>(std::max(rows, 0)) > MostNames) {
        run.active = false;
        return;
    }
    run.useListIndex = names.fromListing && list && list->size() == names.listedFiles;
    const std::size_t more = static_cast<std::size_t>(std::max(rows, 0));
    makeRoom(more);
    // Room for a new name per row, about as long as the folder's names: a
    // table of a million rows then never holds the names twice while
    // their buffer grows.
    const std::size_t average = names.base == 0 ? 16 : names.start[names.base] / names.base + 1;
    names.text.reserve(names.text.size() + more * average);
    names.start.reserve(names.start.size() + more);
    run.holder.reserve(names.base + more);
    run.holder.assign(names.base, Original);
    run.added.clear();
    run.added.reserve(more);
    run.rehashed = false;
    firstWaiting = waitingCount = 0;
    run.failing.clear();
    run.folder = folderFacts(support::withTrailingSlash(folder));
}

// The verdict of the row, which the rename action asks too, then the
// rename that never replaces, in the action's order.
void previewRow(int row, std::string_view current, int listIndex, std::string_view next, bool ticked) {
    if (!run.active) return;
    if (static_cast<std::size_t>(row) >= ticks.size()) ticks.resize(static_cast<std::size_t>(row) + 1, 0);
    ticks[static_cast<std::size_t>(row)] = ticked;
    if (!ticked) return;
    const int64_t from = run.useListIndex && listIndex >= 0 && static_cast<std::size_t>(listIndex) < names.listedFiles
                             ? listIndex : -1;
    CurrentName facts;
    if (from >= 0) {
        const uint8_t flags = names.flags[static_cast<std::size_t>(from)];
        facts = {(flags & NameValid) != 0, (flags & NameProtected) != 0};
    } else {
        facts = currentName(current);
    }
    const RowVerdict v = rowVerdict(run.folder, current, facts, next);
    if (fails(v)) return queue(row, Reason::Verdict, verdictReason(v, run.folder));
    if (v != RowVerdict::Rename) return;
    if (!names.readable) return queue(row, Reason::Missing);
    queueRename(row, from, current, next);
}

void previewEnd() {
    if (!run.active) return;
    while (waitingCount > 0) settleOldest();
    run.active = false;
    auto& w = platform::win();
    std::vector<int> now;
    now.reserve(run.failing.size());
    for (const Failure& f : run.failing) now.push_back(f.row);
    // Only rows whose mark changes are told; the reasons are asked for later.
    std::size_t a = 0, b = 0;
    while (a < marked.size() || b < now.size()) {
        if (b == now.size() || (a < marked.size() && marked[a] < now[b])) {
            w.setRowMark(ids::FileTable, marked[a++], platform::RowMark::None);
        } else if (a == marked.size() || now[b] < marked[a]) {
            w.setRowMark(ids::FileTable, now[b++], platform::RowMark::Warning);
        } else {
            ++a;
            ++b;
        }
    }
    marked = std::move(now);
    // The names that were there already outlive the new names of this run.
    shownNames.clear();
    for (Failure& f : run.failing) {
        if (f.reason != Reason::Taken) continue;
        shownNames.emplace_back(nameOf(f.name));
        f.name = static_cast<uint32_t>(shownNames.size() - 1);
    }
    shown.swap(run.failing);
    run.failing.clear();
    w.setRowMarkTexts(ids::FileTable, markText);
    // The new names leave the table again, with the room this run took for
    // them (a million rows' worth while a rename action runs); the folder's
    // names stay for the next rebuild.
    names.text.resize(names.start[names.base]);
    names.text.shrink_to_fit();
    names.start.resize(names.base + 1);
    names.start.shrink_to_fit();
    std::vector<int32_t>().swap(run.holder);
    std::vector<uint32_t> added;
    added.swap(run.added);
    if (run.rehashed) {
        names.slots.clear();
        makeRoom(0);
    } else {
        for (const uint32_t slot : added) names.slots[slot] = 0;
    }
}

void refreshPreview() {
    if (!previewOn) return;
    auto& w = platform::win();
    const int rows = w.countRows(ids::FileTable);
    std::vector<char> now(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) now[static_cast<std::size_t>(r)] = (w.getRowState(ids::FileTable, r) & platform::RowTicked) != 0;
    // A click that changed no tick changes no outcome; a rename action
    // since the last prediction does.
    now.resize(std::max(now.size(), ticks.size()), 0);
    if (now == ticks && RenameErfolgt == 0) return;
    previewBegin(w.getText(ids::FolderTree), false, nullptr, rows);
    for (int r = 0; r < rows; ++r) {
        if (!now[static_cast<std::size_t>(r)]) {
            previewRow(r, {}, -1, {}, false);
            continue;
        }
        previewRow(r, w.getCell(ids::FileTable, r, ids::ColCurrent), -1, w.getCell(ids::FileTable, r, ids::ColNew),
                   true);
    }
    previewEnd();
}

}  // namespace engine
