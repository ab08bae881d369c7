#pragma once
#include "PictureLayout.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <atomic>
#include <string>
#include <vector>

namespace kdx::saver {

// A picture made ready for one screen size: the image at the size it is drawn, and where.
struct ScreenPicture {
    QSize screen; // device pixels
    QImage image;
    QRect target;
};

// Raised when a preparation is called off.
struct PreparationCancelled { };

// Reads a picture for each of the screen sizes (device pixels), placed as Mode says, decoded
// only as far as those screens need: JPEG through the project's decoder (scaled and cut by
// libjpeg), Windows bitmaps through the agent's bitmap reader; the kind is told by the file's
// first bytes. Raises an error for a picture that cannot be read, and PreparationCancelled as
// soon as Cancel turns true.
std::vector<ScreenPicture> PreparePicture(
    const std::string& path, SizeMode mode, const std::vector<QSize>& screens, const std::atomic<bool>& cancel);

} // namespace kdx::saver
