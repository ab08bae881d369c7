#include "TQtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace kdx {

int TQtMessageBox::Show(const std::string& caption, const std::string& text, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Information,
        QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
    return IdOk;
}

} // namespace kdx
