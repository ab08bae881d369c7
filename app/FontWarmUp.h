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

// Picks the engine that draws the text, before the application starts; a platform the user
// names (QT_QPA_PLATFORM, -platform) keeps its own. On Linux Qt's own (fontconfig and FreeType)
// is the one. On Windows it is FreeType as well, not the system's GDI: GDI under Wine draws the
// small sizes of a face with built-in bitmaps (Wine's Tahoma) partly outside the box that Qt
// measured for each glyph, and Qt cuts the strokes off there; FreeType renders every glyph from
// the face's outlines itself, on Wine and Windows alike, and measures as the Linux agent does.
void ChooseFontEngine();

} // namespace kdx
