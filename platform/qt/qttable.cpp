// The file table of the Qt backend and the table operations of
// QtWindowSystem. See qttable.h for how the program's changes are batched.
#include "platform/qt/qttable.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QKeyEvent>
#include <QPalette>
#include <QMouseEvent>

#include <algorithm>

#include "platform/qt/qtstate.h"
#include "platform/qt/qtwindowsystem.h"

namespace platform::qt {

// ---- TableModel: the view's side ----------------------------------------------

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !has(index.row())) return {};
    const int column = index.column();
    if (QVariant look = lookData(index.row(), column, role); look.isValid()) return look;
    if (role == Qt::DisplayRole && column < 3) {
        const std::string_view text = cell(index.row(), column);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::CheckStateRole && column == 0)
        return static_cast<int>((state(index.row()) & RowTicked) ? Qt::Checked : Qt::Unchecked);
    return {};
}

// Only the view calls this, when the user clicks a check box.
bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0) return false;
    if (index.row() >= count()) return false;
    const int now = state(index.row());
    const bool ticked = value.toInt() == Qt::Checked;
    if (ticked == ((now & RowTicked) != 0)) return true;
    rows_.setState(index.row(), now ^ RowTicked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    if (onUserTick) onUserTick(index.row());
    return true;
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                      Qt::ItemNeverHasChildren;
    if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return columnTitle(section);
}

QString TableModel::columnTitle(int column) const {
    if (column < 0 || column >= static_cast<int>(titles_.size())) return {};
    return titles_[static_cast<std::size_t>(column)];
}

// ---- TableModel: the program's side ---------------------------------------------

void TableModel::add(int position, const std::string& cells) {
    if (position < 0 || position >= count() || position >= shown_) {
        rows_.add(position, cells);
    } else {
        // Inside the rows the view knows: it must hear of it now.
        beginInsertRows(QModelIndex(), position, position);
        rows_.add(position, cells);
        ++shown_;
        endInsertRows();
        if (dirtyLast_ >= position) ++dirtyLast_;
    }
}

void TableModel::setCell(int index, int column, const std::string& text) {
    if (index < 0 || index >= count() || column < 0 || column > 2) return;
    rows_.setCell(index, column, text);
    markDirty(index);
}

void TableModel::setState(int index, int state) {
    if (index < 0 || index >= count()) return;
    const int want = state & (RowSelected | RowTicked);
    if ((this->state(index) ^ want) & RowTicked) {
        rows_.setState(index, this->state(index) ^ RowTicked);
        markDirty(index);
    }
    if ((this->state(index) ^ want) & RowSelected) {
        setSelectedBit(index, (want & RowSelected) != 0);
        selectionDirty_ = true;
    }
}

void TableModel::setMark(int index, RowMark mark) {
    if (index < 0 || index >= count()) return;
    rows_.setMark(index, mark);
    markDirty(index);
}

std::string TableModel::markText(int index) const {
    if (!has(index) || mark(index) == RowMark::None || !markTexts) return "";
    return markTexts(index);
}

std::string TableModel::statusText(int index) const {
    return has(index) && statusTexts ? statusTexts(index) : std::string();
}

namespace {
// Qt's palettes name no warning colour: an amber of the brightness of the
// palette's base, so that the text colour of the palette stays readable
// on light and dark themes alike.
QColor warningColour() {
    const QColor base = QGuiApplication::palette().color(QPalette::Active, QPalette::Base);
    const int value = base.value() < 128 ? std::max(base.value(), 80) : std::max(base.value(), 200);
    return QColor::fromHsv(38, base.value() < 128 ? 200 : 110, value);
}
}  // namespace

QVariant TableModel::lookData(int index, int column, int role) const {
    if (!has(index)) return {};
    if (role == Qt::ForegroundRole && !(state(index) & RowTicked))
        return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
    if (column == 2 && role == Qt::ToolTipRole) {
        const std::string tip = statusText(index);
        return tip.empty() ? QVariant() : QVariant(qs(tip));
    }
    if (column != 1 || mark(index) == RowMark::None) return {};
    if (role == Qt::BackgroundRole) return warningColour();
    if (role == Qt::ToolTipRole && markTexts) return qs(markTexts(index));
    return {};
}

void TableModel::clear() {
    beginResetModel();
    rows_.clear();
    shown_ = 0;
    dirtyFirst_ = dirtyLast_ = -1;
    selectionDirty_ = false;
    selected_ = 0;
    endResetModel();
}

void TableModel::insertColumn(int position, const QString& title) {
    const int at = std::clamp(position, 0, static_cast<int>(titles_.size()));
    beginInsertColumns(QModelIndex(), at, at);
    titles_.insert(titles_.begin() + at, title);
    endInsertColumns();
}

