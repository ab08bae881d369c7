#pragma once
#include <string>

namespace kdx {

enum class MessageIcon { Warning, Information };

// A modal message box with one "OK" button. The agent puts its Qt implementation in place at
// start-up; below the user interface nothing else shows messages.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Returns when the user has closed the box; the result is the button pressed (always OK).
    virtual int Show(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
};

// The message box in use; null until the agent installs one.
IMessageBox* CurrentMessageBox();
void SetMessageBox(IMessageBox* box);

inline constexpr int IdOk = 1;

} // namespace kdx
