#pragma once
#include "saver/SaverSystem.h"

#include <functional>

namespace kdx::saver::win32 {

// The user's input anywhere, seen through the system's low-level keyboard and mouse hooks, so
// that it ends the companion also where a screensaver program's window lies over the
// companion's own: a key pressed (one held down at the start counts only once it was released),
// a mouse button or wheel, or a movement of more than MovePixels from where the pointer stood at
// the start. The hooks run on the thread that made them, inside its message loop. One at a time.
class InputHooks final : public IHeld {
public:
    explicit InputHooks(std::function<void()> input);
    ~InputHooks() override;
    InputHooks(const InputHooks&) = delete;
    InputHooks& operator=(const InputHooks&) = delete;
};

} // namespace kdx::saver::win32
