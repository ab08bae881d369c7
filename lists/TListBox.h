#pragma once
#include <QListWidget>

#include <functional>

namespace kdx {

// A list widget that reports mouse presses after handling them itself, and every double-click,
// also one below the last row.
class TListBox : public QListWidget {
public:
    using QListWidget::QListWidget;

    std::function<void(Qt::MouseButton, QPoint)> onMouseDown;
    std::function<void()> onDoubleClick;

    // The row under Pos: its index; the row count inside the box below the last row; -1
    // outside the box.
    int RowAt(QPoint pos) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace kdx
