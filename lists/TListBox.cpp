#include "TListBox.h"

#include "shell/ReportErrors.h"

#include <QMouseEvent>

namespace kdx {

int TListBox::RowAt(QPoint pos) const
{
    if (!viewport()->rect().contains(pos))
        return -1;
    const int row = indexAt(pos).row();
    return row >= 0 ? row : count();
}

void TListBox::mousePressEvent(QMouseEvent* event)
{
    QListWidget::mousePressEvent(event);
    if (onMouseDown)
        ReportErrors([&] { onMouseDown(event->button(), event->position().toPoint()); });
}

void TListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (onDoubleClick && event->button() == Qt::LeftButton)
        ReportErrors([&] { onDoubleClick(); });
}

} // namespace kdx
