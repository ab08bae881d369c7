#include "MonitorBitmap.h"

#include "BitmapFile.h"
#include "platform/AsciiCase.h"
#include "platform/Platform.h"
#include "settings/Errors.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

namespace kdx::picture {

bool IsJpegPath(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t separator = path.find_last_of(platform::PathDelim == '\\' ? "\\:" : "/");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return false;
    const std::string extension = LowerAscii(path.substr(dot));
    return extension == ".jpg" || extension == ".jpeg";
}

MonitorLayout MonitorLayoutOf(int style)
{
    switch (style) {
    case 1:
        return MonitorLayout::Tile;
    case 2:
        return MonitorLayout::Stretch;
    default:
        return MonitorLayout::Center;
    }
}

namespace {

// For each pixel of the monitor along one axis, the picture's pixel it shows (the picture being
// Size pixels long on that axis), or -1 where the monitor stays black. Pixels are sampled at
// their centres.
std::vector<long> AxisMap(MonitorLayout layout, unsigned size, unsigned target)
{
    std::vector<long> map(target, -1);
    // Where the picture's first pixel lands when centred: before the monitor's first pixel when
    // the picture is the larger, so that its middle shows.
    const long offset = target >= size ? long(target - size) / 2 : -long(size - target) / 2;
    for (unsigned i = 0; i < target; ++i) {
        switch (layout) {
        case MonitorLayout::Tile:
            map[i] = long(i % size);
            break;
        case MonitorLayout::Stretch:
            map[i] = long((std::uint64_t(2 * i + 1) * size) / (std::uint64_t(2) * target));
            break;
        case MonitorLayout::Center:
            if (const long s = long(i) - offset; s >= 0 && s < long(size))
                map[i] = s;
            break;
        }
    }
    return map;
}

// The scaling in eighths libjpeg decodes a picture at for a monitor: the smallest of a half, a
// quarter or an eighth that still gives the monitor all its pixels, otherwise the whole size.
// (The other eighths have no SIMD inverse transform in libjpeg-turbo and decode slower here
// than the whole size.)
unsigned ScaleFor(unsigned pw, unsigned ph, unsigned tw, unsigned th)
{
    const auto scaled = [](unsigned n, unsigned k) { return unsigned((std::uint64_t(n) * k + 7) / 8); };
    for (const unsigned k : {1u, 2u, 4u})
        if (scaled(pw, k) >= tw && scaled(ph, k) >= th)
            return k;
    return 8;
}

// Writes the monitor's rows in order from the picture's rows as they come: a row of the monitor
// is made once the picture row it shows has arrived, by copying each pixel from the column the
// layout maps it to.
class FittedRows {
public:
    FittedRows(const MonitorBitmapJob& job, const std::string& reportedName)
        : job_(job), layout_(MonitorLayoutOf(job.style)), writer_(job.bitmap, reportedName)
    {
    }

    // The picture's size as it is read (after any scaling), and the first row and column of it
    // that reach this object (the rest is cut off before).
    void Plan(unsigned width, unsigned height)
    {
        columns_ = AxisMap(layout_, width, job_.width);
        rows_ = AxisMap(layout_, height, job_.height);
        tileHeight_ = layout_ == MonitorLayout::Tile ? height : 0;
    }
    const std::vector<long>& Columns() const { return columns_; }
    const std::vector<long>& Rows() const { return rows_; }
    void Shift(long left, long top)
    {
        for (long& c : columns_)
            c = c < 0 ? c : c - left;
        for (long& r : rows_)
            r = r < 0 ? r : r - top;
    }

    void Begin() { writer_.Begin(job_.width, job_.height); }

    // The monitor rows that show picture rows before End, given that rows First .. End - 1 are
    // in Row(r) now; black rows on the way are written too.
    template <typename RowOf> void WriteUntil(long first, long end, RowOf rowOf)
    {
        while (next_ < job_.height && rows_[next_] < end) {
            std::uint8_t* out = nullptr;
            writer_.Reserve(next_, 1, &out);
            const long source = rows_[next_];
            const std::size_t bytes = std::size_t(job_.width) * 3;
            if (source < 0) {
                std::memset(out, 0, bytes);
            } else if (tileHeight_ && next_ >= tileHeight_) {
                std::memcpy(out, tile_.data() + std::size_t(next_ % tileHeight_) * bytes, bytes);
            } else if (source == lastSource_ || source < first) {
                std::memcpy(out, last_.data(), bytes);
            } else {
                rowOf(source, out);
            }
            if (source >= 0 && !(tileHeight_ && next_ >= tileHeight_)) {
                last_.assign(out, out + bytes);
                lastSource_ = source;
                if (tileHeight_ && job_.height > tileHeight_)
                    tile_.insert(tile_.end(), out, out + bytes);
            }
            writer_.Commit(++next_);
        }
    }

