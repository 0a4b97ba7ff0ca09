// The data behind the headless window system, shared by its two sources.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/tablerows.h"

namespace platform {

namespace hl {

struct Control {
    ControlKind kind = ControlKind::Label;
    int window = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::string text;
    unsigned options = 0;
    int state = 0;
    int group = -1;              // option group number, -1 for other kinds
    bool enabled = true;
    bool readOnly = false;
    int font = 0;
    std::string tipText, tipTitle;
    std::vector<std::pair<std::string, int>> columns;
    TableRows rows;
    std::function<std::string(int)> markTexts;
    std::function<std::string(int)> statusTexts;
};

struct Window {
    int x = 0, y = 0, width = 0, height = 0;
    std::string title;
    unsigned options = 0;
    std::function<void(int)> sizeHandler;
};

struct Event {
    EventCode code;
    int id;
    EventKind kind;
};

}  // namespace hl

struct HeadlessState {
    using Control = hl::Control;
    using Window = hl::Window;
    using Event = hl::Event;

    std::map<int, Window> windows;
    std::map<int, Control> controls;
    std::vector<int> order;
    int lastWindow = -1;
    int nextGroup = 0;
    bool lastWasOption = false;
    std::vector<std::string> menuTitles;
    std::vector<std::pair<int, std::string>> menuItems;
    std::map<int, std::string> fonts;
    int focus = -1;
    std::deque<Event> queue;
    Event last{EventCode::Other, 0, EventKind::None};
    std::deque<int> answers;
    std::vector<HeadlessWindowSystem::Box> boxes;
    std::function<void(const HeadlessWindowSystem::Box&)> boxHook;
    std::function<void()> idleHook;
    uint32_t tick = 1000;
    int repaints = 0;

    Control* find(int id) {
        auto it = controls.find(id);
        return it == controls.end() ? nullptr : &it->second;
    }
    Control* table(int id) {
        Control* c = find(id);
        return c && c->kind == ControlKind::Table ? c : nullptr;
    }
    // The rows of table id where it has row `index`.
    TableRows* rowsWith(int id, int index) {
        Control* c = table(id);
        return c && c->rows.has(index) ? &c->rows : nullptr;
    }
    void queueIfEnabled(int id, EventKind kind) {
        Control* c = find(id);
        if (c && c->enabled) queue.push_back({EventCode::Control, id, kind});
    }
};

}  // namespace platform
