#include "JpegDecoder.h"

#include "platform/Files.h"
#include "settings/Errors.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace kdx::picture {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return. It jumps back
// into Decoder::Run, whose frame holds nothing with a destructor; the Decoder object, which
// owns everything libjpeg allocated, is cleaned up normally by its caller.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ExitOnError(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings are not shown: like djpeg's output, the picture is what could be decoded.
void DropMessage(j_common_ptr) { }

// Processor time of the calling thread, in milliseconds.
std::int64_t ThreadMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// Why a decode was ended by our own limits rather than by libjpeg.
enum class Refusal { None, Pixels, Scans, Time, Input };

// libjpeg's progress monitor, called for every row of blocks of every scan it reads and every
// row group it puts out, and our check on every buffer of input it takes: it ends a decode past
// the limits of scans, processor time or input. libjpeg reads on through any length of bytes
// while it looks for a marker (a file whose end marker is missing, followed by gigabytes of
// zeros) without calling the monitor, so the input is counted where it is read.
struct ProgressMonitor {
    jpeg_progress_mgr pub;
    int maxScans;
    std::int64_t deadline;
    std::uint64_t inputRead = 0, maxInput = 0;
    boolean (*fillInput)(j_decompress_ptr) = nullptr;
    Refusal refusal = Refusal::None;
};

[[noreturn]] void Refuse(j_common_ptr cinfo, Refusal refusal)
{
    reinterpret_cast<ProgressMonitor*>(cinfo->progress)->refusal = refusal;
    cinfo->err->msg_code = JERR_IMAGE_TOO_BIG;
    cinfo->err->msg_parm.i[0] = JPEG_MAX_DIMENSION;
    (*cinfo->err->error_exit)(cinfo);
    std::abort(); // error_exit never returns
}

void CheckProgress(j_common_ptr cinfo)
{
    const auto* monitor = reinterpret_cast<const ProgressMonitor*>(cinfo->progress);
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > monitor->maxScans)
        Refuse(cinfo, Refusal::Scans);
    if (ThreadMilliseconds() > monitor->deadline)
        Refuse(cinfo, Refusal::Time);
}

boolean FillInputChecked(j_decompress_ptr cinfo)
{
    auto* monitor = reinterpret_cast<ProgressMonitor*>(cinfo->progress);
    const boolean filled = monitor->fillInput(cinfo);
    monitor->inputRead += cinfo->src->bytes_in_buffer;
    if (monitor->inputRead > monitor->maxInput)
        Refuse(reinterpret_cast<j_common_ptr>(cinfo), Refusal::Input);
    CheckProgress(reinterpret_cast<j_common_ptr>(cinfo));
    return filled;
}

// Bytes a picture's data may take: more than any encoder writes for its pixels (about 1.5 bytes
// a pixel for noise at the highest quality), and room for metadata; before the frame header,
// the room for metadata alone.
constexpr std::uint64_t MetadataRoom = 64ull << 20;
std::uint64_t MaxInputFor(std::uint64_t pixels, int components) { return MetadataRoom + pixels * 4 * components; }

// Rows asked of libjpeg at once; its own row group (rec_outbuf_height) is at most 4.
constexpr unsigned MaxRowsPerRead = 16;

// Where red, green, blue and the filler (when there is one) lie in a pixel of an order.
struct Layout {
    int red, green, blue, filler;
};

constexpr Layout LayoutOf(PixelOrder order)
{
    switch (order) {
    case PixelOrder::Rgb:
        return {0, 1, 2, -1};
    case PixelOrder::Bgr:
        return {2, 1, 0, -1};
    case PixelOrder::Bgrx:
        return {2, 1, 0, 3};
    default:
        return {1, 2, 3, 0};
    }
}

J_COLOR_SPACE ColorSpaceOf(PixelOrder order)
{
    switch (order) {
    case PixelOrder::Rgb:
        return JCS_RGB;
    case PixelOrder::Bgr:
        return JCS_EXT_BGR;
    case PixelOrder::Bgrx:
        return JCS_EXT_BGRX;
    default:
        return JCS_EXT_XRGB;
    }
}

// CMYK as Adobe writes it (inverted: 255 means no ink), with djpeg's rounding, so a CMYK
// picture comes out as djpeg -bmp shows it.
void CmykRowToRgb(const JSAMPLE* cmyk, std::uint8_t* out, unsigned width, PixelOrder order)
{
    const Layout at = LayoutOf(order);
    const unsigned bytes = PixelBytes(order);
    for (unsigned x = 0; x < width; ++x, cmyk += 4, out += bytes) {
        const unsigned k = cmyk[3];
        out[at.red] = std::uint8_t((cmyk[0] * k + 127) / 255);
        out[at.green] = std::uint8_t((cmyk[1] * k + 127) / 255);
        out[at.blue] = std::uint8_t((cmyk[2] * k + 127) / 255);
        if (at.filler >= 0)
            out[at.filler] = 255;
    }
}

