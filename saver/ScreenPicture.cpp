#include "ScreenPicture.h"

#include "platform/Platform.h"
#include "settings/Errors.h"

#include <QSysInfo>

#include <cstdio>

namespace kdx::saver {

namespace {

enum class PictureKind { Jpeg, Bitmap, Unknown };

PictureKind KindOf(const std::string& path)
{
    unsigned char magic[3] = {};
    // A named pipe or a device in the list would hold the reading thread for ever.
    std::string problem;
    std::FILE* in = platform::OpenRegularFile(path, &problem);
    if (!in)
        RaiseCannotOpen(path, problem);
    const std::size_t got = std::fread(magic, 1, 3, in);
    std::fclose(in);
    if (got < 3)
        return PictureKind::Unknown;
    if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return PictureKind::Jpeg;
    if (magic[0] == 'B' && magic[1] == 'M')
        return PictureKind::Bitmap;
    return PictureKind::Unknown;
}

void CheckCancel(const std::atomic<bool>& cancel)
{
    if (cancel.load(std::memory_order_relaxed))
        throw PreparationCancelled();
}

QImage NewImage(unsigned width, unsigned height, QImage::Format format)
{
    QImage image(int(width), int(height), format);
    if (image.isNull())
        throw EKaleidraError(
            "Not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    return image;
}

// The decoder's pixels laid out as the image's 32-bit words are.
constexpr picture::PixelOrder WordOrder
    = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? picture::PixelOrder::Bgrx : picture::PixelOrder::Xrgb;

// Receives the decoded part of a JPEG picture into an image.
class ImageSink final : public picture::RowSink {
public:
    ImageSink(QSize screen, SizeMode mode, const std::atomic<bool>& cancel)
        : screen_(screen), mode_(mode), cancel_(cancel)
    {
    }

    picture::DecodeRegion Choose(unsigned width, unsigned height) override
    {
        placement = PlacePicture(width, height, unsigned(screen_.width()), unsigned(screen_.height()), mode_);
        return JpegRegionFor(placement, width, height);
    }

    void Begin(unsigned width, unsigned height) override { image = NewImage(width, height, QImage::Format_RGB32); }

    unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) override
    {
        CheckCancel(cancel_);
        for (unsigned i = 0; i < max; ++i)
            rows[i] = image.scanLine(int(y + i));
        return max;
    }

    void Commit(unsigned) override { }

    Placement placement;
    QImage image;

private:
    QSize screen_;
    SizeMode mode_;
    const std::atomic<bool>& cancel_;
};

// The shown part of a bitmap, every Step-th pixel of it.
QImage ReadBitmapPart(
    const platform::IBitmapPixels& bitmap, const Placement& placement, unsigned step, const std::atomic<bool>& cancel)
{
    const Box& s = placement.source;
    QImage image = NewImage((s.width + step - 1) / step, (s.height + step - 1) / step, QImage::Format_RGB32);
    for (int row = 0; row < image.height(); ++row) {
        CheckCancel(cancel);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
        const unsigned y = s.y + unsigned(row) * step;
        for (int column = 0; column < image.width(); ++column)
            out[column] = 0xFF000000u | bitmap.Pixel(s.x + unsigned(column) * step, y);
    }
    return image;
}

// The part at the size it is drawn, in the format the screen takes without conversion.
ScreenPicture Finish(QSize screen, const Placement& placement, QImage part)
{
    const QRect target(
        int(placement.target.x), int(placement.target.y), int(placement.target.width), int(placement.target.height));
    if (part.size() != target.size())
        part = part.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return {screen, part.convertToFormat(QImage::Format_RGB32), target};
}

ScreenPicture PrepareJpeg(const std::string& path, QSize screen, SizeMode mode, const std::atomic<bool>& cancel)
{
    ImageSink sink(screen, mode, cancel);
    picture::DecodeJpeg(picture::JpegInput::File(path), WordOrder, sink);
    return Finish(screen, sink.placement, std::move(sink.image));
}

} // namespace

std::vector<ScreenPicture> PreparePicture(
    const std::string& path, SizeMode mode, const std::vector<QSize>& screens, const std::atomic<bool>& cancel)
{
    const PictureKind kind = KindOf(path);
    std::vector<ScreenPicture> prepared;
    if (kind == PictureKind::Jpeg) {
        for (const QSize& screen : screens)
            prepared.push_back(PrepareJpeg(path, screen, mode, cancel));
        return prepared;
    }
    const std::unique_ptr<platform::IBitmapPixels> bitmap
        = kind == PictureKind::Unknown ? nullptr : platform::Current().files->OpenBitmap(path);
    if (!bitmap)
        throw EKaleidraError("Not a JPEG picture or a Windows bitmap: " + path);
    for (const QSize& screen : screens) {
        const Placement placement = PlacePicture(
            bitmap->Width(), bitmap->Height(), unsigned(screen.width()), unsigned(screen.height()), mode);
        prepared.push_back(
            Finish(screen, placement, ReadBitmapPart(*bitmap, placement, BitmapStepFor(placement), cancel)));
    }
    return prepared;
}

} // namespace kdx::saver
