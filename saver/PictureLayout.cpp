#include "PictureLayout.h"

#include <algorithm>
#include <cstdint>

namespace kdx::saver {

namespace {

// One dimension at its own size: centred, or its middle when larger than the screen.
void Centre(unsigned picture, unsigned screen, unsigned& sourceAt, unsigned& sourceLength, unsigned& targetAt)
{
    sourceLength = std::min(picture, screen);
    sourceAt = (picture - sourceLength) / 2;
    targetAt = (screen - sourceLength) / 2;
}

unsigned RoundedRatio(std::uint64_t a, std::uint64_t b, std::uint64_t c) // a * b / c, rounded
{
    return unsigned(std::max<std::uint64_t>(1, (a * b + c / 2) / c));
}

} // namespace

Placement PlacePicture(unsigned pw, unsigned ph, unsigned sw, unsigned sh, SizeMode mode)
{
    Placement p;
    switch (mode) {
    case SizeMode::FullScreen:
        p.source = {0, 0, pw, ph};
        p.target = {0, 0, sw, sh};
        break;
    case SizeMode::Fit: {
        p.source = {0, 0, pw, ph};
        unsigned tw = sw, th = sh;
        if (std::uint64_t(pw) * sh >= std::uint64_t(ph) * sw)
            th = std::min(sh, RoundedRatio(ph, sw, pw));
        else
            tw = std::min(sw, RoundedRatio(pw, sh, ph));
        p.target = {(sw - tw) / 2, (sh - th) / 2, tw, th};
        break;
    }
    case SizeMode::FullSize:
        Centre(pw, sw, p.source.x, p.source.width, p.target.x);
        Centre(ph, sh, p.source.y, p.source.height, p.target.y);
        p.target.width = p.source.width;
        p.target.height = p.source.height;
        break;
    }
    return p;
}

picture::DecodeRegion JpegRegionFor(const Placement& p, unsigned pw, unsigned ph)
{
    unsigned k = 1;
    // libjpeg's scaled size of N pixels is N * k / 8 rounded up.
    const auto scaled = [](unsigned n, unsigned k) { return unsigned((std::uint64_t(n) * k + 7) / 8); };
    while (k < 8
        && (std::uint64_t(p.source.width) * k < std::uint64_t(p.target.width) * 8
            || std::uint64_t(p.source.height) * k < std::uint64_t(p.target.height) * 8))
        ++k;
    picture::DecodeRegion region;
    region.scaleEighths = k;
    if (p.source.width == pw && p.source.height == ph)
        return region; // the whole picture
    region.x = unsigned(std::uint64_t(p.source.x) * k / 8);
    region.y = unsigned(std::uint64_t(p.source.y) * k / 8);
    region.width = scaled(p.source.x + p.source.width, k) - region.x;
    region.height = scaled(p.source.y + p.source.height, k) - region.y;
    return region;
}

unsigned BitmapStepFor(const Placement& p)
{
    if (p.target.width == 0 || p.target.height == 0)
        return 1;
    return std::max(1u, std::min(p.source.width / p.target.width, p.source.height / p.target.height));
}

} // namespace kdx::saver
