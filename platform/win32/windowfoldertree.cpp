// The folder tree of the Win32 window system.
//
// Every item keeps its full path (a drive as "C:\", a folder without a
// trailing backslash) in a string the item owns; the label is the folder's
// name as the file system spells it. Hidden and system folders stay out of
// the way, as in Explorer; one the program names is added on demand when
// it opens the tree down to it.
#include "platform/win32/windowfoldertree.h"

#include <shlobj.h>

#include <algorithm>
#include <set>

#include "platform/win32/wide.h"

namespace platform::win32 {

namespace {

std::wstring* pathOf(HWND tree, HTREEITEM item) {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!item || !TreeView_GetItem(tree, &data)) return nullptr;
    return reinterpret_cast<std::wstring*>(data.lParam);
}

std::wstring joinPath(const std::wstring& dir, const std::wstring& name) {
    return !dir.empty() && dir.back() == L'\\' ? dir + name : dir + L'\\' + name;
}

std::wstring lastPart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

wchar_t foldAZ(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

// Folder names in the order of the file list: A-Z folded, the rest by value.
bool foldLess(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return foldAZ(x) < foldAZ(y); });
}

// File names on Windows ignore case.
bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// Whether root holds path: the same folder or one below it.
bool holdsPath(const std::wstring& root, const std::wstring& path) {
    if (path.size() < root.size() || !sameName(root, path.substr(0, root.size()))) return false;
    return path.size() == root.size() || root.back() == L'\\' || path[root.size()] == L'\\';
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder text as the tree holds it: absolute, "." and ".." resolved by
// name, "/" taken as "\", no trailing backslash but for a drive's root.
std::wstring cleanPath(const std::wstring& path) {
    const DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (need == 0) return L"";
    std::wstring full(need, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
    full.resize(got < need ? got : 0);
    std::wstring clean;
    for (wchar_t c : full) {
        if (c == L'\\' && !clean.empty() && clean.back() == L'\\' && clean.size() > 2) continue;
        clean += c;
    }
    while (clean.size() > 3 && clean.back() == L'\\') clean.pop_back();
    return clean;
}

std::wstring documentsFolder() {
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return isFolder(result) ? cleanPath(result) : std::wstring();
}

std::vector<std::wstring> drives() {
    std::vector<std::wstring> result;
    wchar_t buffer[512] = {};
    const DWORD length = GetLogicalDriveStringsW(511, buffer);
    for (const wchar_t* at = buffer; length > 0 && length < 512 && *at; at += wcslen(at) + 1) {
        const UINT type = GetDriveTypeW(at);
        if (type != DRIVE_NO_ROOT_DIR && type != DRIVE_UNKNOWN) result.emplace_back(at);
    }
    return result;
}

std::vector<std::wstring> splitParts(const std::wstring& rest) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find(L'\\', start);
        if (end == std::wstring::npos) end = rest.size();
        if (end > start) parts.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

int CALLBACK compareItems(LPARAM a, LPARAM b, LPARAM) {
    const std::wstring left = lastPart(*reinterpret_cast<std::wstring*>(a));
    const std::wstring right = lastPart(*reinterpret_cast<std::wstring*>(b));
    return foldLess(left, right) ? -1 : foldLess(right, left) ? 1 : 0;
}

}  // namespace

FolderTree::FolderTree(HWND tree, std::function<void()> onUserChange)
    : tree_(tree), onUserChange_(std::move(onUserChange)) {
    addRoots();
}

void FolderTree::addRoots() {
    const std::wstring docs = documentsFolder();
    if (!docs.empty()) addFolder(TVI_ROOT, docs, docs);
    for (const std::wstring& drive : drives()) {
        if (!sameName(drive, docs)) addFolder(TVI_ROOT, drive, drive);
    }
}

// Every folder shows an expand button until opening it finds no folders.
HTREEITEM FolderTree::addFolder(HTREEITEM parent, const std::wstring& path, const std::wstring& label) {
    std::wstring text = label;
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = text.data();
    insert.item.cChildren = 1;
    insert.item.lParam = reinterpret_cast<LPARAM>(new std::wstring(path));
    return TreeView_InsertItem(tree_, &insert);
}

std::vector<std::wstring> FolderTree::folderNames(const std::wstring& dir) const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileExW(widePath(joinPath(dir, L"*")).c_str(), FindExInfoBasic, &found,
                                   FindExSearchLimitToDirectories, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        const DWORD a = found.dwFileAttributes;
        if (!(a & FILE_ATTRIBUTE_DIRECTORY) || (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) continue;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

// Read anew at every opening, so folders made or removed while the program
// runs show up. A folder that holds the selection stays even when it is
// gone: the program's directory must not change without the user.
void FolderTree::loadChildren(HTREEITEM item) {
    const std::wstring* dir = pathOf(tree_, item);
    if (!dir) return;
    const bool wasProgramChange = programChange_;
    programChange_ = true;
    std::set<std::wstring> known;
    for (HTREEITEM sub = TreeView_GetChild(tree_, item); sub;) {
        const HTREEITEM next = TreeView_GetNextSibling(tree_, sub);
        const std::wstring path = *pathOf(tree_, sub);
        if (!isFolder(path) && !holdsSelection(sub)) {
            TreeView_DeleteItem(tree_, sub);
        } else {
            known.insert(lastPart(path));
        }
        sub = next;
    }
    for (const std::wstring& name : folderNames(*dir)) {
        if (!known.count(name)) addFolder(item, joinPath(*dir, name), name);
    }
    TVSORTCB sort{item, compareItems, 0};
    TreeView_SortChildrenCB(tree_, &sort, FALSE);
    setHasChildren(item, TreeView_GetChild(tree_, item) != nullptr);
    programChange_ = wasProgramChange;
}

void FolderTree::setHasChildren(HTREEITEM item, bool has) {
    TVITEMW data{};
    data.mask = TVIF_CHILDREN;
    data.hItem = item;
    data.cChildren = has ? 1 : 0;
    TreeView_SetItem(tree_, &data);
}

bool FolderTree::holdsSelection(HTREEITEM item) const {
    for (HTREEITEM at = TreeView_GetSelection(tree_); at; at = TreeView_GetParent(tree_, at)) {
        if (at == item) return true;
    }
    return false;
}

HTREEITEM FolderTree::child(HTREEITEM item, const std::wstring& name) {
    loadChildren(item);
    for (HTREEITEM sub = TreeView_GetChild(tree_, item); sub; sub = TreeView_GetNextSibling(tree_, sub)) {
        if (sameName(lastPart(*pathOf(tree_, sub)), name)) return sub;
    }
    // Hidden, or made since: the user named it, so it is shown.
    const std::wstring path = joinPath(*pathOf(tree_, item), name);
    if (!isFolder(path)) return nullptr;
    HTREEITEM added = addFolder(item, path, name);
    TVSORTCB sort{item, compareItems, 0};
    TreeView_SortChildrenCB(tree_, &sort, FALSE);
    setHasChildren(item, true);
    return added;
}

// The top-level folder that holds the path most closely, and the rest of
// the path below it.
HTREEITEM FolderTree::rootFor(const std::wstring& path, std::wstring& rest) const {
    HTREEITEM best = nullptr;
    std::size_t bestLength = 0;
    for (HTREEITEM root = TreeView_GetRoot(tree_); root; root = TreeView_GetNextSibling(tree_, root)) {
        const std::wstring& top = *pathOf(tree_, root);
        if (holdsPath(top, path) && (!best || top.size() > bestLength)) {
            best = root;
            bestLength = top.size();
        }
    }
    rest = best ? path.substr(bestLength) : std::wstring();
    return best;
}

bool FolderTree::selectPath(const std::string& path) {
    // Adding a folder on demand can move the selection too: all of it is
    // the program's doing.
    programChange_ = true;
    const bool found = openDownTo(path);
    programChange_ = false;
    return found;
}

bool FolderTree::openDownTo(const std::string& path) {
    const std::wstring clean = path.empty() ? std::wstring() : cleanPath(widen(path));
    if (clean.empty() || !isFolder(clean)) {
        select(nullptr);
        return false;
    }
    std::wstring rest;
    HTREEITEM item = rootFor(clean, rest);
    for (const std::wstring& part : splitParts(rest)) {
        if (!item) break;
        loadChildren(item);
        TreeView_Expand(tree_, item, TVE_EXPAND);
        item = child(item, part);
    }
    select(item);
    return item != nullptr;
}

void FolderTree::select(HTREEITEM item) {
    TreeView_SelectItem(tree_, item);
    if (item) TreeView_EnsureVisible(tree_, item);
}

std::string FolderTree::selectedPath() const {
    const std::wstring* path = pathOf(tree_, TreeView_GetSelection(tree_));
    if (!path) return "";
    return narrow(!path->empty() && path->back() == L'\\' ? *path : *path + L'\\');
}

// The chosen folder keeps the colours of a selection when the tree does
// not have the focus, so the user sees which folder the table shows.
LRESULT FolderTree::customDraw(NMTVCUSTOMDRAW* draw) const {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    if (reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec) != TreeView_GetSelection(tree_)) return CDRF_DODEFAULT;
    draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
    return CDRF_NEWFONT;
}

LRESULT FolderTree::notify(NMHDR* header, bool& handled) {
    handled = true;
    auto* view = reinterpret_cast<NMTREEVIEWW*>(header);
    switch (header->code) {
    case NM_CUSTOMDRAW: return customDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    case TVN_ITEMEXPANDINGW:
        if (view->action & TVE_EXPAND) loadChildren(view->itemNew.hItem);
        return FALSE;
    case TVN_DELETEITEMW:
        delete reinterpret_cast<std::wstring*>(view->itemOld.lParam);
        return 0;
    case TVN_SELCHANGEDW:
        if (programChange_ || !view->itemNew.hItem) return 0;
        // A folder found empty before may have got folders since: it can
        // be opened again, which reads it anew.
        setHasChildren(view->itemNew.hItem, true);
        if (onUserChange_) onUserChange_();
        return 0;
    default: handled = false; return 0;
    }
}

}  // namespace platform::win32