void TableModel::markDirty(int index) {
    if (index >= shown_) return;   // the view will see the row when it is inserted
    if (dirtyFirst_ < 0) {
        dirtyFirst_ = dirtyLast_ = index;
    } else {
        dirtyFirst_ = std::min(dirtyFirst_, index);
        dirtyLast_ = std::max(dirtyLast_, index);
    }
}

void TableModel::setSelectedBit(int index, bool on) {
    if (on == ((state(index) & RowSelected) != 0)) return;
    rows_.setState(index, state(index) ^ RowSelected);
    selected_ += on ? 1 : -1;
}

bool TableModel::pending() const { return shown_ < count() || dirtyFirst_ >= 0 || selectionDirty_; }

bool TableModel::flushRows() {
    if (shown_ < count()) {
        beginInsertRows(QModelIndex(), shown_, count() - 1);
        shown_ = count();
        endInsertRows();
    }
    if (dirtyFirst_ >= 0) {
        const int last = std::min(dirtyLast_, shown_ - 1);
        if (dirtyFirst_ <= last && columnCount() > 0)
            emit dataChanged(index(dirtyFirst_, 0), index(last, columnCount() - 1));
        dirtyFirst_ = dirtyLast_ = -1;
    }
    const bool selection = selectionDirty_;
    selectionDirty_ = false;
    return selection;
}

void TableModel::setSelectedByUser(int index, bool on, bool& becameSelected) {
    if (index < 0 || index >= count()) return;
    if (on == ((state(index) & RowSelected) != 0)) return;
    setSelectedBit(index, on);
    if (on) becameSelected = true;
}

void TableModel::toggleTickByUser(int index) {
    if (!has(index)) return;
    setData(this->index(index, 0), static_cast<int>((state(index) & RowTicked) ? Qt::Unchecked : Qt::Checked),
            Qt::CheckStateRole);
}

// ---- FileTable ---------------------------------------------------------------------

FileTable::FileTable(QWidget* parent, std::function<void(EventKind)> report)
    : QTreeView(parent), model_(new TableModel), report_(std::move(report)) {
    model_->setParent(this);
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    keepSelectionVisible(this);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &FileTable::userSelection);
    // A tick the user changes on a selected row is a change of that row.
    model_->onUserTick = [this](int index) {
        if (model_->has(index) && (model_->state(index) & RowSelected)) report_(EventKind::Change);
    };
}

// A marked cell tells why in its tool tip; a name cut off by its column
// shows whole there, above the reason where it has one. A name shown whole
// in an unmarked cell needs no tool tip.
bool FileTable::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTreeView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
    QString tip = index.isValid() ? index.data(Qt::ToolTipRole).toString() : QString();
    if (!text.isEmpty() && isCutOff(index, text)) tip = tip.isEmpty() ? text : text + QLatin1Char('\n') + tip;
    if (tip.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
    }
    return true;
}

bool FileTable::isCutOff(const QModelIndex& index, const QString& text) const {
    QStyleOptionViewItem option;
    option.initFrom(viewport());
    option.rect = visualRect(index);
    option.font = font();
    option.text = text;
    option.features = QStyleOptionViewItem::HasDisplay;
    if (index.column() == 0) option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect room = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    // The style keeps a small margin inside the text rectangle.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this) + 1;
    return QFontMetrics(font()).horizontalAdvance(text) > room.width() - 2 * margin;
}

void FileTable::flush() {
    if (model_->pending() && model_->flushRows()) takeOverSelection();
}

void FileTable::userSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    if (syncing_) return;
    bool became = false;
    for (const QItemSelectionRange& range : deselected)
        for (int i = range.top(); i <= range.bottom(); ++i) model_->setSelectedByUser(i, false, became);
    for (const QItemSelectionRange& range : selected)
        for (int i = range.top(); i <= range.bottom(); ++i) model_->setSelectedByUser(i, true, became);
    if (became) report_(EventKind::Change);
}

// The program set or cleared selections: rebuild the view's selection from
// the row bits in one go, as runs of consecutive rows.
void FileTable::takeOverSelection() {
    syncing_ = true;
    const int lastColumn = model_->columnCount() - 1;
    if (model_->selectedCount() == 0 || lastColumn < 0) {
        selectionModel()->clearSelection();
    } else {
        QItemSelection selection;
        const int n = model_->rowCount();
        int start = -1;
        for (int i = 0; i <= n; ++i) {
            const bool on = i < n && (model_->state(i) & RowSelected);
            if (on && start < 0) start = i;
            if (!on && start >= 0) {
                selection.select(model_->index(start, 0), model_->index(i - 1, lastColumn));
                start = -1;
            }
        }
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    syncing_ = false;
}

void FileTable::mouseReleaseEvent(QMouseEvent* event) {
    // A click on a check box is a left click too; report it before the tick
    // change that the release causes.
    if (event->button() == Qt::LeftButton) report_(EventKind::LeftClick);
    if (event->button() == Qt::RightButton) report_(EventKind::RightClick);
    QTreeView::mouseReleaseEvent(event);
}

void FileTable::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) report_(EventKind::LeftDoubleClick);
    if (event->button() == Qt::RightButton) report_(EventKind::RightDoubleClick);
    QTreeView::mouseDoubleClickEvent(event);
}

