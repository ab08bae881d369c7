#include "ClockJumps.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace kdx {

// A wall-clock timer set far ahead that the kernel cancels on every discontinuous change of the
// wall clock, including the one at resume; it never fires for its own time.
struct ClockJumps::Watch {
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;

    bool Arm() const
    {
        itimerspec far {};
        far.it_value.tv_sec = std::int64_t(1) << 40;
        return timerfd_settime(fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) == 0;
    }
};

ClockJumps::ClockJumps(std::function<void()> jumped) : watch_(std::make_unique<Watch>())
{
    watch_->fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (watch_->fd < 0 || !watch_->Arm())
        return;
    watch_->notifier = std::make_unique<QSocketNotifier>(watch_->fd, QSocketNotifier::Read);
    QObject::connect(watch_->notifier.get(), &QSocketNotifier::activated, [watch = watch_.get(), jumped] {
        std::uint64_t expirations = 0;
        if (read(watch->fd, &expirations, sizeof expirations) < 0 && errno == ECANCELED) {
            watch->Arm();
            jumped();
        }
    });
}

ClockJumps::~ClockJumps()
{
    watch_->notifier.reset();
    if (watch_->fd >= 0)
        close(watch_->fd);
}

} // namespace kdx
