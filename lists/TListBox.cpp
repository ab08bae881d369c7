#include "TListBox.h"

#include "shell/ReportErrors.h"

#include <QMouseEvent>

#include <algorithm>

namespace kdx {

TListBox::TListBox(QWidget* parent, bool checkable) : QListView(parent), entries_(new EntryListModel(checkable, this))
{
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setModel(entries_);
}

int TListBox::RowAt(QPoint pos) const
{
    if (!viewport()->rect().contains(pos))
        return -1;
    const int row = indexAt(pos).row();
    return row >= 0 ? row : Count();
}

int TListBox::Count() const { return entries_->rowCount(); }

int TListBox::CurrentRow() const { return currentIndex().row(); }

void TListBox::SetCurrentRow(int row)
{
    SetCurrentRow(
        row, selectionMode() == SingleSelection ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate);
}

void TListBox::SetCurrentRow(int row, QItemSelectionModel::SelectionFlags command)
{
    selectionModel()->setCurrentIndex(entries_->index(row), command);
}

std::vector<int> TListBox::SelectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString TListBox::RowText(int row) const { return entries_->index(row).data().toString(); }

QRect TListBox::RowRect(int row) const { return visualRect(entries_->index(row)); }

void TListBox::mousePressEvent(QMouseEvent* event)
{
    QListView::mousePressEvent(event);
    if (onMouseDown)
        ReportErrors([&] { onMouseDown(event->button(), event->position().toPoint()); });
}

void TListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (onDoubleClick && event->button() == Qt::LeftButton)
        ReportErrors([&] { onDoubleClick(); });
}

void TListBox::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QListView::selectionChanged(selected, deselected);
    if (onSelectionChanged && !signalsBlocked())
        ReportErrors([&] { onSelectionChanged(); });
}

void TListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    if (onCurrentRowChanged && !signalsBlocked() && current.row() != previous.row())
        ReportErrors([&] { onCurrentRowChanged(current.row()); });
}

} // namespace kdx
