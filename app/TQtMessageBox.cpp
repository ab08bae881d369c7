#include "TQtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace kdx {

int TQtMessageBox::Show(const std::string& caption, const std::string& text, MessageIcon icon)
{
    const QMessageBox::Icon shown = icon == MessageIcon::Error ? QMessageBox::Critical
        : icon == MessageIcon::Warning                         ? QMessageBox::Warning
                                                               : QMessageBox::Information;
    QMessageBox box(shown, QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
        QApplication::activeWindow());
    if (icon == MessageIcon::Error)
        box.setObjectName("ErrorReport");
    box.exec();
    return IdOk;
}

} // namespace kdx
