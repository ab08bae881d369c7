// Times the settings store on a KDX.ini with two lists of 100,000 entries against Python's
// configparser in the same run: a load of both lists with their options against configparser
// reading the file, and a save of one list against configparser writing the same section.
// Usage: bench_settings [CONFIGPARSER_REF.py]
#include "settings/TConfig.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Entries = 100000;
constexpr int Runs = 7;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string Entry(const std::string& prefix, int n) { return prefix + std::to_string(n) + ".jpg"; }

void WriteSettings(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "[ImageList]\r\n";
    for (int n = 0; n < Entries; ++n)
        out << n << "=" << Entry("/home/user/Pictures/2024/holiday/photo ", n) << "\r\n";
    out << "[Image]\r\nInterval=5\r\nSize=1\r\n[PaperList]\r\n";
    for (int n = 0; n < Entries; ++n)
        out << n << "=" << Entry("/home/user/Pictures/wallpapers/landscape ", n) << "\r\n";
    out << "[Wallpaper]\r\nStyle=2\r\nInterval=60\r\nCycle=0\r\nActivate=1\r\n";
}

double Reference(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    double seconds = -1;
    if (pipe) {
        if (std::fscanf(pipe, "%lf", &seconds) != 1)
            seconds = -1;
        pclose(pipe);
    }
    if (seconds < 0) {
        std::fprintf(stderr, "the reference failed: %s\n", command.c_str());
        std::exit(1);
    }
    return seconds;
}

void Goal(const char* name, double ratio, double goal)
{
    std::printf("goal %s: %.3f (at most %.1f): %s\n", name, ratio, goal, ratio <= goal ? "met" : "not met");
}

} // namespace

int main(int argc, char** argv)
{
    const std::string ref = argc > 1 ? argv[1] : KDX_CONFIGPARSER_REF;
    // The settings store finds its file through the registry stand-in, in a world of our own.
    const fs::path root = fs::temp_directory_path() / ("kdx-settings-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "install");
    for (const char* home : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        fs::create_directories(root / home);
        setenv(home, (root / home).c_str(), 1);
    }
    setenv("KALEIDRA_PROGRAM_FILE", (root / "install" / "KDX3").c_str(), 1);
    const std::string ini = (root / "install" / "KDX.ini").string();
    WriteSettings(ini);

    // Taken in turn, so a burst of load on a shared machine does not land on one side only.
    std::vector<double> load, readRef, save, writeRef;
    std::size_t loaded = 0;
    for (int run = 0; run < Runs; ++run) {
        auto start = Clock::now();
        {
            kdx::TConfig config;
            kdx::TImages images;
            kdx::TWallpaper paper;
            config.LoadImages(images);
            config.LoadWallpaper(paper);
            loaded = images.Items.size() + paper.Items.size();
            config.ReleaseFile(); // and with it the parsed copy: each run reads the file anew
        }
        load.push_back(Seconds(Clock::now() - start));
        readRef.push_back(Reference("python3 '" + ref + "' read '" + ini + "'"));

        // A list editor's save: its store loaded the list when the panel opened; the whole list
        // is new, as after a search that replaced it.
        kdx::TConfig config;
        kdx::TImages images;
        config.LoadImages(images);
        const std::string prefix = "/home/user/Pictures/run" + std::to_string(run) + "/photo ";
        for (int n = 0; n < Entries; ++n)
            images.Items[std::size_t(n)] = Entry(prefix, n);
        start = Clock::now();
        config.SaveImages(images);
        save.push_back(Seconds(Clock::now() - start));
        config.ReleaseFile();
        writeRef.push_back(Reference("python3 '" + ref + "' write '" + (root / "ref.ini").string() + "' ImageList "
            + std::to_string(Entries) + " '" + prefix + "' .jpg"));
    }
    fs::remove_all(root);
    if (loaded != 2 * std::size_t(Entries)) {
        std::fprintf(stderr, "the load gave %zu entries, not %d\n", loaded, 2 * Entries);
        return 1;
    }
    std::printf("KDX.ini with two lists of %d entries: load %.1f ms against configparser's read %.1f ms; "
                "save of one list %.1f ms against configparser's write of the section %.1f ms (medians of %d)\n",
        Entries, Median(load) * 1000, Median(readRef) * 1000, Median(save) * 1000, Median(writeRef) * 1000, Runs);
    Goal("settings_load_two_lists_100000", Median(load) / Median(readRef), 0.5);
    Goal("settings_save_list_100000", Median(save) / Median(writeRef), 0.5);
    return 0;
}
