#pragma once
#include <QColor>

class QAction;
class QFrame;
class QObject;
class QString;
class QWidget;

namespace kdx {

// A plain panel with the design's object name.
QFrame* MakePanel(const char* name, QWidget* parent);

// A command with the design's object name, owned by Owner.
QAction* MakeAction(QObject* owner, const char* name, const QString& caption);

// Text and background colours set through the palette: a style sheet would cost every start a
// style of its own.
void SetTextColour(QWidget* widget, const QColor& colour);
void SetBackgroundColour(QWidget* widget, const QColor& colour);

} // namespace kdx