    void Finish()
    {
        WriteUntil(LONG_MAX, LONG_MAX, [](long, std::uint8_t*) {});
        writer_.Finish();
    }

private:
    const MonitorBitmapJob& job_;
    MonitorLayout layout_;
    BitmapWriter writer_;
    std::vector<long> columns_, rows_;
    unsigned tileHeight_ = 0, next_ = 0;
    long lastSource_ = -1;
    std::vector<std::uint8_t> last_, tile_;
};

// Decodes the part of a JPEG picture that the monitor shows, at the scale chosen for it.
class FittedJpeg final : public RowSink {
public:
    FittedJpeg(const MonitorBitmapJob& job, const std::string& reportedName) : job_(job), rows_(job, reportedName) { }

    DecodeRegion Choose(unsigned width, unsigned height) override
    {
        const unsigned k = MonitorLayoutOf(job_.style) == MonitorLayout::Stretch
            ? ScaleFor(width, height, job_.width, job_.height)
            : 8;
        rows_.Plan(unsigned((std::uint64_t(width) * k + 7) / 8), unsigned((std::uint64_t(height) * k + 7) / 8));
        const auto [left, right] = Span(rows_.Columns());
        const auto [top, bottom] = Span(rows_.Rows());
        rows_.Shift(left, top);
        return {k, unsigned(left), unsigned(top), unsigned(right - left), unsigned(bottom - top)};
    }

    void Begin(unsigned width, unsigned) override
    {
        stride_ = std::size_t(width) * 3;
        batch_.resize(stride_ * MaxRows);
        rows_.Begin();
    }

    unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) override
    {
        first_ = y;
        const unsigned n = std::min(max, MaxRows);
        for (unsigned i = 0; i < n; ++i)
            rows[i] = batch_.data() + i * stride_;
        return n;
    }

    void Commit(unsigned endY) override
    {
        const std::vector<long>& columns = rows_.Columns();
        rows_.WriteUntil(first_, endY, [this, &columns](long source, std::uint8_t* out) {
            const std::uint8_t* in = batch_.data() + std::size_t(source - first_) * stride_;
            for (std::size_t x = 0; x < columns.size(); ++x, out += 3) {
                if (columns[x] < 0) {
                    out[0] = out[1] = out[2] = 0;
                } else {
                    std::memcpy(out, in + columns[x] * 3, 3);
                }
            }
        });
    }

    void Finish() { rows_.Finish(); }

private:
    static constexpr unsigned MaxRows = 16;

    // The first and one past the last picture pixel a map uses; a picture wholly off the
    // monitor cannot happen (every layout shows some of it), but gives one pixel.
    static std::pair<long, long> Span(const std::vector<long>& map)
    {
        long low = LONG_MAX, high = -1;
        for (const long v : map)
            if (v >= 0) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        return high < 0 ? std::pair<long, long> {0, 1} : std::pair<long, long> {low, high + 1};
    }

    const MonitorBitmapJob& job_;
    FittedRows rows_;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> batch_;
    unsigned first_ = 0;
};

void FitBitmap(const MonitorBitmapJob& job, const std::string& reportedName)
{
    const std::unique_ptr<platform::IBitmapPixels> picture = platform::Current().files->OpenBitmap(job.picture);
    if (!picture || picture->Width() == 0 || picture->Height() == 0)
        Raise(texts::CannotOpenFile, job.picture);
    FittedRows rows(job, reportedName);
    rows.Plan(picture->Width(), picture->Height());
    rows.Begin();
    const std::vector<long>& columns = rows.Columns();
    rows.WriteUntil(0, long(picture->Height()), [&picture, &columns](long source, std::uint8_t* out) {
        for (std::size_t x = 0; x < columns.size(); ++x, out += 3) {
            const std::uint32_t rgb = columns[x] < 0 ? 0 : picture->Pixel(unsigned(columns[x]), unsigned(source));
            out[0] = std::uint8_t(rgb);
            out[1] = std::uint8_t(rgb >> 8);
            out[2] = std::uint8_t(rgb >> 16);
        }
    });
    rows.Finish();
}

// A monitor's bitmap opened for reading its rows: our own bottom-up 24-bit kind only.
class BitmapRows {
public:
    BitmapRows(const std::string& path, unsigned width, unsigned height)
        : file_(std::fopen(path.c_str(), "rb")), width_(width), height_(height)
    {
        std::uint8_t header[54] = {};
        if (file_ && std::fread(header, 1, sizeof header, file_) == sizeof header) {
            const auto expected = BitmapHeader(width, height);
            ok_ = std::equal(expected.begin(), expected.begin() + 30, header);
        }
    }
    ~BitmapRows()
    {
        if (file_)
            std::fclose(file_);
    }
    BitmapRows(const BitmapRows&) = delete;
    BitmapRows& operator=(const BitmapRows&) = delete;

