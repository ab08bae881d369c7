#include "EditorParts.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

namespace kdx {

std::string OneLine(std::string name)
{
    for (size_t at = 0; (at = name.find_first_of("\r\n", at)) != std::string::npos; at += 2)
        name.replace(at, 1, name[at] == '\r' ? "\\r" : "\\n");
    return name;
}

QFrame* Heading(const QString& text, QWidget* parent)
{
    auto* row = new QFrame(parent);
    row->setFixedHeight(31);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 0, 8, 0);
    auto* label = new QLabel(text, row);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    layout->addWidget(label);
    return row;
}

void SetUpToolBar(QToolBar* bar)
{
    bar->setMinimumHeight(36);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setStyleSheet("QToolButton { padding: 0px; font-size: 7pt; }");
}

QToolButton* NewToolButton(
    QWidget* parent, const char* name, const QString& caption, const QString& hint, const QIcon& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    return button;
}

void ShowTool(QToolButton* button, bool visible)
{
    auto* bar = qobject_cast<QToolBar*>(button->parentWidget());
    for (QAction* action : bar->actions())
        if (bar->widgetForAction(action) == button)
            action->setVisible(visible);
}

} // namespace kdx
