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

bool IsControl(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }

// The letter a key press stands for, or nothing. A typed character counts as it is. With Ctrl
// held, X11 delivers a control character (Ctrl+Alt+W gives 0x17) where Windows delivers none:
// the key's own symbol stands in for it, which for a letter is its capital, so the box stores
// the letter the user meant and never a character that no key code maps to. Backspace's own
// character (8) is the Backspace key's code, as on Windows.
std::string LetterOf(const QKeyEvent& event)
{
    const QString text = event.text();
    if (!text.isEmpty() && !IsControl(text.at(0)))
        return FirstCharacter(text);
    const int key = event.key();
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde && (text.isEmpty() || IsControl(text.at(0))))
        return std::string(1, UpperAscii(char(key)));
    if (key == Qt::Key_Backspace)
        return "\b";
    return {};
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
    else if (const std::string letter = LetterOf(*event); !IsDialogKey(event->key()) && !letter.empty())
        FLetter = letter;
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
