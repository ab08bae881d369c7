// The reference for the agent's start in the tray: the least a Qt 6 Widgets program does to put
// an icon in the tray.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPixmap picture(16, 16);
    picture.fill(Qt::darkCyan);
    QSystemTrayIcon icon {QIcon(picture)};
    icon.show();
    return app.exec();
}
