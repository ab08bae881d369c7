#include "TApplication.h"

#include "TfrmMain.h"

#include <QMessageBox>

#include <exception>

namespace kdx {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(texts::AgentTitle);
    // The tray keeps the agent alive while its window is hidden; only the ways out end it.
    setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowError(QString::fromStdString(error.what()));
    } catch (...) {
        ShowError("An unknown error occurred.");
    }
    return false;
}

void TApplication::ShowError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, texts::AgentTitle, text, QMessageBox::Ok, activeWindow());
    box.setObjectName("ErrorReport");
    box.exec();
}

} // namespace kdx
