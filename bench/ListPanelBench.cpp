// Opening the wallpaper panel with 100,000 entries against opening it with 100: in the agent's
// own window on Qt's offscreen platform, from the panel command to the window drawn with the
// panel in it, in a sandbox of its own. The two sizes are taken in turn, so a burst of load on
// this shared machine does not land on one side only.
#include "app/Panels.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "lists/TListBox.h"
#include "settings/TConfig.h"

#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Large = 100000, Small = 100, Runs = 5;
constexpr double Goal = 3;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The agent's settings, registry stand-in and data folder in Root, its program in Root/install.
void Sandbox(const std::string& root)
{
    for (const char* sub : {"/install", "/config", "/data", "/pics"})
        fs::create_directories(root + sub);
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("KALEIDRA_PROGRAM_FILE", (root + "/install/KDX3").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

std::string Picture(const std::string& root, int n)
{
    char name[32];
    std::snprintf(name, sizeof name, "/pics/IMG_%06d.jpg", n);
    return root + name;
}

// Count existing pictures and a settings file whose wallpaper list names them; saving on leaving
// is off, so moving away from the panel leaves the file as it is.
void WriteSettings(const std::string& root, int count)
{
    std::ofstream ini(root + "/install/KDX.ini");
    ini << "[Misc]\nAutoSave=0\n[PaperList]\n";
    for (int n = 0; n < count; ++n)
        ini << n << '=' << Picture(root, n) << '\n';
}

struct Opening {
    double ms;
    int rows;
};

Opening OpenPanel(kdx::TfrmMain& window)
{
    const auto start = Clock::now();
    window.mnuWallpaperClick();
    static_cast<void>(window.grab()); // draws every widget shown, the list's rows on the screen among them
    const double ms = Ms(Clock::now() - start);
    const auto* list = window.DockedPanel()->findChild<kdx::TListBox*>("lsPaper");
    const int rows = list ? list->Count() : -1;
    window.mnuStatusClick();
    QCoreApplication::processEvents();
    return {ms, rows};
}

double LoadMs()
{
    const auto start = Clock::now();
    kdx::TWallpaper record;
    kdx::TConfig().LoadWallpaper(record);
    return Ms(Clock::now() - start);
}

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/kdx-panel-bench-XXXXXX";
    const std::string root = mkdtemp(pattern);
    Sandbox(root);
    for (int n = 0; n < Large; ++n)
        close(open(Picture(root, n).c_str(), O_CREAT | O_WRONLY, 0644));

    kdx::TApplication app(argc, argv);
    kdx::TfrmMain window(kdx::TFormCatalog {kdx::StandardPanels(), {}}, nullptr, kdx::TTrayAndKeys::AfterWindowShown);
    window.mnuStatusClick();
    window.ShowMainWindow();
    QCoreApplication::processEvents();

    std::vector<double> small, large, smallLoad, largeLoad;
    int smallRows = 0, largeRows = 0;
    for (int run = 0; run < Runs; ++run) {
        WriteSettings(root, Small);
        const Opening s = OpenPanel(window);
        smallLoad.push_back(LoadMs());
        WriteSettings(root, Large);
        const Opening l = OpenPanel(window);
        largeLoad.push_back(LoadMs());
        small.push_back(s.ms);
        large.push_back(l.ms);
        smallRows = s.rows;
        largeRows = l.rows;
    }
    fs::remove_all(root);

    const double ratio = Median(large) / Median(small);
    std::printf("wallpaper panel opened and drawn, median of %d runs: %d entries %.1f ms (%d rows shown; the settings "
                "read alone %.1f ms), %d entries %.1f ms (%d rows shown; the settings read alone %.1f ms)\n",
        Runs, Large, Median(large), largeRows, Median(largeLoad), Small, Median(small), smallRows, Median(smallLoad));
    if (largeRows != Large)
        std::printf("the panel did not show every entry: the goal counts as not met\n");
    const bool met = ratio <= Goal && largeRows == Large;
    std::printf("goal wallpaper panel open, %d entries vs %d: %.2f (at most %.0f): %s\n", Large, Small, ratio, Goal,
        met ? "met" : "not met");
    return 0;
}
