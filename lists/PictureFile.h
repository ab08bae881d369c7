#pragma once
#include <QImage>

#include <string>

namespace kdx {

// Whether a name has one of the picture extensions the lists take: ".jpg", ".jpeg", ".bmp",
// from its last dot, without regard to A-Z case.
bool IsPictureName(const std::string& name);

// Raises the error LoadPicture raises for a name whose extension has no decoder.
void CheckPictureName(const std::string& path);

// Reads a picture with the decoder its extension names: JPEG through the project's own
// decoder, bitmaps through Qt's. Raises an error with a clear text when the extension has no
// decoder or the content does not decode.
QImage LoadPicture(const std::string& path);

} // namespace kdx
