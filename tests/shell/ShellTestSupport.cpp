#include "ShellTestSupport.h"

#include "platform/posix/process/Process.h"
#include "settings/Errors.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace kdx::test {

std::string PeFixture(const std::string& name) { return std::string(KDX_PE_FIXTURES) + "/" + name + ".scr"; }

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EKaleidraError& e) {
        return e.what();
    }
    return "(no error)";
}

bool RunTool(const std::string& program, const std::vector<std::string>& args, bool warningsAllowed)
{
    const std::string path = platform::posix::FindProgram(program);
    if (path.empty()) {
        ADD_FAILURE() << program << " is not installed (scripts/deps test installs it)";
        return false;
    }
    std::vector<std::string> argv {path};
    argv.insert(argv.end(), args.begin(), args.end());
    const int status = platform::posix::RunAndWait(argv, 120000);
    // The IJG tools end with 2 when they only warned (a truncated picture, for one).
    const bool ok = status == 0 || (warningsAllowed && status == 2);
    EXPECT_TRUE(ok) << program << " failed";
    return ok;
}

void WritePpm(const std::string& path, unsigned width, unsigned height)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    std::vector<unsigned char> row(std::size_t(width) * 3);
    std::uint32_t noise = 12345;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const unsigned n = noise >> 28; // 0..15
            const bool edge = ((x / 37) + (y / 23)) % 5 == 0;
            row[x * 3] = (unsigned char)((x * 255 / (width ? width : 1) + n) & 0xFF);
            row[x * 3 + 1] = (unsigned char)(edge ? 240 : (y * 255 / (height ? height : 1)) ^ n);
            row[x * 3 + 2] = (unsigned char)(((x + y) * 3 + n * 4) & 0xFF);
        }
        out.write(reinterpret_cast<const char*>(row.data()), std::streamsize(row.size()));
    }
}

void MakeJpeg(const std::string& ppm, const std::string& jpeg, const std::vector<std::string>& options)
{
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-outfile", jpeg, ppm});
    RunTool("cjpeg", args);
}

std::string RepeatScan(const std::string& bytes, std::size_t index, std::size_t times)
{
    auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    std::vector<std::pair<std::size_t, std::size_t>> scans;
    std::size_t pos = 2; // after the start-of-image marker
    while (pos + 3 < bytes.size() && at(pos) == 0xFF && at(pos + 1) != 0xD9) {
        const std::size_t end = pos + 2 + (at(pos + 2) << 8 | at(pos + 3));
        if (at(pos + 1) != 0xDA) {
            pos = end;
            continue;
        }
        // The scan's data runs to the next marker that is neither a stuffed zero nor a restart.
        std::size_t next = end;
        while (next + 1 < bytes.size() && !(at(next) == 0xFF && at(next + 1) != 0 && (at(next + 1) & 0xF8) != 0xD0))
            ++next;
        scans.emplace_back(pos, next);
        pos = next;
    }
    if (index >= scans.size())
        return bytes;
    const auto [from, to] = scans[index];
    std::string out = bytes.substr(0, pos);
    for (std::size_t n = 0; n < times; ++n)
        out += bytes.substr(from, to - from);
    return out + bytes.substr(pos);
}

void Djpeg(const std::string& jpeg, const std::string& bmp) { RunTool("djpeg", {"-bmp", "-outfile", bmp, jpeg}, true); }

