#pragma once
#include "ScreenPicture.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace kdx::saver {

// The pointer may move this many pixels, in either direction, from where it was first seen
// before the screensaver counts it as the user's movement: a desk's bump is not.
inline constexpr int MouseJitterPixels = 10;
// A key's release and press this close together (in milliseconds) are the server's repeat of
// a key held down, not the user's.
inline constexpr quint64 AutoRepeatGapMs = 2;

// One screen's window of the screensaver: black, without a pointer, showing the current
// picture or a line of text. Any key pressed, any mouse button or wheel, or a real movement of
// the pointer calls the input handler (not in a preview); keys already held when it started,
// such as the hot key that started it, count only once released and pressed again.
class SaverWindow final : public QWidget {
public:
    using InputHandler = std::function<void()>;

    // Full screen above everything, or a preview inside another window.
    SaverWindow(bool preview, InputHandler onInput);

    void SetHeldKeys(const std::set<quint32>& nativeKeys);
    // The screen's size in device pixels, which pictures are prepared for.
    QSize DeviceSize() const;
    void ShowPicture(const ScreenPicture& picture);
    void ShowLine(const QString& line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Input();

    bool preview_;
    InputHandler onInput_;
    // The keys held at start, each with the time it was last released, if it was.
    std::map<quint32, std::optional<quint64>> heldKeys_;
    std::optional<QPoint> anchor_;
    ScreenPicture picture_;
    QString line_;
};

} // namespace kdx::saver
