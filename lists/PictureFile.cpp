#include "PictureFile.h"

#include "platform/AsciiCase.h"
#include "settings/Errors.h"
#include "shell/JpegDecoder.h"

#include <QImageReader>

namespace kdx {

namespace {

std::string LowerExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return LowerAscii(dot == std::string::npos ? std::string() : name.substr(dot));
}

QImage LoadJpeg(const std::string& path)
{
    picture::RgbPicture rgb = picture::DecodeJpegPicture(picture::JpegInput::File(path));
    QImage image(int(rgb.width), int(rgb.height), QImage::Format_RGB888);
    const size_t rowBytes = size_t(rgb.width) * 3;
    for (unsigned y = 0; y < rgb.height; ++y)
        std::copy_n(rgb.pixels.data() + y * rowBytes, rowBytes, image.scanLine(int(y)));
    return image;
}

QImage LoadBitmap(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path), "bmp");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull()) {
        if (reader.error() == QImageReader::FileNotFoundError)
            Raise(texts::CannotOpenFile, path);
        throw EKaleidraError("Bitmap image is not valid: " + path);
    }
    return image;
}

} // namespace

bool IsPictureName(const std::string& name)
{
    const std::string ext = LowerExtension(name);
    return ext == ".jpg" || ext == ".jpeg" || ext == ".bmp";
}

QImage LoadPicture(const std::string& path)
{
    const std::string ext = LowerExtension(path.substr(path.find_last_of("/\\") + 1));
    if (ext == ".jpg" || ext == ".jpeg")
        return LoadJpeg(path);
    if (ext == ".bmp")
        return LoadBitmap(path);
    throw EKaleidraError("Unknown picture file extension (" + ext + ")");
}

} // namespace kdx
