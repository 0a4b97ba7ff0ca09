// The stand-ins of tests for the clocks, the program's path and the
// folder of an installed program. A stand-in
// is copied out under the lock, so that it runs without holding it.
#include "platform/sources.h"

#include <mutex>

#include "platform/process.h"

namespace platform {
namespace {

struct Sources {
    std::mutex lock;
    std::function<uint32_t()> tick;
    std::function<LocalTime()> now;
    std::function<std::string()> programPath;
    std::function<std::string()> installedFolder;
};

Sources& sourcesState() {
    static Sources s;
    return s;
}

template <typename Source>
Source get(Source Sources::*which) {
    Sources& s = sourcesState();
    std::lock_guard<std::mutex> g(s.lock);
    return s.*which;
}

template <typename Source>
void put(Source Sources::*which, Source source) {
    Sources& s = sourcesState();
    std::lock_guard<std::mutex> g(s.lock);
    s.*which = std::move(source);
}

}  // namespace

namespace sources {

std::function<uint32_t()> tick() { return get(&Sources::tick); }
std::function<LocalTime()> now() { return get(&Sources::now); }
std::function<std::string()> programPath() { return get(&Sources::programPath); }
std::function<std::string()> installedFolder() { return get(&Sources::installedFolder); }

}  // namespace sources

void setTickSource(std::function<uint32_t()> source) { put(&Sources::tick, std::move(source)); }
void setNowSource(std::function<LocalTime()> source) { put(&Sources::now, std::move(source)); }
void setProgramPathSource(std::function<std::string()> source) { put(&Sources::programPath, std::move(source)); }
void setInstalledFolderSource(std::function<std::string()> source) {
    put(&Sources::installedFolder, std::move(source));
}

}  // namespace platform
