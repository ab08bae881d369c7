#pragma once
#include <QAbstractListModel>

#include <functional>
#include <string>
#include <vector>

namespace kdx {

// The rows of a list box over a list of paths kept elsewhere (a random list, the found files).
// A row's text is made when a view first asks for it and kept until the rows are shown anew, so
// a list of 100,000 entries costs the names of the rows on the screen, not 100,000 file reads
// (a screensaver's name comes from its file). Rows may carry a check box.
class EntryListModel : public QAbstractListModel {
public:
    using Namer = std::function<QString(const std::string& path)>;

    EntryListModel(bool checkable, QObject* parent);

    // Shows every entry of Entries, named by Namer, each row unticked. The entries stay the
    // caller's; the rows follow them only at the next Show or RemoveRows, so the caller may
    // change them in between (a search appends to them while it runs).
    void Show(std::vector<std::string>* entries, Namer namer);
    // Removes the rows (ascending) from the rows and from the entries.
    void RemoveRows(const std::vector<int>& rows);
    void SetAllChecked(bool checked);
    bool IsChecked(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Removes the rows First..Last from the entries and the names (not from the views).
    void Erase(int first, int last);
    // Keeps only the rows not in Rows (ascending), at once.
    void EraseAll(const std::vector<int>& rows);

    bool checkable_;
    std::vector<std::string>* entries_ = nullptr;
    Namer namer_;
    int rows_ = 0;
    mutable std::vector<QString> names_;
    mutable std::vector<bool> named_;
    std::vector<bool> checked_;
};

} // namespace kdx
