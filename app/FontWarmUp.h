#pragma once
#include <thread>

namespace kdx {

// Reads the font configuration on another core while the application connects to the display,
// so the window's first text finds it ready: on Linux reading it (fontconfig) is a good part of
// the start-up. Windows keeps its fonts ready in the system; there it reads nothing.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread thread_;
};

} // namespace kdx
