// The window operations of the headless window system.
#include <algorithm>

#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/headless/state.h"

namespace platform {

using hl::Control;

int HeadlessWindowSystem::openWindow(int id, int x, int y, int innerWidth, int innerHeight,
                                     const std::string& title, unsigned options) {
    if (s_->windows.count(id)) return 0;
    hl::Window w;
    w.x = x;
    w.y = y;
    w.width = innerWidth;
    w.height = innerHeight;
    w.title = title;
    w.options = options;
    s_->windows[id] = std::move(w);
    s_->lastWindow = id;
    s_->lastWasOption = false;
    return 1;
}

void HeadlessWindowSystem::setWindowTitle(int windowId, const std::string& text) {
    auto it = s_->windows.find(windowId);
    if (it != s_->windows.end()) it->second.title = text;
}

void HeadlessWindowSystem::closeWindow(int windowId) {
    if (!s_->windows.erase(windowId)) return;
    for (auto it = s_->controls.begin(); it != s_->controls.end();) {
        if (it->second.window == windowId) {
            s_->order.erase(std::remove(s_->order.begin(), s_->order.end(), it->first), s_->order.end());
            if (s_->focus == it->first) s_->focus = -1;
            it = s_->controls.erase(it);
        } else {
            ++it;
        }
    }
    if (s_->lastWindow == windowId) s_->lastWindow = -1;
}

int HeadlessWindowSystem::windowInnerSize(int windowId, int& width, int& height) {
    auto it = s_->windows.find(windowId);
    if (it == s_->windows.end()) return 0;
    width = it->second.width;
    height = it->second.height;
    return 1;
}

void HeadlessWindowSystem::resizeWindow(int windowId, int width, int height) {
    auto it = s_->windows.find(windowId);
    if (it == s_->windows.end()) return;
    const bool changed = it->second.width != width || it->second.height != height;
    it->second.width = width;
    it->second.height = height;
    // Like a real window system, a size change by program is reported once.
    if (changed && it->second.sizeHandler) it->second.sizeHandler(windowId);
}

void HeadlessWindowSystem::setSizeHandler(int windowId, std::function<void(int)> handler) {
    auto it = s_->windows.find(windowId);
    if (it != s_->windows.end()) it->second.sizeHandler = std::move(handler);
}

int HeadlessWindowSystem::createMenuBar(int windowId) { return s_->windows.count(windowId) ? 1 : 0; }
void HeadlessWindowSystem::addMenuTitle(const std::string& text) { s_->menuTitles.push_back(text); }
void HeadlessWindowSystem::addMenuItem(int itemId, const std::string& text) {
    if (!s_->menuTitles.empty()) s_->menuItems.emplace_back(itemId, text);
}

int HeadlessWindowSystem::createControl(ControlKind kind, int id, int x, int y, int width, int height,
                                        const std::string& caption, unsigned options) {
    if (s_->lastWindow < 0 || s_->controls.count(id)) return 0;
    Control c;
    c.kind = kind;
    c.window = s_->lastWindow;
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
    c.options = options;
    c.readOnly = (options & CtlReadOnly) != 0;
    if (kind != ControlKind::FolderTree) c.text = caption;
    if (kind == ControlKind::Option) {
        // Options created one after the other form one group.
        if (!s_->lastWasOption) ++s_->nextGroup;
        c.group = s_->nextGroup;
    }
    s_->lastWasOption = kind == ControlKind::Option;
    s_->controls[id] = std::move(c);
    s_->order.push_back(id);
    return 1;
}

void HeadlessWindowSystem::moveControl(int id, int x, int y, int width, int height) {
    if (Control* c = s_->find(id)) {
        c->x = x;
        c->y = y;
        c->width = width;
        c->height = height;
    }
}

void HeadlessWindowSystem::setEditorReadOnly(int id) {
    Control* c = s_->find(id);
    if (c && c->kind == ControlKind::Editor) c->readOnly = true;
}

void HeadlessWindowSystem::addTableColumn(int id, int position, const std::string& title, int width) {
    Control* c = s_->table(id);
    if (!c) return;
    const auto at = static_cast<std::size_t>(std::clamp(position, 0, static_cast<int>(c->columns.size())));
    c->columns.insert(c->columns.begin() + static_cast<long>(at), {title, width});
}

void HeadlessWindowSystem::attachToolTip(int id, const std::string& text, const std::string& title, IconKind) {
    if (Control* c = s_->find(id)) {
        c->tipText = text;
        c->tipTitle = title;
    }
}

std::string HeadlessWindowSystem::getText(int id) {
    Control* c = s_->find(id);
    return c ? c->text : std::string();
}

void HeadlessWindowSystem::setText(int id, const std::string& text) {
    Control* c = s_->find(id);
    if (!c) return;
    if (c->kind != ControlKind::FolderTree) {
        c->text = text;
        return;
    }
    // The tree selects an existing folder and reports it; anything else
    // leaves no folder selected and reports nothing.
    const std::string clean = text.empty() ? text : cleanFolderPath(text);
    if (clean.empty() || !isDirectory(clean)) {
        c->text.clear();
        return;
    }
    // A folder text ends with the separator; a root already does.
    c->text = isSeparator(clean.back()) ? clean : clean + PathSeparator;
    s_->queueIfEnabled(id, EventKind::Change);
}

void HeadlessWindowSystem::setState(int id, int state) {
    Control* c = s_->find(id);
    if (!c || c->kind != ControlKind::Option) return;
    if (state == 1) {
        for (auto& [other, control] : s_->controls) {
            if (control.kind == ControlKind::Option && control.group == c->group) control.state = 0;
        }
    }
    c->state = state == 1 ? 1 : 0;
}

int HeadlessWindowSystem::getState(int id) {
    Control* c = s_->find(id);
    return c && c->kind == ControlKind::Option ? c->state : 0;
}

void HeadlessWindowSystem::enable(int id, bool on) {
    Control* c = s_->find(id);
    if (!c) return;
    c->enabled = on;
    // As in Qt: a disabled control loses the focus to nobody, silently.
    if (!on && s_->focus == id) s_->focus = -1;
}

void HeadlessWindowSystem::setFocus(int id) {
    if (s_->find(id)) s_->focus = id;
}

int HeadlessWindowSystem::countRows(int id) {
    Control* c = s_->table(id);
    return c ? c->rows.count() : 0;
}

void HeadlessWindowSystem::clearRows(int id) {
    if (Control* c = s_->table(id)) c->rows.clear();
}

int HeadlessWindowSystem::addRow(int id, int position, const std::string& cells) {
    Control* c = s_->table(id);
    if (!c) return 0;
    c->rows.add(position, cells);
    return 1;
}

std::string HeadlessWindowSystem::getCell(int id, int row, int column) {
    TableRows* t = s_->rowsWith(id, row);
    if (!t || column < 0 || column > 2) return "";
    return std::string(t->cell(row, column));
}

void HeadlessWindowSystem::setCell(int id, int row, int column, const std::string& text) {
    TableRows* t = s_->rowsWith(id, row);
    if (t && column >= 0 && column <= 2) t->setCell(row, column, text);
}

int HeadlessWindowSystem::getRowState(int id, int row) {
    TableRows* t = s_->rowsWith(id, row);
    return t ? t->state(row) : 0;
}

void HeadlessWindowSystem::setRowState(int id, int row, int state) {
    if (TableRows* t = s_->rowsWith(id, row)) t->setState(row, state);
}

void HeadlessWindowSystem::setRowMark(int id, int row, RowMark mark) {
    if (TableRows* t = s_->rowsWith(id, row)) t->setMark(row, mark);
}

void HeadlessWindowSystem::setRowMarkTexts(int id, std::function<std::string(int)> text) {
    if (Control* c = s_->table(id)) c->markTexts = std::move(text);
}

void HeadlessWindowSystem::setStatusTexts(int id, std::function<std::string(int)> text) {
    if (Control* c = s_->table(id)) c->statusTexts = std::move(text);
}

EventCode HeadlessWindowSystem::waitEvent(int wakeAfterMs) {
    if (s_->queue.empty() && s_->idleHook) s_->idleHook();
    if (s_->queue.empty()) {
        if (wakeAfterMs >= 0) {
            s_->tick += static_cast<uint32_t>(wakeAfterMs);
            s_->last = {EventCode::Other, 0, EventKind::None};
            return EventCode::Other;
        }
        // The script has run out: the user closes the main window.
        s_->last = {EventCode::Close, 0, EventKind::None};
        return EventCode::Close;
    }
    s_->last = s_->queue.front();
    s_->queue.pop_front();
    // A clicked option turns on now, in the order of the queue, as in Qt.
    const Control* c = s_->find(s_->last.id);
    if (s_->last.code == EventCode::Control && s_->last.kind == EventKind::LeftClick && c &&
        c->kind == ControlKind::Option) {
        setState(s_->last.id, 1);
    }
    return s_->last.code;
}

int HeadlessWindowSystem::eventId() { return s_->last.id; }
EventKind HeadlessWindowSystem::eventKind() { return s_->last.kind; }
void HeadlessWindowSystem::repaintNow() { ++s_->repaints; }

void HeadlessWindowSystem::dropQueuedClicks(int id) {
    auto& q = s_->queue;
    q.erase(std::remove_if(q.begin(), q.end(), [id](const hl::Event& e) { return e.code == EventCode::Control && e.id == id; }),
            q.end());
}

int HeadlessWindowSystem::dropWaitingChanges(int id) {
    return platform::dropLeadingChanges(s_->queue, id);
}

int HeadlessWindowSystem::loadFont(int fontId, const std::string& face, int, bool) {
    s_->fonts[fontId] = face;
    return 1;
}

void HeadlessWindowSystem::setControlFont(int id, int fontId) {
    Control* c = s_->find(id);
    if (c && s_->fonts.count(fontId)) c->font = fontId;
}

int HeadlessWindowSystem::messageBox(const std::string& title, const std::string& text, int kind) {
    if (kind < 0) return 0;
    s_->boxes.push_back({title, text, kind});
    if (s_->boxHook) s_->boxHook(s_->boxes.back());
    int answer = AnswerOk;
    if (!s_->answers.empty()) {
        answer = s_->answers.front();
        s_->answers.pop_front();
    }
    return kind == BoxOkCancel ? answer : AnswerOk;
}

bool HeadlessWindowSystem::controlRect(int id, int& x, int& y, int& width, int& height) {
    Control* c = s_->find(id);
    if (!c) return false;
    x = c->x;
    y = c->y;
    width = c->width;
    height = c->height;
    return true;
}

bool HeadlessWindowSystem::isEnabled(int id) {
    Control* c = s_->find(id);
    return c && c->enabled;
}

int HeadlessWindowSystem::focusedControl() { return s_->focus; }

std::string HeadlessWindowSystem::windowTitle(int windowId) {
    auto it = s_->windows.find(windowId);
    return it == s_->windows.end() ? "" : it->second.title;
}

std::string HeadlessWindowSystem::columnTitle(int id, int column) {
    Control* c = s_->table(id);
    if (!c || column < 0 || column >= static_cast<int>(c->columns.size())) return "";
    return c->columns[static_cast<std::size_t>(column)].first;
}

int HeadlessWindowSystem::columnWidth(int id, int column) {
    Control* c = s_->table(id);
    if (!c || column < 0 || column >= static_cast<int>(c->columns.size())) return 0;
    return c->columns[static_cast<std::size_t>(column)].second;
}

RowMark HeadlessWindowSystem::rowMark(int id, int row) {
    TableRows* t = s_->rowsWith(id, row);
    return t ? t->mark(row) : RowMark::None;
}

std::string HeadlessWindowSystem::rowMarkText(int id, int row) {
    TableRows* t = s_->rowsWith(id, row);
    Control* c = s_->table(id);
    if (!t || t->mark(row) == RowMark::None || !c->markTexts) return "";
    return c->markTexts(row);
}

std::string HeadlessWindowSystem::statusText(int id, int row) {
    Control* c = s_->table(id);
    if (!s_->rowsWith(id, row) || !c->statusTexts) return "";
    return c->statusTexts(row);
}

// Nothing is drawn; an unticked row is what the Qt table draws greyed.
bool HeadlessWindowSystem::rowGreyed(int id, int row) {
    TableRows* t = s_->rowsWith(id, row);
    return t && !(t->state(row) & RowTicked);
}

}  // namespace platform