class Decoder {
public:
    Decoder() { std::memset(&cinfo_, 0, sizeof cinfo_); }
    ~Decoder()
    {
        jpeg_destroy_decompress(&cinfo_);
        if (file_)
            std::fclose(file_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    void Open(const JpegInput& input)
    {
        input_ = &input;
        if (input.data)
            return;
        std::string problem;
        file_ = platform::OpenRegularFile(input.path, &problem);
        if (!file_)
            RaiseCannotOpen(input.path, problem);
    }

    static constexpr int Decoded = -1;

    // Decoded, or libjpeg's message number. ExitOnError jumps back here out of Decode, whose
    // frame holds only trivially destructible objects, so the jump skips no destructor.
    int Run(PixelOrder order, RowSink& sink, const DecodeLimits& limits)
    {
        cinfo_.err = jpeg_std_error(&error_.pub);
        error_.pub.error_exit = ExitOnError;
        error_.pub.output_message = DropMessage;
        if (setjmp(error_.jump))
            return error_.pub.msg_code;
        return Decode(order, sink, limits);
    }

    // Why the decode ended, in words: our own limits, or libjpeg's message.
    std::string Reason(int code, const DecodeLimits& limits) const
    {
        switch (progress_.refusal) {
        case Refusal::Pixels:
            return "it has " + std::to_string(cinfo_.image_width) + " x " + std::to_string(cinfo_.image_height)
                + " pixels, more than the " + std::to_string(limits.maxPixels / 1'000'000)
                + " megapixels a picture may have";
        case Refusal::Scans:
            return "it is made of more than " + std::to_string(limits.maxScans)
                + " scans, far more than any program writes";
        case Refusal::Time:
            return "decoding it takes longer than " + std::to_string(limits.maxMilliseconds / 1000) + " seconds";
        case Refusal::Input:
            return "its data goes on far past what its pixels need (is its end missing?)";
        case Refusal::None:
            break;
        }
        switch (code) {
        case JERR_NO_SOI:
            return "it is not a JPEG picture";
        case JERR_INPUT_EMPTY:
            return "the file is empty";
        case JERR_OUT_OF_MEMORY:
            return "there is not enough memory to decode it";
        case JERR_NO_BACKING_STORE:
            return "decoding it needs more than " + std::to_string(limits.maxDecoderMemory >> 20) + " MiB of memory";
        case JERR_CONVERSION_NOTIMPL:
            return "its colours are of a kind that cannot be shown";
        default:
            return std::string("it is damaged (") + error_.message + ")";
        }
    }

private:
    [[gnu::noinline]] int Decode(PixelOrder order, RowSink& sink, const DecodeLimits& limits)
    {
        jpeg_create_decompress(&cinfo_);
        cinfo_.mem->max_memory_to_use = limits.maxDecoderMemory;
        progress_.pub.progress_monitor = CheckProgress;
        progress_.maxScans = limits.maxScans;
        progress_.deadline = ThreadMilliseconds() + limits.maxMilliseconds;
        cinfo_.progress = &progress_.pub;
        if (file_)
            jpeg_stdio_src(&cinfo_, file_);
        else
            jpeg_mem_src(&cinfo_, input_->data, static_cast<unsigned long>(input_->size));
        progress_.fillInput = cinfo_.src->fill_input_buffer;
        progress_.maxInput = MetadataRoom;
        cinfo_.src->fill_input_buffer = FillInputChecked;
        jpeg_read_header(&cinfo_, TRUE);
        const std::uint64_t pixels = std::uint64_t(cinfo_.image_width) * cinfo_.image_height;
        if (pixels > limits.maxPixels) {
            progress_.refusal = Refusal::Pixels;
            return JERR_IMAGE_TOO_BIG;
        }
        progress_.maxInput = MaxInputFor(pixels, cinfo_.num_components);
        const DecodeRegion wanted = sink.Choose(cinfo_.image_width, cinfo_.image_height);
        cinfo_.scale_num = std::clamp(wanted.scaleEighths, 1u, 8u);
        cinfo_.scale_denom = 8;

        const bool cmyk = cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK;
        cinfo_.out_color_space = cmyk ? JCS_CMYK : ColorSpaceOf(order);
        jpeg_start_decompress(&cinfo_);
        const unsigned bytes = PixelBytes(order);
        const unsigned components = cmyk ? 4 : bytes;
        if (unsigned(cinfo_.output_components) != components)
            return JERR_CONVERSION_NOTIMPL;

        // The rectangle, cut to the scaled picture and never empty.
        const unsigned fullWidth = cinfo_.output_width, fullHeight = cinfo_.output_height;
        const unsigned x = std::min(wanted.x, fullWidth - 1), y = std::min(wanted.y, fullHeight - 1);
        const unsigned width = wanted.width ? std::min(wanted.width, fullWidth - x) : fullWidth - x;
        const unsigned height = wanted.height ? std::min(wanted.height, fullHeight - y) : fullHeight - y;
        // libjpeg cuts at the edges of its blocks. A block more is asked for on either side, since
        // colour at the edge of a cut is spread from that edge alone and would differ from the
        // whole picture's; the wanted columns are copied out of the wider rows.
        JDIMENSION cutX = x, cutWidth = width;
        if (width < fullWidth) {
            const unsigned block = unsigned(cinfo_.max_h_samp_factor * cinfo_.min_DCT_scaled_size);
            cutX = x > block ? x - block : 0;
            cutWidth = std::min(x + width + block, fullWidth) - cutX;
            jpeg_crop_scanline(&cinfo_, &cutX, &cutWidth);
        }
        const unsigned skipLeft = x - cutX;
        const bool direct = !cmyk && cutX == x && cutWidth == width;
        JSAMPARRAY work = nullptr;
        if (!direct)
            work = (*cinfo_.mem->alloc_sarray)(
                reinterpret_cast<j_common_ptr>(&cinfo_), JPOOL_IMAGE, cutWidth * components, MaxRowsPerRead);
        sink.Begin(width, height);
        if (y > 0)
            jpeg_skip_scanlines(&cinfo_, y);

        while (cinfo_.output_scanline < y + height) {
            const unsigned row = cinfo_.output_scanline - y;
            const unsigned group = std::clamp(unsigned(cinfo_.rec_outbuf_height), 1u, MaxRowsPerRead);
            const unsigned want = std::min(group, height - row);
            std::uint8_t* rows[MaxRowsPerRead];
            const unsigned given = std::clamp(sink.Reserve(row, want, rows), 1u, want);
            const unsigned got = jpeg_read_scanlines(&cinfo_, direct ? rows : work, given);
            if (got == 0) // only a suspending source gives no rows; ours never suspend
                return JERR_INPUT_EOF;
            for (unsigned i = 0; i < got && !direct; ++i) {
                if (cmyk)
                    CmykRowToRgb(work[i] + skipLeft * 4, rows[i], width, order);
                else
                    std::memcpy(rows[i], work[i] + skipLeft * bytes, std::size_t(width) * bytes);
            }
            sink.Commit(row + got);
        }
        // Nothing past the last row is needed: not the rows below the rectangle, nor the bytes
        // up to the end marker, which a damaged file may never reach.
        jpeg_abort_decompress(&cinfo_);
        return Decoded;
    }

    jpeg_decompress_struct cinfo_;
    ErrorManager error_ {};
    ProgressMonitor progress_ {};
    std::FILE* file_ = nullptr;
    const JpegInput* input_ = nullptr;
};

class PictureSink final : public RowSink {
public:
    PictureSink(RgbPicture& picture, std::string name) : picture_(picture), name_(std::move(name)) { }

    void Begin(unsigned width, unsigned height) override
    {
        picture_.width = width;
        picture_.height = height;
        try {
            picture_.pixels.assign(std::size_t(width) * height * 3, 0);
        } catch (const std::bad_alloc&) {
            throw EKaleidraError(
                JpegErrorText(name_, "there is not enough memory to decode it", int(JERR_OUT_OF_MEMORY)));
        }
    }

    unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) override
    {
        const std::size_t stride = std::size_t(picture_.width) * 3;
        for (unsigned i = 0; i < max; ++i)
            rows[i] = picture_.pixels.data() + (y + i) * stride;
        return max;
    }

    void Commit(unsigned) override { }

private:
    RgbPicture& picture_;
    std::string name_;
};

} // namespace

std::string JpegErrorText(const std::string& name, const std::string& reason, int code)
{
    return (name.empty() ? std::string("The picture") : "The picture " + name) + " cannot be shown: " + reason + " ("
        + FormatText(texts::JpegError, std::to_string(code)) + ")";
}

void DecodeJpeg(const JpegInput& input, PixelOrder order, RowSink& sink, const DecodeLimits& limits)
{
    Decoder decoder;
    decoder.Open(input);
    if (const int code = decoder.Run(order, sink, limits); code != Decoder::Decoded)
        throw EKaleidraError(JpegErrorText(input.path, decoder.Reason(code, limits), code));
}

RgbPicture DecodeJpegPicture(const JpegInput& input, const DecodeLimits& limits)
{
    RgbPicture picture;
    PictureSink sink(picture, input.path);
    DecodeJpeg(input, PixelOrder::Rgb, sink, limits);
    return picture;
}

} // namespace kdx::picture
