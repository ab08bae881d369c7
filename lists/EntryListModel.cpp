#include "EntryListModel.h"

#include <algorithm>

namespace kdx {

namespace {

// Above this many separate runs of rows, one removal rebuilds the rows instead of telling the
// views of each run, each of which moves the whole rest of the list.
constexpr size_t MaxRunsTold = 32;

// The runs of consecutive rows in Rows (ascending), as first and last row.
std::vector<std::pair<int, int>> Runs(const std::vector<int>& rows)
{
    std::vector<std::pair<int, int>> runs;
    for (int row : rows) {
        if (!runs.empty() && row <= runs.back().second + 1)
            runs.back().second = std::max(runs.back().second, row);
        else
            runs.emplace_back(row, row);
    }
    return runs;
}

template <typename T> void KeepUnmarked(std::vector<T>& items, const std::vector<bool>& gone)
{
    if (items.empty())
        return;
    size_t kept = 0;
    for (size_t i = 0; i < items.size(); ++i)
        if (!gone[i])
            items[kept++] = std::move(items[i]);
    items.resize(kept);
}

} // namespace

EntryListModel::EntryListModel(bool checkable, QObject* parent) : QAbstractListModel(parent), checkable_(checkable) { }

void EntryListModel::Show(std::vector<std::string>* entries, Namer namer)
{
    beginResetModel();
    entries_ = entries;
    namer_ = std::move(namer);
    rows_ = entries ? int(entries->size()) : 0;
    names_.assign(size_t(rows_), QString());
    named_.assign(size_t(rows_), false);
    checked_.assign(checkable_ ? size_t(rows_) : 0, false);
    endResetModel();
}

void EntryListModel::Erase(int first, int last)
{
    entries_->erase(entries_->begin() + first, entries_->begin() + last + 1);
    names_.erase(names_.begin() + first, names_.begin() + last + 1);
    named_.erase(named_.begin() + first, named_.begin() + last + 1);
    if (checkable_)
        checked_.erase(checked_.begin() + first, checked_.begin() + last + 1);
    rows_ -= last - first + 1;
}

void EntryListModel::EraseAll(const std::vector<int>& rows)
{
    std::vector<bool> gone(entries_->size(), false);
    for (int row : rows)
        gone[size_t(row)] = true;
    rows_ -= int(std::count(gone.begin(), gone.end(), true));
    KeepUnmarked(*entries_, gone);
    KeepUnmarked(names_, gone);
    KeepUnmarked(named_, gone);
    KeepUnmarked(checked_, gone);
}

void EntryListModel::RemoveRows(const std::vector<int>& rows)
{
    if (rows.empty() || !entries_)
        return;
    const std::vector<std::pair<int, int>> runs = Runs(rows);
    if (runs.size() > MaxRunsTold) {
        beginResetModel();
        EraseAll(rows);
        endResetModel();
        return;
    }
    // From the bottom up, so the rows of the runs still to come keep their numbers.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        Erase(run->first, run->second);
        endRemoveRows();
    }
}

void EntryListModel::SetAllChecked(bool checked)
{
    if (!checkable_ || rows_ == 0)
        return;
    checked_.assign(size_t(rows_), checked);
    emit dataChanged(index(0), index(rows_ - 1), {Qt::CheckStateRole});
}

bool EntryListModel::IsChecked(int row) const { return checkable_ && row >= 0 && row < rows_ && checked_[size_t(row)]; }

int EntryListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant EntryListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= rows_ || size_t(row) >= entries_->size())
        return {};
    if (role == Qt::DisplayRole) {
        if (!named_[size_t(row)]) {
            names_[size_t(row)] = namer_((*entries_)[size_t(row)]);
            named_[size_t(row)] = true;
        }
        return names_[size_t(row)];
    }
    if (role == Qt::CheckStateRole && checkable_)
        return checked_[size_t(row)] ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool EntryListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkable_ || role != Qt::CheckStateRole || !index.isValid() || index.row() >= rows_)
        return false;
    checked_[size_t(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return checkable_ ? flags | Qt::ItemIsUserCheckable : flags;
}

} // namespace kdx
