#pragma once
#include <QApplication>

namespace kdx {

// The agent's application object. It is also the general error report: an error that escapes
// any handler is shown in a message box with its text, and the agent goes on running.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error's text the way the general error report does.
    static void ShowError(const QString& text);
};

} // namespace kdx
