#include "SaverWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>

#include <cstdlib>

namespace kdx::saver {

void SaverWindow::SetHeldKeys(const std::set<quint32>& nativeKeys)
{
    for (const quint32 key : nativeKeys)
        heldKeys_[key] = std::nullopt;
}

SaverWindow::SaverWindow(bool preview, InputHandler onInput) : preview_(preview), onInput_(std::move(onInput))
{
    setObjectName("SaverWindow");
    setWindowTitle("KDXSaver.SCR");
    // Full screen: above everything and out of the window manager's hands (no frame, no task
    // bar entry, no panel of the desktop left showing over it), without a pointer.
    if (!preview_) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setCursor(Qt::BlankCursor);
    } else {
        // Inside another window, which has the frame.
        setWindowFlags(Qt::FramelessWindowHint);
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Where the pointer stands now is where it was left; elsewhere than on X the position is
    // known only from the first movement reported.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        anchor_ = QCursor::pos();
}

QSize SaverWindow::DeviceSize() const { return size() * devicePixelRatio(); }

void SaverWindow::ShowPicture(const ScreenPicture& picture)
{
    picture_ = picture;
    line_.clear();
    update();
}

void SaverWindow::ShowLine(const QString& line)
{
    picture_ = {};
    line_ = line;
    update();
}

void SaverWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!picture_.image.isNull()) {
        // Prepared in device pixels: drawn one to one, wherever the screen's scale lies.
        const qreal ratio = devicePixelRatio();
        const QRectF target(picture_.target.x() / ratio, picture_.target.y() / ratio, picture_.target.width() / ratio,
            picture_.target.height() / ratio);
        painter.drawImage(target, picture_.image);
    }
    if (!line_.isEmpty()) {
        painter.setPen(QColor(200, 200, 200));
        painter.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap, line_);
    }
}

void SaverWindow::Input()
{
    if (!preview_ && onInput_)
        onInput_();
}

void SaverWindow::keyPressEvent(QKeyEvent* event)
{
    const auto held = heldKeys_.find(event->nativeScanCode());
    if (held == heldKeys_.end()) {
        Input();
        return;
    }
    // The server repeats a held key as a release and a press at the same moment; a press after
    // a real release is the user's.
    const std::optional<quint64> released = held->second;
    if (released && event->timestamp() > *released + AutoRepeatGapMs)
        Input();
}

void SaverWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (const auto held = heldKeys_.find(event->nativeScanCode()); held != heldKeys_.end())
        held->second = event->timestamp();
}

void SaverWindow::mousePressEvent(QMouseEvent*) { Input(); }

void SaverWindow::wheelEvent(QWheelEvent*) { Input(); }

void SaverWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->globalPosition().toPoint();
    if (!anchor_) {
        anchor_ = at;
        return;
    }
    if (std::abs(at.x() - anchor_->x()) > MouseJitterPixels || std::abs(at.y() - anchor_->y()) > MouseJitterPixels)
        Input();
}

} // namespace kdx::saver
