// The wallpaper bitmap against djpeg -bmp on the same JPEG: time and peak memory of each,
// measured as separate processes in the same run, alternating, the median of several runs.
//
//   bench_wallpaper_bitmap [RUNS]          a generated 6000 x 4000 picture through cjpeg -quality 90,
//                                          then compare (5 runs unless told); then a second such
//                                          picture and one change for two 3840 x 2160 monitors
//                                          against djpeg -scale decoding both
//   bench_wallpaper_bitmap picture W H OUT.ppm [VARIANT]   the camera-like picture (gradients,
//                                          edges, noise; another variant, another picture)
//   bench_wallpaper_bitmap monitors IN1.jpg IN2.jpg OUT    the two monitors' bitmaps OUT-1.bmp and
//                                          OUT-2.bmp of one change, as the agent makes them
//   bench_wallpaper_bitmap convert IN.jpg OUT.bmp the wallpaper bitmap code, as MakeWallpaperBitmap
//                                          runs it
//   bench_wallpaper_bitmap compare IN.jpg [RUNS]  the comparison on a JPEG of one's own
#include "settings/Errors.h"
#include "shell/BitmapFile.h"
#include "shell/MonitorBitmap.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

int WritePicture(unsigned width, unsigned height, const std::string& path, unsigned variant = 0)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return 1;
    std::fprintf(out, "P6\n%u %u\n255\n", width, height);
    std::vector<unsigned char> row(std::size_t(width) * 3);
    std::uint32_t noise = 2463534242u;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int n = int(noise & 15) - 8;
            // Sky-like gradients, a few hard-edged shapes and sensor noise.
            const long dx = long(x) - long(width / 2), dy = long(y) - long(height / 2);
            const bool shape = ((x / 250) + (y / 170) + variant) % 7 == 0 || dx * dx + dy * dy < 600000 / (variant + 1);
            int r = int((variant ? width - 1 - x : x) * 200 / width) + 30, g = int(y * 180 / height) + 40,
                b = 220 - int((x + y) * 120 / (width + height));
            if (shape) {
                r = 240 - r / 3;
                g = 60 + g / 4;
                b = 40;
            }
            row[x * 3] = (unsigned char)std::clamp(r + n, 0, 255);
            row[x * 3 + 1] = (unsigned char)std::clamp(g + n, 0, 255);
            row[x * 3 + 2] = (unsigned char)std::clamp(b + n, 0, 255);
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