void FileTable::keyPressEvent(QKeyEvent* event) {
    // Space ticks the current row whichever column has the focus.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        model_->toggleTickByUser(currentIndex().row());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

// The program only learns that a drag began; nothing is dragged.
void FileTable::startDrag(Qt::DropActions) { report_(EventKind::DragStart); }

}  // namespace platform::qt

// ---- the table operations of QtWindowSystem ----------------------------------------

namespace platform {

using qt::FileTable;

namespace {
FileTable* tableOf(qt::QtState& s, int id) { return s.widget<FileTable>(id, ControlKind::Table); }
}  // namespace

void qt::QtState::flushTables() {
    for (auto& entry : controls) {
        if (entry.second.kind == ControlKind::Table && entry.second.widget)
            static_cast<FileTable*>(entry.second.widget.data())->flush();
    }
}

void QtWindowSystem::addTableColumn(int id, int position, const std::string& title, int width) {
    FileTable* t = tableOf(*s_, id);
    if (!t) return;
    const int at = std::clamp(position, 0, t->rows()->columnCount());
    t->rows()->insertColumn(at, qt::qs(title));
    t->header()->resizeSection(at, width);
}

std::string QtWindowSystem::columnTitle(int id, int column) {
    FileTable* t = tableOf(*s_, id);
    return t ? qt::ss(t->rows()->columnTitle(column)) : std::string();
}

int QtWindowSystem::columnWidth(int id, int column) {
    FileTable* t = tableOf(*s_, id);
    if (!t || column < 0 || column >= t->rows()->columnCount()) return 0;
    return t->header()->sectionSize(column);
}

int QtWindowSystem::countRows(int id) {
    FileTable* t = tableOf(*s_, id);
    return t ? t->rows()->count() : 0;
}

void QtWindowSystem::clearRows(int id) {
    if (FileTable* t = tableOf(*s_, id)) t->rows()->clear();
}

int QtWindowSystem::addRow(int id, int position, const std::string& cells) {
    FileTable* t = tableOf(*s_, id);
    if (!t) return 0;
    t->rows()->add(position, cells);
    return 1;
}

std::string QtWindowSystem::getCell(int id, int row, int column) {
    FileTable* t = tableOf(*s_, id);
    if (!t || !t->rows()->has(row) || column < 0 || column > 2) return "";
    return std::string(t->rows()->cell(row, column));
}

void QtWindowSystem::setCell(int id, int row, int column, const std::string& text) {
    if (FileTable* t = tableOf(*s_, id)) t->rows()->setCell(row, column, text);
}

int QtWindowSystem::getRowState(int id, int row) {
    FileTable* t = tableOf(*s_, id);
    return t && t->rows()->has(row) ? t->rows()->state(row) : 0;
}

void QtWindowSystem::setRowState(int id, int row, int state) {
    if (FileTable* t = tableOf(*s_, id)) t->rows()->setState(row, state);
}

void QtWindowSystem::setRowMark(int id, int row, RowMark mark) {
    if (FileTable* t = tableOf(*s_, id)) t->rows()->setMark(row, mark);
}

void QtWindowSystem::setRowMarkTexts(int id, std::function<std::string(int)> text) {
    if (FileTable* t = tableOf(*s_, id)) t->rows()->markTexts = std::move(text);
}

void QtWindowSystem::setStatusTexts(int id, std::function<std::string(int)> text) {
    if (FileTable* t = tableOf(*s_, id)) t->rows()->statusTexts = std::move(text);
}

std::string QtWindowSystem::statusText(int id, int row) {
    FileTable* t = tableOf(*s_, id);
    return t ? t->rows()->statusText(row) : std::string();
}

RowMark QtWindowSystem::rowMark(int id, int row) {
    FileTable* t = tableOf(*s_, id);
    return t && t->rows()->has(row) ? t->rows()->mark(row) : RowMark::None;
}

std::string QtWindowSystem::rowMarkText(int id, int row) {
    FileTable* t = tableOf(*s_, id);
    return t ? t->rows()->markText(row) : std::string();
}

bool QtWindowSystem::rowGreyed(int id, int row) {
    FileTable* t = tableOf(*s_, id);
    return t && t->rows()->lookData(row, 0, Qt::ForegroundRole).isValid();
}

}  // namespace platform
