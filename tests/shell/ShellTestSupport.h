#pragma once
#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kdx::test {

// A screensaver fixture built from tests/shell/fixtures (describe, describe32, languages,
// neutral, foreign, nostring1, long, plain).
std::string PeFixture(const std::string& name);

// The text of the error F raises, or "(no error)".
std::string ErrorOf(const std::function<void()>& f);

// Runs a program found on PATH with its arguments and waits; true when it ends with 0 (or 2,
// "warnings", when those are allowed).
bool RunTool(const std::string& program, const std::vector<std::string>& args, bool warningsAllowed = false);

// A colour picture with smooth areas, edges and noise, as a camera picture has, 8 bits a channel.
void WritePpm(const std::string& path, unsigned width, unsigned height);
// cjpeg Options Ppm > Jpeg.
void MakeJpeg(const std::string& ppm, const std::string& jpeg, const std::vector<std::string>& options = {});
// djpeg -bmp Jpeg > Bmp.
void Djpeg(const std::string& jpeg, const std::string& bmp);
// A CMYK picture written through libjpeg's compressor, as CMYK or YCCK, with or without the
// Adobe marker.
void WriteCmykJpeg(const std::string& path, unsigned width, unsigned height, bool ycck, bool adobeMarker);

// A picture read from a BMP file by the tests' own reader: 24-bit, or 8-bit with a colour table,
// uncompressed, either row order.
struct Picture {
    bool ok = false;
    unsigned width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB, rows top down
    std::uint32_t At(unsigned x, unsigned y) const { return pixels[std::size_t(y) * width + x]; }
};
Picture ReadBmp(const std::string& path);
// An uncompressed bottom-up 24-bit BMP whose pixels Colour gives.
void WriteBmp24(const std::string& path, unsigned width, unsigned height,
    const std::function<std::uint32_t(unsigned, unsigned)>& colour);
// Number of pixels that differ, or -1 when the sizes differ or a picture did not read.
long PixelDifferences(const Picture& a, const Picture& b);

// Shell calls, recorded; ResourceString answers from a table, DisplayName with a marker.
class FakeShell final : public platform::IShell {
public:
    std::vector<std::string> calls;
    std::string resource; // ResourceString's answer
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override
    {
        calls.push_back("Execute " + verb + " " + file + " " + params);
    }
    void ShowProperties(const std::string& path) override { calls.push_back("ShowProperties " + path); }
    std::string DisplayName(const std::string& path) override
    {
        calls.push_back("DisplayName " + path);
        return "shell:" + path;
    }
    std::string ResourceString(const std::string& path, unsigned id) override
    {
        calls.push_back("ResourceString " + path + " " + std::to_string(id));
        return resource;
    }
};

// Counts the times the system is told to apply the desktop values, running a check each time.
class FakeDesktop final : public platform::IDesktop {
public:
    int applied = 0;
    std::function<void()> onApply;
    void ApplyWallpaperSettings() override
    {
        ++applied;
        if (onApply)
            onApply();
    }
};

// A clock and Windows folder of the test's choosing; the rest from the native backend.
class FakeSystem final : public platform::ISystem {
public:
    platform::CivilTime utc;
    std::string windowsDir;
    std::string ModuleFileName() override { return platform::Native().system->ModuleFileName(); }
    std::string InstallFolderFor(const std::string& f) override
    {
        return platform::Native().system->InstallFolderFor(f);
    }
    std::string WindowsDirectory() override { return windowsDir; }
    std::string HelpFolderFor(const std::string& f) override { return platform::Native().system->HelpFolderFor(f); }
    platform::CivilTime LocalTime() override { return utc; }
    platform::CivilTime SystemTime() override { return utc; }
};

// The native registry with every open, write and close written to a log; it can refuse to
// open keys and fail the write of one value.
class RecordingRegistry final : public platform::IRegistry {
public:
    std::vector<std::string> log;
    bool refuseOpen = false;
    std::string failValue;
    std::unique_ptr<platform::IRegKey> CreateKey(const std::string& path) override;
    std::unique_ptr<platform::IRegKey> OpenKey(const std::string& path) override;
};

// The native services with some replaced, for as long as it lives.
class ServicesWith {
public:
    explicit ServicesWith(const std::function<void(platform::Services&)>& change);

private:
    static platform::Services Changed(const std::function<void(platform::Services&)>& change);
    platform::ScopedServices scope_;
};

} // namespace kdx::test
