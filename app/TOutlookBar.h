#pragma once
#include "ui/PanelHost.h"

#include <QFrame>

#include <vector>

class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace kdx {

// A side bar of pages, each a button over a list of large-icon items; one page is open at a
// time and an item acts on a single click. Opening a page acts on nothing.
class TOutlookBar : public QFrame {
    Q_OBJECT
public:
    explicit TOutlookBar(const TImageList& images, QWidget* parent = nullptr);

    // Adds a page with its button's object name and caption, and its item list's object name
    // and spacing between items.
    int AddPage(const QString& buttonName, const QString& caption, const QString& listName, int spacing);
    void AddItem(int page, const QString& caption, int image);

    int ActivePage() const { return active_; }
    void SetActivePage(int page);

signals:
    void ItemClicked(int page, int item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Page {
        QPushButton* button;
        QListWidget* list;
    };

    const TImageList& images_;
    QVBoxLayout* layout_;
    std::vector<Page> pages_;
    int active_ = -1;
};

} // namespace kdx
