#pragma once
#include "shell/JpegDecoder.h"

namespace kdx::saver {

struct Box {
    unsigned x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

// [Image] Size, as the picture editor's hints promise it.
enum class SizeMode {
    FullSize = 0, // the picture at its own size, centred; a larger one shows its middle
    Fit = 1, // as large as the screen allows, keeping its shape, centred
    FullScreen = 2, // stretched over the whole screen
};

// Which part of a picture shows (Source, in the picture's pixels) and where on the screen it
// goes (Target, in the screen's pixels); the rest of the screen stays black.
struct Placement {
    Box source;
    Box target;
    bool operator==(const Placement&) const = default;
};

Placement PlacePicture(
    unsigned pictureWidth, unsigned pictureHeight, unsigned screenWidth, unsigned screenHeight, SizeMode mode);

// What libjpeg needs to decode for a placement: the smallest scaling by eighths that still
// gives at least the target's pixels (a picture shown smaller than it is never costs its full
// size), and the source part in the scaled picture's pixels.
picture::DecodeRegion JpegRegionFor(const Placement& placement, unsigned pictureWidth, unsigned pictureHeight);

// The same for a bitmap, which has no scaled decoding: every how-manyeth pixel to read, so
// that the source still has at least the target's pixels.
unsigned BitmapStepFor(const Placement& placement);

} // namespace kdx::saver
