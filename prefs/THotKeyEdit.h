#pragma once
#include <QLineEdit>

#include <string>

namespace kdx {

// A one-line box that captures the letter of a hot key instead of taking free text: it shows
// nothing, or the prefix "Ctrl + Alt + " and the letter. Delete empties it; any character that
// reaches it becomes the letter, upper-cased by the ASCII rule, and a key pressed with Ctrl or
// Alt gives the letter of its key. Enter, Esc and Tab act on the dialog as usual.
class THotKeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit THotKeyEdit(QWidget* parent = nullptr);

    // Empty or one character.
    const std::string& Letter() const { return FLetter; }
    void SetLetter(const std::string& letter);
    // Keeps the selected text selected, and so shown, when the box loses the focus.
    void SetKeepSelection(bool keep) { FKeepSelection = keep; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowLetter();

    std::string FLetter;
    bool FKeepSelection = false;
};

} // namespace kdx
