#pragma once
#include <string>

namespace kdx {

enum class MessageIcon { Warning, Information, Error };

// The caption of the agent's windows and of its error report.
inline constexpr const char* ProgramTitle = "Kaleidra Agent";

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

// The agent's general error report: the text of an error that ended a command, in a box with
// the program's title, or on the standard error stream while no box is installed.
void ReportError(const std::string& text);

} // namespace kdx
