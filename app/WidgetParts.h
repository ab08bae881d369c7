#pragma once
#include <QColor>

class QFrame;
class QWidget;

namespace kdx {

// A plain panel with the design's object name.
QFrame* MakePanel(const char* name, QWidget* parent);

// Text and background colours set through the palette: a style sheet would cost every start a
// style of its own.
void SetTextColour(QWidget* widget, const QColor& colour);
void SetBackgroundColour(QWidget* widget, const QColor& colour);

} // namespace kdx
