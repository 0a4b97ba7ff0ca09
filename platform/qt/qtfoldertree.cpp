// The folder tree of the Qt backend.
//
// Items keep their path as raw bytes, so a folder whose name is not valid
// UTF-8 is still given back exactly. Listing goes through platform/files.h:
// a symbolic link counts as a file there, so the tree never descends
// through one; a hidden folder or a link the program names is added on
// demand when it opens the tree down to it.
#include "platform/qt/qtfoldertree.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/qt/qtstate.h"

namespace platform::qt {

namespace {

constexpr int PathRole = Qt::UserRole;        // full path, no trailing "/" ("/" for the root)

std::string joinPath(const std::string& dir, const std::string& name) {
    return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string itemPath(const QTreeWidgetItem* item) {
    const QByteArray bytes = item->data(0, PathRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string lastPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Folder names in the order of the file list: A-Z folded, other bytes by value.
bool foldLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        return fold(static_cast<unsigned char>(x)) < fold(static_cast<unsigned char>(y));
    });
}

bool hasPrefixFolder(const std::string& path, const std::string& prefix) {
    return path.compare(0, prefix.size(), prefix) == 0 &&
           (path.size() == prefix.size() || path[prefix.size()] == '/');
}

std::string documentsFolder() {
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QByteArray bytes = QFile::encodeName(docs);
    std::string path(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (path.empty() || !isDirectory(path)) path = environmentValue("HOME");
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path.empty() || !isDirectory(path) ? std::string() : path;
}

// "/" and the mounted volumes a user keeps files on; the kernel's own file
// systems and single files mounted into a container are left out.
std::vector<std::string> volumes() {
    std::vector<std::string> result{"/"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const QByteArray bytes = QFile::encodeName(volume.rootPath());
        const std::string root(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        bool system = false;
        for (const char* skip : {"/proc", "/sys", "/dev", "/run", "/snap"})
            system = system || hasPrefixFolder(root, skip);
        if (system || root.empty() || root == "/" || !isDirectory(root)) continue;
        if (std::find(result.begin(), result.end(), root) == result.end()) result.push_back(root);
    }
    std::sort(result.begin() + 1, result.end(), foldLess);
    return result;
}

}  // namespace

FolderTree::FolderTree(QWidget* parent, std::function<void()> onUserChange)
    : QTreeWidget(parent), onUserChange_(std::move(onUserChange)) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    keepSelectionVisible(this);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { loadChildren(item); });
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (programChange_ || selectedItems().isEmpty()) return;
        // A folder found empty before may have got folders since: it can
        // be opened again, which reads it anew.
        QTreeWidgetItem* chosen = selectedItems().first();
        if (chosen->childCount() == 0) chosen->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        if (onUserChange_) onUserChange_();
    });
    addRoots();
}

void FolderTree::addRoots() {
    const std::string docs = documentsFolder();
    if (!docs.empty()) addFolder(nullptr, docs, QString::fromStdString(docs));
    for (const std::string& root : volumes()) {
        if (root != docs) addFolder(nullptr, root, QString::fromStdString(root));
    }
}

QTreeWidgetItem* FolderTree::addFolder(QTreeWidgetItem* parent, const std::string& path,
                                       const QString& label) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, label);
    item->setData(0, PathRole, QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    item->setIcon(0, style()->standardIcon(parent ? QStyle::SP_DirIcon : QStyle::SP_DriveHDIcon));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    if (!parent) {
        addTopLevelItem(item);
        return item;
    }
    // Keep the order when a folder is added on demand among loaded ones.
    const std::string name = lastPart(path);
    int at = 0;
    while (at < parent->childCount() && !foldLess(name, lastPart(itemPath(parent->child(at))))) ++at;
    parent->insertChild(at, item);
    return item;
}

// Read anew at every opening, so folders made or removed while the program
// runs show up. A folder that holds the selection stays even when it is
// gone: the program's directory must not change without the user.
void FolderTree::loadChildren(QTreeWidgetItem* item) {
    const bool wasProgramChange = programChange_;
    programChange_ = true;
    const std::string dir = itemPath(item);
    std::set<std::string> known;
    for (int i = item->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* sub = item->child(i);
        const std::string path = itemPath(sub);
        if (!isDirectory(path) && !holdsCurrent(sub)) {
            delete item->takeChild(i);
        } else {
            known.insert(lastPart(path));
        }
    }

    std::vector<std::string> names;
    if (const int handle = openDirList(dir == "/" ? dir : dir + "/")) {
        std::string name;
        EntryKind kind;
        while (nextDirEntry(handle, name, kind)) {
            // Hidden folders stay out of the way, as in a file manager.
            if (kind == EntryKind::Directory && !name.empty() && name[0] != '.' && !known.count(name))
                names.push_back(name);
        }
        closeDirList(handle);
    }
    std::sort(names.begin(), names.end(), foldLess);
    for (const std::string& name : names) addFolder(item, joinPath(dir, name), QString::fromStdString(name));
    item->setChildIndicatorPolicy(item->childCount() == 0 ? QTreeWidgetItem::DontShowIndicatorWhenChildless
                                                          : QTreeWidgetItem::ShowIndicator);
    programChange_ = wasProgramChange;
}

bool FolderTree::holdsCurrent(const QTreeWidgetItem* item) const {
    for (const QTreeWidgetItem* at = currentItem(); at; at = at->parent()) {
        if (at == item) return true;
    }
    return false;
}

QTreeWidgetItem* FolderTree::child(QTreeWidgetItem* item, const std::string& name, bool create) {
    loadChildren(item);
    for (int i = 0; i < item->childCount(); ++i) {
        if (lastPart(itemPath(item->child(i))) == name) return item->child(i);
    }
    if (!create) return nullptr;
    QTreeWidgetItem* added = addFolder(item, joinPath(itemPath(item), name), QString::fromStdString(name));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return added;
}

// The top-level folder that holds the path most closely, and the rest of
// the path below it.
QTreeWidgetItem* FolderTree::rootFor(const std::string& path, std::string& rest) const {
    QTreeWidgetItem* best = nullptr;
    std::size_t bestLength = 0;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const std::string root = itemPath(topLevelItem(i));
        const bool holds = root == "/" || hasPrefixFolder(path, root);
        const std::size_t length = root == "/" ? 0 : root.size();
        if (holds && (!best || length > bestLength)) {
            best = topLevelItem(i);
            bestLength = length;
        }
    }
    rest = best ? path.substr(bestLength) : std::string();
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
    const std::string clean = path.empty() ? path : cleanFolderPath(path);
    if (clean.empty() || !isDirectory(clean)) {
        select(nullptr);
        return false;
    }

    std::string rest;
    QTreeWidgetItem* item = rootFor(clean, rest);
    for (const std::string& part : folderParts(rest)) {
        if (!item) break;
        item->setExpanded(true);
        item = child(item, part, true);
    }
    select(item);
    return item != nullptr;
}

void FolderTree::select(QTreeWidgetItem* item) {
    if (item) {
        setCurrentItem(item);
        scrollToItem(item, QAbstractItemView::PositionAtCenter);
    } else {
        clearSelection();
    }
}

std::string FolderTree::selectedPath() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    if (items.isEmpty()) return "";
    const std::string path = itemPath(items.first());
    return path == "/" ? path : path + "/";
}

}  // namespace platform::qt
