#include "WidgetParts.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPalette>

#include <algorithm>

namespace kdx {

QFrame* MakePanel(const char* name, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    return panel;
}

QAction* MakeAction(QObject* owner, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    return action;
}

int LabelHeight(const QLabel& label, int width, int least)
{
    return std::max(least, label.wordWrap() ? label.heightForWidth(width) : label.sizeHint().height());
}

void SetFixedWidthAtLeast(QWidget* widget, int width)
{
    widget->setFixedWidth(std::max(width, widget->sizeHint().width()));
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void SetBackgroundColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace kdx
