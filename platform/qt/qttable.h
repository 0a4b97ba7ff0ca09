// The file table of the Qt backend: a model over the rows as the program's
// window systems keep them (TableRows) and a report-style view with a check
// box at the start of every row.
//
// The rows are the truth for texts, ticks and the program's view of the
// selection. The program's changes (addRow, setCell, setRowState) only touch
// the rows and remember what the view has not seen yet; flush() hands it
// over in one step (one rowsInserted, one dataChanged, one selection), so
// each of those calls is O(1) however many rows there are.
#pragma once

#include <QAbstractTableModel>
#include <QItemSelection>
#include <QTreeView>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/tablerows.h"
#include "platform/window.h"

namespace platform::qt {

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // ---- the program's side: no events, no immediate view work
    int count() const { return rows_.count(); }
    bool has(int index) const { return rows_.has(index); }
    // Of an existing row (has).
    std::string_view cell(int index, int column) const { return rows_.cell(index, column); }
    int state(int index) const { return rows_.state(index); }
    RowMark mark(int index) const { return rows_.mark(index); }
    void add(int position, const std::string& cells);
    void setCell(int index, int column, const std::string& text);
    void setState(int index, int state);
    void setMark(int index, RowMark mark);
    std::function<std::string(int row)> markTexts;
    std::function<std::string(int row)> statusTexts;
    // What the view draws for the mark and the tick: the warning colour and
    // the reason on a marked "Neuer Name" cell, greyed text on an unticked
    // row; an invalid value where nothing differs from the plain look.
    QVariant lookData(int index, int column, int role) const;
    std::string markText(int index) const;
    std::string statusText(int index) const;
    void clear();
    void insertColumn(int position, const QString& title);
    QString columnTitle(int column) const;

    // ---- the view's side
    bool pending() const;
    // Tells the view about new and changed rows; true when the program
    // changed the selection since, so the view must take it over.
    bool flushRows();
    int selectedCount() const { return selected_; }
    void setSelectedByUser(int index, bool on, bool& becameSelected);
    void toggleTickByUser(int index);
    std::function<void(int row)> onUserTick;

private:
    void markDirty(int index);
    void setSelectedBit(int index, bool on);

    TableRows rows_;
    std::vector<QString> titles_;
    int shown_ = 0;                 // rows the view knows of
    int dirtyFirst_ = -1, dirtyLast_ = -1;
    bool selectionDirty_ = false;
    int selected_ = 0;
};

class FileTable : public QTreeView {
    Q_OBJECT
public:
    FileTable(QWidget* parent, std::function<void(EventKind)> report);
    TableModel* rows() const { return model_; }
    void flush();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    bool viewportEvent(QEvent* event) override;

private:
    void userSelection(const QItemSelection& selected, const QItemSelection& deselected);
    void takeOverSelection();
    bool isCutOff(const QModelIndex& index, const QString& text) const;

    TableModel* model_;
    std::function<void(EventKind)> report_;
    bool syncing_ = false;
};

}  // namespace platform::qt
