// The folder tree of the Qt backend: the user's documents folder and the
// mounted volumes at the top level, folders only below them, each level read
// anew whenever it is opened.
#pragma once

#include <QTreeWidget>

#include <functional>
#include <string>

namespace platform::qt {

class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    // onUserChange runs when the user selects another folder.
    FolderTree(QWidget* parent, std::function<void()> onUserChange);

    // Full path of the selected folder ending with "/"; "" when none.
    std::string selectedPath() const;
    // Opens the tree down to the folder and selects it. A path that is not
    // an existing folder leaves nothing selected; false then.
    bool selectPath(const std::string& path);

private:
    bool openDownTo(const std::string& path);
    void addRoots();
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const std::string& path, const QString& label);
    void loadChildren(QTreeWidgetItem* item);
    bool holdsCurrent(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* child(QTreeWidgetItem* item, const std::string& name, bool create);
    QTreeWidgetItem* rootFor(const std::string& path, std::string& rest) const;
    void select(QTreeWidgetItem* item);

    std::function<void()> onUserChange_;
    bool programChange_ = false;
};

}  // namespace platform::qt
