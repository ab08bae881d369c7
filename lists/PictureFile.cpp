#include "PictureFile.h"

#include "platform/AsciiCase.h"
#include "platform/Files.h"
#include "settings/Errors.h"
#include "shell/JpegDecoder.h"

#include <QFile>
#include <QImageReader>

#include <cstdio>
#include <memory>

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
    // Opened by our own call, which never waits on a named pipe or a device.
    std::string problem;
    std::FILE* opened = platform::OpenRegularFile(path, &problem);
    if (!opened)
        RaiseCannotOpen(path, problem);
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closing(opened, &std::fclose);
    QFile file;
    if (!file.open(opened, QIODevice::ReadOnly))
        Raise(texts::CannotOpenFile, path);
    QImageReader reader(&file, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull())
        throw EKaleidraError("Bitmap image is not valid: " + path);
    return image;
}

} // namespace

bool IsPictureName(const std::string& name)
{
    const std::string ext = LowerExtension(name);
    return ext == ".jpg" || ext == ".jpeg" || ext == ".bmp";
}

void CheckPictureName(const std::string& path)
{
    const std::string ext = LowerExtension(path.substr(path.find_last_of("/\\") + 1));
    if (ext != ".jpg" && ext != ".jpeg" && ext != ".bmp")
        throw EKaleidraError("Unknown picture file extension (" + ext + ")");
}

QImage LoadPicture(const std::string& path)
{
    CheckPictureName(path);
    const std::string ext = LowerExtension(path.substr(path.find_last_of("/\\") + 1));
    return ext == ".bmp" ? LoadBitmap(path) : LoadJpeg(path);
}

} // namespace kdx
