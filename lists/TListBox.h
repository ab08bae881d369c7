#pragma once
#include "EntryListModel.h"

#include <QItemSelectionModel>
#include <QListView>

#include <functional>
#include <vector>

namespace kdx {

// A list box over an EntryListModel: it reports mouse presses after handling them itself, every
// double-click (also one below the last row), and changes of its selection and current row made
// while its signals are not blocked. All rows are one height, so a view of 100,000 rows lays
// itself out without asking for a row's text.
class TListBox : public QListView {
public:
    // Checkable gives every row a check box.
    explicit TListBox(QWidget* parent, bool checkable = false);

    EntryListModel& Entries() const { return *entries_; }

    std::function<void(Qt::MouseButton, QPoint)> onMouseDown;
    std::function<void()> onDoubleClick;
    std::function<void()> onSelectionChanged;
    std::function<void(int row)> onCurrentRowChanged;

    // The row under Pos: its index; the row count inside the box below the last row; -1
    // outside the box.
    int RowAt(QPoint pos) const;
    int Count() const;
    // The current row, -1 for none.
    int CurrentRow() const;
    // Makes Row current (-1: none) and selects as the flags say; without flags, a box that
    // selects one row at a time selects it, another only moves its current row there.
    void SetCurrentRow(int row);
    void SetCurrentRow(int row, QItemSelectionModel::SelectionFlags command);
    // The selected rows, ascending.
    std::vector<int> SelectedRows() const;
    QString RowText(int row) const;
    QRect RowRect(int row) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    EntryListModel* entries_;
};

} // namespace kdx
