#pragma once
#include <QString>

#include <string>

class QFrame;
class QIcon;
class QToolBar;
class QToolButton;
class QWidget;

namespace kdx {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// Why a name is turned away where it would enter a list.
inline constexpr const char* LineBreakReason = "a name with a line break cannot be stored in the settings file";

// A name as a message shows it, its line breaks written out so it stays on one line.
std::string OneLine(std::string name);

// A pane's bold heading row ("Random List", "Search Form").
QFrame* Heading(const QString& text, QWidget* parent);

// Flat buttons with small captions under 16 x 16 images, compact enough that a narrow pane
// still shows them all.
void SetUpToolBar(QToolBar* bar);

// A tool button with its caption under its image.
QToolButton* NewToolButton(
    QWidget* parent, const char* name, const QString& caption, const QString& hint, const QIcon& icon);

// Shows or hides a button of a tool bar.
void ShowTool(QToolButton* button, bool visible);

} // namespace kdx
