#pragma once
#include <QColor>

class QAction;
class QFrame;
class QLabel;
class QObject;
class QString;
class QWidget;

namespace kdx {

// A plain panel with the design's object name.
QFrame* MakePanel(const char* name, QWidget* parent);

// A command with the design's object name, owned by Owner.
QAction* MakeAction(QObject* owner, const char* name, const QString& caption);

// The height Label needs for its text at Width (word wrap considered), never less than Least,
// the height the form's design gave it: a wider or taller face than the design's pushes the
// parts below down rather than being cut off.
int LabelHeight(const QLabel& label, int width, int least);

// Fixes Widget's width at the design's Width, or at what its own texts need where that is more
// (a drop-down list's longest item, a number box's largest number).
void SetFixedWidthAtLeast(QWidget* widget, int width);

// Text and background colours set through the palette: a style sheet would cost every start a
// style of its own.
void SetTextColour(QWidget* widget, const QColor& colour);
void SetBackgroundColour(QWidget* widget, const QColor& colour);

} // namespace kdx
