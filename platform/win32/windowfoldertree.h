// The folder tree of the Win32 window system: a tree view with the user's
// documents folder and the drives at the top level, folders only below
// them, each level read anew whenever it is opened.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace platform::win32 {

class FolderTree {
public:
    // onUserChange runs when the user selects another folder.
    FolderTree(HWND tree, std::function<void()> onUserChange);
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    // Full path of the selected folder ending with "\"; "" when none.
    std::string selectedPath() const;
    // Opens the tree down to the folder and selects it. A path that is not
    // an existing folder leaves nothing selected; false then.
    bool selectPath(const std::string& path);

    // A notification of the tree view to its parent.
    LRESULT notify(NMHDR* header, bool& handled);

private:
    void addRoots();
    HTREEITEM addFolder(HTREEITEM parent, const std::wstring& path, const std::wstring& label);
    void loadChildren(HTREEITEM item);
    std::vector<std::wstring> folderNames(const std::wstring& dir) const;
    HTREEITEM child(HTREEITEM item, const std::wstring& name);
    HTREEITEM rootFor(const std::wstring& path, std::wstring& rest) const;
    bool holdsSelection(HTREEITEM item) const;
    void setHasChildren(HTREEITEM item, bool has);
    void select(HTREEITEM item);
    bool openDownTo(const std::string& path);
    LRESULT customDraw(NMTVCUSTOMDRAW* draw) const;

    HWND tree_;
    std::function<void()> onUserChange_;
    bool programChange_ = false;
};

}  // namespace platform::win32
