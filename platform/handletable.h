// The table behind the small integer handles of platform/files.h, shared by
// the file backends: handle h is entry h - 1, 0 is never a handle, and an
// entry is of one kind (its slot) from open to close. A handle of the wrong
// kind, or one already closed, finds nothing.
#pragma once

#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

enum class Slot { Free, Listing, File, RenameDir };

// Entry: a copyable struct with a member `Slot slot` that is Slot::Free
// when default-made.
template <typename Entry>
class HandleTable {
public:
    int add(const Entry& e) {
        std::lock_guard<std::mutex> g(lock_);
        for (std::size_t i = 0; i < table_.size(); ++i)
            if (table_[i].slot == Slot::Free) {
                table_[i] = e;
                return static_cast<int>(i + 1);
            }
        table_.push_back(e);
        return static_cast<int>(table_.size());
    }
    // A copy of the entry; a default one when the handle is not of that kind.
    Entry get(int handle, Slot slot) {
        std::lock_guard<std::mutex> g(lock_);
        const Entry* e = find(handle, slot);
        return e ? *e : Entry{};
    }
    // Runs work on the entry itself, under the lock; false when there is none.
    template <typename Work>
    bool with(int handle, Slot slot, Work&& work) {
        std::lock_guard<std::mutex> g(lock_);
        Entry* e = find(handle, slot);
        if (!e) return false;
        std::forward<Work>(work)(*e);
        return true;
    }
    // Takes the entry out; the handle is free for the next open.
    Entry release(int handle, Slot slot) {
        std::lock_guard<std::mutex> g(lock_);
        Entry* e = find(handle, slot);
        if (!e) return {};
        Entry out = *e;
        *e = Entry{};
        return out;
    }

private:
    Entry* find(int handle, Slot slot) {
        if (handle < 1 || static_cast<std::size_t>(handle) > table_.size()) return nullptr;
        Entry& e = table_[static_cast<std::size_t>(handle) - 1];
        return e.slot == slot ? &e : nullptr;
    }

    std::mutex lock_;
    std::vector<Entry> table_;
};

}  // namespace platform
