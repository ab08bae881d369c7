#include "ClockJumps.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace kdx {

// Windows tells every top-level window when the system time is set (WM_TIMECHANGE) and when
// the machine wakes (WM_POWERBROADCAST with a resume event); the agent's window is one.
struct ClockJumps::Watch final : QAbstractNativeEventFilter {
    std::function<void()> jumped;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "windows_generic_MSG")
            return false;
        const MSG& msg = *static_cast<const MSG*>(message);
        const bool resumed = msg.message == WM_POWERBROADCAST
            && (msg.wParam == PBT_APMRESUMEAUTOMATIC || msg.wParam == PBT_APMRESUMESUSPEND);
        if (msg.message == WM_TIMECHANGE || resumed)
            jumped();
        return false;
    }
};

ClockJumps::ClockJumps(std::function<void()> jumped) : watch_(std::make_unique<Watch>())
{
    watch_->jumped = std::move(jumped);
    QCoreApplication::instance()->installNativeEventFilter(watch_.get());
}

ClockJumps::~ClockJumps()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeNativeEventFilter(watch_.get());
}

} // namespace kdx
