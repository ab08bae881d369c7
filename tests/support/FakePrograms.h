#pragma once
#include "Sandbox.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace kdx::test {

// Stand-in programs in a folder of the sandbox that alone makes up PATH; each appends
// "name|arg|arg|...|ppid=N" to one log, after running a script of the test's choosing.
class FakePrograms {
public:
    explicit FakePrograms(Sandbox& box) : bin_(box.Root() + "/bin"), log_(box.Root() + "/calls.log")
    {
        std::filesystem::create_directories(bin_);
        box.SetEnv("PATH", bin_);
    }

    const std::string& Log() const { return log_; }

    // The stand-in's full name.
    std::string Fake(const std::string& name, const std::string& script = "")
    {
        const std::string path = bin_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n"
                            << script << "\n{ printf '%s|' '" << name << "' \"$@\"; echo \"ppid=$PPID\"; } >> '" << log_
                            << "'\n";
        chmod(path.c_str(), 0755);
        return path;
    }

    // The log's lines without their ppid once it has Count of them, waiting up to 10 seconds
    // for detached programs.
    std::vector<std::string> Calls(std::size_t count) const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < 1000; ++i) {
            lines.clear();
            std::ifstream in(log_);
            for (std::string line; std::getline(in, line);)
                lines.push_back(line.substr(0, line.rfind("ppid=")));
            if (lines.size() >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return lines;
    }

private:
    std::string bin_, log_;
};

} // namespace kdx::test
