#pragma once
#include "platform/Platform.h"
#include "support/Services.h"

#include <functional>
#include <string>
#include <vector>

namespace kdx::test {

// Records the shell's launches instead of making them; the other shell calls are not used by
// the forms under test.
class RecordingShell : public platform::IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override
    {
        launches.push_back(verb + "|" + file + "|" + params);
    }
    void ShowProperties(const std::string& path) override { launches.push_back("properties|" + path); }
    std::string DisplayName(const std::string&) override { return {}; }
    std::string ResourceString(const std::string&, unsigned) override { return {}; }

    std::vector<std::string> launches;
};

// The platform with a recording shell, for as long as it lives.
class ShellRecorder {
public:
    ShellRecorder() : scope_(WithService(&platform::Services::shell, &shell)) { }
    RecordingShell shell;

private:
    platform::ScopedServices scope_;
};

// A session's tray of one kind, there or not as a test says; its comings and goings are
// announced as the real ones are.
class TrayForTests : public platform::ITrayHost, public platform::ITrayHosts {
public:
    explicit TrayForTests(platform::TrayActivation activation, bool present = true)
        : activation_(activation), present_(present), scope_(WithService(&platform::Services::trayHosts, this))
    {
    }
    bool Present() override { return present_; }
    platform::TrayActivation Activation() const override { return activation_; }
    platform::ITrayHost* Find() override { return present_ ? this : nullptr; }
    void Watch(std::function<void()> changed) override { changed_ = std::move(changed); }
    void Set(bool present)
    {
        present_ = present;
        if (changed_)
            changed_();
    }

private:
    platform::TrayActivation activation_;
    bool present_;
    std::function<void()> changed_;
    platform::ScopedServices scope_;
};

} // namespace kdx::test