struct Measure {
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

Measure Run(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    Measure m;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return m;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return m;
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peakKiB = usage.ru_maxrss;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Compare(const std::string& self, const std::string& jpeg, int runs)
{
    const std::string ours = jpeg + ".ours.bmp", theirs = jpeg + ".djpeg.bmp";
    std::vector<double> ourTimes, theirTimes;
    long ourPeak = 0, theirPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Measure d = Run({"djpeg", "-bmp", "-outfile", theirs, jpeg});
        const Measure k = Run({self, "convert", jpeg, ours});
        if (!d.ok || !k.ok) {
            std::cerr << (d.ok ? "convert" : "djpeg") << " failed\n";
            return 1;
        }
        theirTimes.push_back(d.seconds);
        ourTimes.push_back(k.seconds);
        theirPeak = std::max(theirPeak, d.peakKiB);
        ourPeak = std::max(ourPeak, k.peakKiB);
    }
    // The same pixels: both are bottom-up 24-bit bitmaps, their headers 54 bytes long.
    const std::string a = Read(ours), b = Read(theirs);
    const bool same = a.size() == b.size() && a.size() > 54 && a.compare(54, std::string::npos, b, 54) == 0;
    const unsigned width = unsigned(std::uint8_t(a[18]) | std::uint8_t(a[19]) << 8 | std::uint8_t(a[20]) << 16);
    const unsigned height = unsigned(std::uint8_t(a[22]) | std::uint8_t(a[23]) << 8 | std::uint8_t(a[24]) << 16);
    const double decodedMiB = double(width) * height * 3 / (1 << 20);
    const double ourTime = Median(ourTimes), theirTime = Median(theirTimes);
    const double ratio = ourTime / theirTime;
    const double budgetMiB = decodedMiB + 16;
    std::printf("picture: %ux%u (%.1f megapixels), decoded %.1f MiB, JPEG %.1f MiB\n", width, height,
        width * double(height) / 1e6, decodedMiB, double(Read(jpeg).size()) / (1 << 20));
    std::printf("median of %d runs: wallpaper bitmap %.3f s, djpeg -bmp %.3f s\n", runs, ourTime, theirTime);
    std::printf("peak memory: wallpaper bitmap %.1f MiB, djpeg -bmp %.1f MiB, budget decoded + 16 = %.1f MiB\n",
        ourPeak / 1024.0, theirPeak / 1024.0, budgetMiB);
    std::printf("pixels: %s\n", same ? "identical to djpeg's" : "DIFFERENT from djpeg's");
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
    const double memory = ourPeak / 1024.0 / budgetMiB;
    std::printf("goal wallpaper bitmap time vs djpeg -bmp: %.3f (at most 1.15): %s\n", ratio,
        same && ratio <= 1.15 ? "met" : "not met");
    std::printf("goal wallpaper bitmap peak memory vs decoded + 16 MiB: %.3f (at most 1): %s\n", memory,
        same && memory <= 1 ? "met" : "not met");
    const bool met = same && ratio <= 1.15 && memory <= 1;
    return met ? 0 : 1;
}

// The monitors of the bench and the agent's style for them.
constexpr unsigned MonitorWidth = 3840, MonitorHeight = 2160;
constexpr int Stretch = 2;

// One change for two monitors: the two bitmaps, made as the agent makes them (at once, on the
// machine's cores), against djpeg decoding both pictures one after the other at the smallest
// scaling by eighths that still gives the monitor its pixels, each to a bitmap file.
int CompareMonitors(const std::string& self, const std::string& first, const std::string& second, int runs)
{
    const std::string out = first + ".monitor", theirs = first + ".djpeg.bmp";
    // 6000 x 4000 on 3840 x 2160: 6/8 (4500 x 3000) is the first scaling that is large enough.
    const std::string scale = "6/8";
    std::vector<double> ourTimes, theirTimes;
    for (int i = 0; i < runs; ++i) {
        const Measure d1 = Run({"djpeg", "-scale", scale, "-bmp", "-outfile", theirs, first});
        const Measure d2 = Run({"djpeg", "-scale", scale, "-bmp", "-outfile", theirs, second});
        const Measure k = Run({self, "monitors", first, second, out});
        if (!d1.ok || !d2.ok || !k.ok) {
            std::cerr << (k.ok ? "djpeg" : "monitors") << " failed\n";
            return 1;
        }
        theirTimes.push_back(d1.seconds + d2.seconds);
        ourTimes.push_back(k.seconds);
    }
    const bool made = Read(out + "-1.bmp").size() == 54 + std::size_t(MonitorWidth) * 3 * MonitorHeight
        && Read(out + "-2.bmp").size() == 54 + std::size_t(MonitorWidth) * 3 * MonitorHeight;
    for (const std::string& file : {out + "-1.bmp", out + "-2.bmp", theirs})
        std::remove(file.c_str());
    const double ourTime = Median(ourTimes), theirTime = Median(theirTimes), ratio = ourTime / theirTime;
    std::printf("two monitors of %ux%u, stretched, from two 6000x4000 JPEGs: median of %d runs: both bitmaps %.3f s, "
                "djpeg -scale %s of each in turn %.3f s; %u cores\n",
        MonitorWidth, MonitorHeight, runs, ourTime, scale.c_str(), theirTime,
        std::max(1u, std::thread::hardware_concurrency()));
    const bool met = made && ratio <= 1.15;
    std::printf("goal monitor bitmaps: %.3f (at most 1.15): %s%s\n", ratio, met ? "met" : "not met",
        made ? "" : " (the bitmaps were not made)");
    return met ? 0 : 1;
}

int MakeMonitors(const std::string& first, const std::string& second, const std::string& out)
{
    kdx::picture::MakeMonitorBitmaps({{first, Stretch, MonitorWidth, MonitorHeight, out + "-1.bmp"},
                                         {second, Stretch, MonitorWidth, MonitorHeight, out + "-2.bmp"}},
        ".part");
    return 0;
}

// The whole benchmark in a temporary folder: picture, JPEG, comparison.
int Benchmark(const std::string& self, int runs)
{
    char folder[] = "/tmp/kdx-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string ppm = std::string(folder) + "/picture.ppm", jpeg = std::string(folder) + "/picture.jpg";
    int result = WritePicture(6000, 4000, ppm);
    if (result == 0 && !Run({"cjpeg", "-quality", "90", "-outfile", jpeg, ppm}).ok) {
        std::cerr << "cjpeg failed (libjpeg-turbo-progs)\n";
        result = 1;
    }
    std::remove(ppm.c_str());
    if (result == 0)
        result = Compare(self, jpeg, runs);
    const std::string second = std::string(folder) + "/second.jpg";
    if (WritePicture(6000, 4000, ppm, 1) != 0 || !Run({"cjpeg", "-quality", "90", "-outfile", second, ppm}).ok) {
        std::cerr << "the second picture was not made\n";
        result = 1;
    } else {
        result = CompareMonitors(self, jpeg, second, runs) || result;
    }
    std::remove(ppm.c_str());
    std::remove(second.c_str());
    std::remove(jpeg.c_str());
    rmdir(folder);
    return result;
}

std::string SelfPath()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, std::size_t(n)) : std::string("bench_wallpaper_bitmap");
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "picture" && (argc == 5 || argc == 6))
            return WritePicture(unsigned(std::atoi(argv[2])), unsigned(std::atoi(argv[3])), argv[4],
                argc == 6 ? unsigned(std::atoi(argv[5])) : 0);
        if (command == "monitors" && argc == 5)
            return MakeMonitors(argv[2], argv[3], argv[4]);
        if (command == "convert" && argc == 4) {
            kdx::picture::WriteJpegAsBitmap(argv[2], argv[3]);
            return 0;
        }
        if (command == "compare" && (argc == 3 || argc == 4))
            return Compare(SelfPath(), argv[2], argc == 4 ? std::max(1, std::atoi(argv[3])) : 5);
        if (argc <= 2 && (argc == 1 || std::atoi(argv[1]) > 0))
            return Benchmark(SelfPath(), argc == 2 ? std::atoi(argv[1]) : 5);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: bench_wallpaper_bitmap [RUNS] | picture W H OUT.ppm [VARIANT] | convert IN.jpg OUT.bmp | "
                 "compare IN.jpg [RUNS] | monitors IN1.jpg IN2.jpg OUT\n";
    return 2;
}