    // Row Y (from the top) into Out, which holds Width pixels; false when it cannot be read.
    bool Read(unsigned y, std::uint8_t* out)
    {
        const std::uint64_t stride = BitmapStride(width_);
        return ok_ && std::fseek(file_, long(54 + (height_ - 1 - y) * stride), SEEK_SET) == 0
            && std::fread(out, 1, std::size_t(width_) * 3, file_) == std::size_t(width_) * 3;
    }

private:
    std::FILE* file_;
    unsigned width_, height_;
    bool ok_ = false;
};

} // namespace

void MakeMonitorBitmap(const MonitorBitmapJob& job, const std::string& reportedName)
{
    if (!IsJpegPath(job.picture)) {
        FitBitmap(job, reportedName);
        return;
    }
    FittedJpeg sink(job, reportedName);
    DecodeJpeg(JpegInput::File(job.picture), PixelOrder::Bgr, sink);
    sink.Finish();
}

void MakeMonitorBitmaps(const std::vector<MonitorBitmapJob>& jobs, const char* suffix)
{
    std::vector<std::exception_ptr> errors(jobs.size());
    std::atomic<std::size_t> next {0};
    const auto work = [&] {
        for (std::size_t i; (i = next++) < jobs.size();) {
            MonitorBitmapJob part = jobs[i];
            part.bitmap += suffix;
            try {
                MakeMonitorBitmap(part, jobs[i].bitmap);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        }
    };
    // The calling thread takes its share; the others come only when there is more than one job.
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < std::min(cores, jobs.size()); ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();

    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (errors[i]) {
            for (const MonitorBitmapJob& job : jobs)
                std::remove((job.bitmap + suffix).c_str());
            std::rethrow_exception(errors[i]);
        }
    for (const MonitorBitmapJob& job : jobs) {
        const std::string part = job.bitmap + suffix;
        // Windows renames only onto a name that is free.
        if (std::rename(part.c_str(), job.bitmap.c_str()) != 0
            && (std::remove(job.bitmap.c_str()), std::rename(part.c_str(), job.bitmap.c_str()) != 0)) {
            std::remove(part.c_str());
            Raise(texts::CannotCreateFile, job.bitmap);
        }
    }
}

bool ComposeSpannedBitmap(const std::vector<platform::MonitorWallpaper>& monitors, const std::string& bitmap)
{
    if (monitors.empty())
        return false;
    long left = LONG_MAX, top = LONG_MAX, right = LONG_MIN, bottom = LONG_MIN;
    for (const platform::MonitorWallpaper& m : monitors) {
        left = std::min(left, long(m.monitor.x));
        top = std::min(top, long(m.monitor.y));
        right = std::max(right, long(m.monitor.x) + long(m.monitor.width));
        bottom = std::max(bottom, long(m.monitor.y) + long(m.monitor.height));
    }
    const auto width = unsigned(right - left), height = unsigned(bottom - top);
    std::vector<std::unique_ptr<BitmapRows>> sources;
    for (const platform::MonitorWallpaper& m : monitors)
        sources.push_back(std::make_unique<BitmapRows>(m.bitmap, m.monitor.width, m.monitor.height));
    try {
        BitmapWriter writer(bitmap, {});
        writer.Begin(width, height);
        for (unsigned y = 0; y < height; ++y) {
            std::uint8_t* row = nullptr;
            writer.Reserve(y, 1, &row);
            std::memset(row, 0, std::size_t(width) * 3);
            for (std::size_t i = 0; i < monitors.size(); ++i) {
                const platform::Monitor& m = monitors[i].monitor;
                const long inside = long(y) + top - m.y;
                if (inside >= 0 && inside < long(m.height))
                    sources[i]->Read(unsigned(inside), row + std::size_t(m.x - left) * 3);
            }
            writer.Commit(y + 1);
        }
        writer.Finish();
    } catch (const EKaleidraError&) {
        return false;
    }
    return true;
}

} // namespace kdx::picture
