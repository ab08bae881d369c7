// Times the list editors' folder walk against find(1) with the same case-insensitive filter
// over a generated tree, in the same run.
#include "lists/FolderSearch.h"
#include "platform/Platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Folders levels deep, each holding files; one name in four matches the pattern.
void MakeTree(const std::string& root, int folders, int filesPerFolder)
{
    for (int f = 0; f < folders; ++f) {
        const std::string dir = root + "/d" + std::to_string(f / 50) + "/e" + std::to_string(f);
        fs::create_directories(dir);
        for (int i = 0; i < filesPerFolder; ++i) {
            const char* ext = i % 4 == 0 ? ".SWF" : i % 4 == 1 ? ".swf" : i % 4 == 2 ? ".txt" : ".jpg";
            std::ofstream(dir + "/file" + std::to_string(i) + ext) << "x";
        }
    }
}

double TimeFind(const std::string& root, long& hits)
{
    const std::string cmd = "find '" + root + "' -iname '*.swf' | wc -l";
    const auto start = Clock::now();
    FILE* pipe = popen(cmd.c_str(), "r");
    hits = 0;
    if (pipe) {
        if (std::fscanf(pipe, "%ld", &hits) != 1)
            hits = -1;
        pclose(pipe);
    }
    return Seconds(Clock::now() - start);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string root = argc > 1 ? argv[1] : (fs::temp_directory_path() / "kdx-search-bench").string();
    fs::remove_all(root);
    MakeTree(root, 2000, 10);

    // The best of several runs of each, taken in turn, so a burst of load on this shared machine
    // does not land on one side only.
    constexpr int Runs = 5;
    constexpr double Goal = 1.2;
    double bestWalk = 1e9, bestTotal = 0, bestPaused = 0, bestFind = 1e9;
    std::vector<std::string> results;
    long findHits = 0;
    TimeFind(root, findHits); // warms the folder cache for both
    for (int run = 0; run < Runs; ++run) {
        Clock::duration paused {};
        results.clear();
        kdx::FolderSearch search(
            {[](const std::string&, const std::string&) { return true; }, [](const std::string&) {},
                [&paused] {
                    const auto start = Clock::now();
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    paused += Clock::now() - start;
                    return true;
                },
                [] { return false; }});
        const auto start = Clock::now();
        search.SearchFolder(root + "/", "*.swf", true, results);
        const double total = Seconds(Clock::now() - start);
        if (total - Seconds(paused) < bestWalk) {
            bestWalk = total - Seconds(paused);
            bestTotal = total;
            bestPaused = Seconds(paused);
        }
        bestFind = std::min(bestFind, TimeFind(root, findHits));
    }

    const double ratio = bestWalk / bestFind;
    std::printf("folder search: 20000 files in 2000 folders, %zu hits (find: %ld), best of %d runs each\n",
        results.size(), findHits, Runs);
    std::printf("  search %.3f s, of which mandated 1 ms pauses %.3f s (%.0f%%)\n", bestTotal, bestPaused,
        100.0 * bestPaused / bestTotal);
    std::printf("  search without pauses %.3f s, find -iname %.3f s\n", bestWalk, bestFind);
    std::printf(
        "goal folder search vs find -iname: %.2f (at most %.1f): %s\n", ratio, Goal, ratio <= Goal ? "met" : "not met");
    fs::remove_all(root);
    return results.size() == size_t(findHits) ? 0 : 1;
}
