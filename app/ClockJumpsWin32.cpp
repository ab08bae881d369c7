#include "ClockJumps.h"

namespace kdx {

// Windows: no watch yet; the rotation's sleeps are bounded, so a jump is noticed at the next
// wake-up.
struct ClockJumps::Watch { };

ClockJumps::ClockJumps(std::function<void()>) : watch_(std::make_unique<Watch>()) { }

ClockJumps::~ClockJumps() = default;

} // namespace kdx
