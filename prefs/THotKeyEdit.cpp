#include "THotKeyEdit.h"

#include "HotKeyText.h"

#include <QKeyEvent>

namespace kdx {

namespace {

// Keys that belong to the dialog (OK, Cancel, next control), not to the box.
bool IsDialogKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab
        || key == Qt::Key_Backtab;
}

// The first character of a typed text, in the settings file's encoding.
std::string FirstCharacter(const QString& text)
{
    const int length = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    std::string character = text.left(length).toStdString();
    if (character.size() == 1)
        character[0] = UpperAscii(character[0]);
    return character;
}

} // namespace

THotKeyEdit::THotKeyEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &THotKeyEdit::ShowLetter);
}

void THotKeyEdit::SetLetter(const std::string& letter)
{
    FLetter = letter;
    ShowLetter();
}

void THotKeyEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
        FLetter.clear();
    else if (!IsDialogKey(event->key()) && !event->text().isEmpty())
        FLetter = FirstCharacter(event->text());
    // The key goes on to the box as typed; the text it leaves is replaced at once.
    QLineEdit::keyPressEvent(event);
    // Delete at the end of the text changes nothing, yet the box must show the empty letter.
    ShowLetter();
}

void THotKeyEdit::focusOutEvent(QFocusEvent* event)
{
    const int start = selectionStart();
    const int length = int(selectedText().size());
    QLineEdit::focusOutEvent(event);
    if (FKeepSelection && start >= 0)
        setSelection(start, length);
}

void THotKeyEdit::ShowLetter()
{
    const QString shown = FLetter.empty() ? QString() : texts::HotKeyPrefix + QString::fromStdString(FLetter);
    if (text() != shown)
        setText(shown);
}

} // namespace kdx
