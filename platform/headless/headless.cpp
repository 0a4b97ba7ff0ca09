// Headless window system: every operation on plain data, events from a
// queue that tests fill. See headless.h for what it does and does not do.
#include "platform/headless/headless.h"
#include "platform/headless/state.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/process.h"

namespace platform {

using hl::Control;

HeadlessWindowSystem::HeadlessWindowSystem() : s_(std::make_unique<HeadlessState>()) {
    HeadlessState* s = s_.get();
    setTickSource([s] { return s->tick; });
}

HeadlessWindowSystem::~HeadlessWindowSystem() { setTickSource({}); }

// ---- user actions -------------------------------------------------------------

void HeadlessWindowSystem::userType(int id, const std::string& text) {
    Control* c = s_->find(id);
    if (!c || !c->enabled || c->kind != ControlKind::TextField) return;
    c->text = text;
    s_->queueIfEnabled(id, EventKind::Change);
}

void HeadlessWindowSystem::userFocus(int id, bool gained) {
    if (!s_->find(id)) return;
    if (gained) s_->focus = id;
    s_->queueIfEnabled(id, gained ? EventKind::FocusGained : EventKind::FocusLost);
}

void HeadlessWindowSystem::userClick(int id) {
    Control* c = s_->find(id);
    if (!c || !c->enabled) return;
    // An option turns on when the program takes the click (waitEvent).
    s_->queueIfEnabled(id, EventKind::LeftClick);
}

void HeadlessWindowSystem::userSelectFolder(const std::string& path) {
    for (auto& [id, control] : s_->controls) {
        if (control.kind == ControlKind::FolderTree && control.enabled) {
            setText(id, path);
            return;
        }
    }
}

void HeadlessWindowSystem::userTickRow(int id, int row, bool ticked) {
    TableRows* t = s_->rowsWith(id, row);
    if (!t || !s_->find(id)->enabled) return;
    const int state = t->state(row);
    const bool was = (state & RowTicked) != 0;
    t->setState(row, ticked ? (state | RowTicked) : (state & ~RowTicked));
    s_->queueIfEnabled(id, EventKind::LeftClick);
    // A tick change of a selected row is a change of the row.
    if (was != ticked && (state & RowSelected)) s_->queueIfEnabled(id, EventKind::Change);
}

void HeadlessWindowSystem::userSelectRow(int id, int row) {
    TableRows* t = s_->rowsWith(id, row);
    if (!t || !s_->find(id)->enabled) return;
    t->setState(row, t->state(row) | RowSelected);
    s_->queueIfEnabled(id, EventKind::LeftClick);
    s_->queueIfEnabled(id, EventKind::Change);
}

void HeadlessWindowSystem::userMenu(int itemId) {
    for (const auto& item : s_->menuItems) {
        if (item.first == itemId) {
            s_->queue.push_back({EventCode::Menu, itemId, EventKind::None});
            return;
        }
    }
}

void HeadlessWindowSystem::userClose(int windowId) {
    if (s_->windows.count(windowId)) s_->queue.push_back({EventCode::Close, windowId, EventKind::None});
}

void HeadlessWindowSystem::userOther() { s_->queue.push_back({EventCode::Other, 0, EventKind::None}); }

void HeadlessWindowSystem::userResize(int windowId, int width, int height) {
    auto it = s_->windows.find(windowId);
    if (it == s_->windows.end()) return;
    it->second.width = width;
    it->second.height = height;
    if (it->second.sizeHandler) it->second.sizeHandler(windowId);
}

void HeadlessWindowSystem::pushEvent(EventCode code, int id, EventKind kind) {
    s_->queue.push_back({code, id, kind});
}

void HeadlessWindowSystem::onIdle(std::function<void()> hook) { s_->idleHook = std::move(hook); }

std::size_t HeadlessWindowSystem::pendingEvents() const { return s_->queue.size(); }

// ---- message boxes and clock -------------------------------------------------

void HeadlessWindowSystem::answerNext(int answer) { s_->answers.push_back(answer); }
const std::vector<HeadlessWindowSystem::Box>& HeadlessWindowSystem::shownBoxes() const { return s_->boxes; }
void HeadlessWindowSystem::clearBoxes() { s_->boxes.clear(); }
void HeadlessWindowSystem::onMessageBox(std::function<void(const Box&)> hook) { s_->boxHook = std::move(hook); }
void HeadlessWindowSystem::setTick(uint32_t tick) { s_->tick = tick; }
void HeadlessWindowSystem::advance(uint32_t ms) { s_->tick += ms; }
uint32_t HeadlessWindowSystem::tick() const { return s_->tick; }

// ---- inspection --------------------------------------------------------------

bool HeadlessWindowSystem::exists(int id) const { return s_->controls.count(id) != 0; }
bool HeadlessWindowSystem::windowOpen(int windowId) const { return s_->windows.count(windowId) != 0; }
ControlKind HeadlessWindowSystem::kindOf(int id) const {
    auto it = s_->controls.find(id);
    return it == s_->controls.end() ? ControlKind::Label : it->second.kind;
}
std::string HeadlessWindowSystem::toolTipText(int id) const {
    auto it = s_->controls.find(id);
    return it == s_->controls.end() ? "" : it->second.tipText;
}
std::string HeadlessWindowSystem::toolTipTitle(int id) const {
    auto it = s_->controls.find(id);
    return it == s_->controls.end() ? "" : it->second.tipTitle;
}
std::vector<std::pair<int, std::string>> HeadlessWindowSystem::menuItems() const { return s_->menuItems; }
std::vector<std::string> HeadlessWindowSystem::menuTitles() const { return s_->menuTitles; }
int HeadlessWindowSystem::controlFont(int id) const {
    auto it = s_->controls.find(id);
    return it == s_->controls.end() ? 0 : it->second.font;
}
bool HeadlessWindowSystem::isReadOnly(int id) const {
    auto it = s_->controls.find(id);
    return it != s_->controls.end() && it->second.readOnly;
}
int HeadlessWindowSystem::repaintCount() const { return s_->repaints; }
std::vector<int> HeadlessWindowSystem::creationOrder() const { return s_->order; }

}  // namespace platform
