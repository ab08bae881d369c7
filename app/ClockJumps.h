#pragma once
#include <functional>
#include <memory>

namespace kdx {

// Tells its owner when the wall clock jumps: the system time is set, or the machine wakes from
// sleep, during which a timer measuring elapsed time stood still. A timer armed for a wall-clock
// instant must then be armed again. Where the system offers no such notice it tells nothing,
// and the owner's sleeps must be short enough on their own.
class ClockJumps {
public:
    explicit ClockJumps(std::function<void()> jumped);
    ~ClockJumps();
    ClockJumps(const ClockJumps&) = delete;
    ClockJumps& operator=(const ClockJumps&) = delete;

private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

} // namespace kdx
