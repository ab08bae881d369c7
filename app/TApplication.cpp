#include "TApplication.h"

#include "shell/ReportErrors.h"

namespace kdx {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(ProgramTitle);
    // The tray keeps the agent alive while its window is hidden; only the ways out end it.
    setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    ReportErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace kdx