void WriteCmykJpeg(const std::string& path, unsigned width, unsigned height, bool ycck, bool adobeMarker)
{
    jpeg_compress_struct c {};
    jpeg_error_mgr err {};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    jpeg_stdio_dest(&c, f);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, ycck ? JCS_YCCK : JCS_CMYK);
    c.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * 4);
    while (c.next_scanline < height) {
        const unsigned y = c.next_scanline;
        for (unsigned x = 0; x < width; ++x) {
            row[x * 4] = JSAMPLE(x * 255 / width);
            row[x * 4 + 1] = JSAMPLE(y * 255 / height);
            row[x * 4 + 2] = JSAMPLE((x * 7 + y * 3) & 0xFF);
            row[x * 4 + 3] = JSAMPLE(128 + (x + y) % 128);
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

namespace {
std::uint32_t Le(const std::string& s, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | (unsigned char)s[at + std::size_t(i)];
    return v;
}
} // namespace

Picture ReadBmp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Picture p;
    if (s.size() < 54 || s[0] != 'B' || s[1] != 'M' || Le(s, 30, 4) != 0)
        return p;
    const std::uint32_t offset = Le(s, 10, 4), header = Le(s, 14, 4);
    const std::int32_t w = std::int32_t(Le(s, 18, 4)), h = std::int32_t(Le(s, 22, 4));
    const unsigned bits = Le(s, 28, 2);
    if (w <= 0 || h == 0 || (bits != 24 && bits != 8))
        return p;
    p.width = unsigned(w);
    p.height = unsigned(h < 0 ? -h : h);
    const std::size_t stride = (std::size_t(p.width) * bits / 8 + 3) / 4 * 4;
    if (offset + stride * p.height > s.size())
        return p;
    p.pixels.resize(std::size_t(p.width) * p.height);
    for (unsigned y = 0; y < p.height; ++y) {
        const std::size_t row = offset + (h < 0 ? y : p.height - 1 - y) * stride;
        for (unsigned x = 0; x < p.width; ++x) {
            std::size_t at = row + (bits == 24 ? x * 3u : 0);
            if (bits == 8)
                at = 14 + header + 4 * std::size_t((unsigned char)s[row + x]);
            p.pixels[std::size_t(y) * p.width + x] = Le(s, at, 3);
        }
    }
    p.ok = true;
    return p;
}

void WriteBmp24(const std::string& path, unsigned width, unsigned height,
    const std::function<std::uint32_t(unsigned, unsigned)>& colour)
{
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    std::string s(54 + stride * height, '\0');
    const auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            s[at + std::size_t(i)] = char(v >> (8 * i));
    };
    s[0] = 'B';
    s[1] = 'M';
    put(2, std::uint32_t(s.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            put(54 + (height - 1 - y) * stride + x * 3, colour(x, y), 3);
    std::ofstream(path, std::ios::binary) << s;
}

long PixelDifferences(const Picture& a, const Picture& b)
{
    if (!a.ok || !b.ok || a.width != b.width || a.height != b.height)
        return -1;
    long differ = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        differ += a.pixels[i] != b.pixels[i];
    return differ;
}

namespace {

class RecordingKey final : public platform::IRegKey {
public:
    RecordingKey(std::unique_ptr<platform::IRegKey> inner, RecordingRegistry& owner, std::string path)
        : inner_(std::move(inner)), owner_(owner), path_(std::move(path))
    {
    }
    ~RecordingKey() override { owner_.log.push_back("close " + path_); }
    platform::RegString QueryString(const std::string& name) override { return inner_->QueryString(name); }
    bool SetString(const std::string& name, const std::string& value) override
    {
        owner_.log.push_back("set " + name + "=" + value);
        return name != owner_.failValue && inner_->SetString(name, value);
    }
    bool ValueExists(const std::string& name) override { return inner_->ValueExists(name); }
    bool DeleteValue(const std::string& name) override { return inner_->DeleteValue(name); }

private:
    std::unique_ptr<platform::IRegKey> inner_;
    RecordingRegistry& owner_;
    std::string path_;
};

} // namespace

std::unique_ptr<platform::IRegKey> RecordingRegistry::CreateKey(const std::string& path)
{
    log.push_back("create " + path);
    auto key = platform::Native().registry->CreateKey(path);
    return key ? std::make_unique<RecordingKey>(std::move(key), *this, path) : nullptr;
}

std::unique_ptr<platform::IRegKey> RecordingRegistry::OpenKey(const std::string& path)
{
    log.push_back("open " + path);
    auto key = refuseOpen ? nullptr : platform::Native().registry->OpenKey(path);
    return key ? std::make_unique<RecordingKey>(std::move(key), *this, path) : nullptr;
}

platform::Services ServicesWith::Changed(const std::function<void(platform::Services&)>& change)
{
    platform::Services s = platform::Native();
    change(s);
    return s;
}

ServicesWith::ServicesWith(const std::function<void(platform::Services&)>& change) : scope_(Changed(change)) { }

} // namespace kdx::test
