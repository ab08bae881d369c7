#pragma once
#include "lists/TListBox.h"
#include "lists/TSearchPane.h"
#include "platform/Platform.h"
#include "shell/MessageBox.h"
#include "support/Sandbox.h"
#include "ui/PanelHost.h"

#include <QApplication>
#include <QComboBox>
#include <QString>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kdx::test {

// The search form of a docked list editor.
inline TSearchPane& SearchPane(QWidget& editor) { return *editor.findChild<TSearchPane*>("palSearch"); }

// The list box named Name in Panel: a random list ("lsSaver") or the search list ("lsSearch").
inline TListBox* ListBox(QWidget& panel, const char* name) { return panel.findChild<TListBox*>(name); }

// The texts of every row of List, as it shows them.
QStringList Rows(const TListBox* list);

// Adds Row to the selection of List, as a Ctrl+click would, without making it current.
void SelectRow(TListBox* list, int row);

// The main window as a docked panel sees it: two status texts, the image lists and the
// message processing, which a test may hook to act in the middle of a search.
class HostForTests : public IPanelHost {
public:
    HostForTests();
    void SetStatusText(int panel, const QString& text) override { status[panel] = text; }
    QString StatusText(int panel) const override { return status[panel]; }
    const TImageList& ImageList(ImageListId id) const override;
    void ProcessMessages() override;
    void ReloadWallpaper() override { ++reloads; }
    void EnableTimerPaper(bool enabled) override { timerEnabled = enabled; }

    QString status[2];
    int reloads = 0;
    bool timerEnabled = false;
    // Runs once, the next time pending messages are processed (in the middle of a search).
    std::function<void()> onceInProcessMessages;
    std::vector<QString> enteredFolders;

private:
    TImageList random_, search_, outlook_;
};

// Records the message boxes shown instead of showing them.
class RecordedMessages : public IMessageBox {
public:
    RecordedMessages() { SetMessageBox(this); }
    ~RecordedMessages() override { SetMessageBox(nullptr); }
    int Show(const std::string& caption, const std::string& text, MessageIcon) override
    {
        shown.push_back(caption + ": " + text);
        return IdOk;
    }
    std::vector<std::string> shown;
};

// Records the shell launches instead of making them.
class RecordedShell : public platform::IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override
    {
        launches.push_back(verb + "|" + file + "|" + params);
    }
    void ShowProperties(const std::string& path) override { launches.push_back("properties|" + path); }
    std::string DisplayName(const std::string& path) override { return real->DisplayName(path); }
    // Counted: a screensaver's name is read from its file.
    std::string ResourceString(const std::string& path, unsigned id) override
    {
        ++resourceReads;
        return real->ResourceString(path, id);
    }

    platform::IShell* real = platform::Native().shell;
    std::vector<std::string> launches;
    int resourceReads = 0;
};

// The platform with a desktop that answers Outcome to every wallpaper change, for as long as it lives.
class ShowingDesktop final : public platform::IDesktop {
public:
    explicit ShowingDesktop(platform::WallpaperOutcome outcome = {true, "a desktop"})
        : outcome_(std::move(outcome)), scope_(With(this))
    {
    }
    platform::WallpaperOutcome ApplyWallpaperSettings() override { return outcome_; }

private:
    static platform::Services With(platform::IDesktop* desktop)
    {
        platform::Services services = platform::Current();
        services.desktop = desktop;
        return services;
    }
    platform::WallpaperOutcome outcome_;
    platform::ScopedServices scope_;
};

// Answers the next modal file dialog with Paths (or cancels it when empty).
void AnswerNextFileDialog(const QStringList& paths);

// Types Text into a closed drop-down list that has the focus, then Enter: the first key goes to
// the box, the others to whatever list it has opened. True when the typing opened its list.
bool TypeIntoDropDown(QComboBox* box, const QString& text);

// What every editor test has: a sandbox, the host, recorded messages and shell launches.
class EditorTest : public ::testing::Test {
protected:
    EditorTest() : services_(WithShell(&shell)) { }

    // A new panel of class Panel, shown at a working size.
    template <typename Panel> std::unique_ptr<Panel> Open()
    {
        auto panel = std::make_unique<Panel>(host);
        panel->resize(640, 480);
        panel->show();
        return panel;
    }

    Sandbox box;
    HostForTests host;
    RecordedMessages messages;
    RecordedShell shell;

private:
    static platform::Services WithShell(platform::IShell* shell)
    {
        platform::Services services = platform::Current();
        services.shell = shell;
        return services;
    }
    platform::ScopedServices services_;
};

} // namespace kdx::test
