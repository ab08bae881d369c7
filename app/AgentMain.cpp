#include "AgentMain.h"

#include "FontWarmUp.h"
#include "Panels.h"
#include "SaverIdleStart.h"
#include "TApplication.h"
#include "TQtMessageBox.h"
#include "TfrmMain.h"
#include "help/hh.h"
#include "platform/Platform.h"
#include "prefs/TfrmMisc.h"
#include "shell/ReportErrors.h"

#include <cstring>
#include <optional>

namespace kdx {

namespace {

// Qt's default platform here is X11 (xcb), which ends the program where there is no X server.
// A Wayland session without one, whose session type does not say so, gets Qt's Wayland platform.
void ChooseWaylandWithoutX()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "wayland");
}

bool HandOver(platform::IInstance& instance)
{
    return instance.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE);
}

void RunMainWindow(bool showWindow, TfrmMain*& receiver)
{
    // The preference dialog changes the hot keys of the window that opens it.
    TfrmMain frmMain(TFormCatalog {StandardPanels(),
                         [](QWidget* owner) { ShowPreferenceDialog(dynamic_cast<IHotKeyOwner&>(*owner), owner); }},
        nullptr, showWindow ? TTrayAndKeys::AfterWindowShown : TTrayAndKeys::WithWindow,
        showWindow ? TWindowParts::Now : TWindowParts::AtFirstShow);
    receiver = &frmMain;
    // A failing step ends the creation sequence; the agent runs on with what it has.
    ReportErrors([&] { frmMain.FormCreate(); });
    if (showWindow)
        frmMain.ShowMainWindow();
    else
        frmMain.StartHidden();
    const SaverIdleStart idleStart;
    QApplication::exec();
    receiver = nullptr;
}

} // namespace

bool ShowsWindowAtStart(int argc, const char* const* argv)
{
    return argc > 1 && (std::strcmp(argv[1], "/nominimize") == 0 || std::strcmp(argv[1], "-nominimize") == 0);
}

int RunAgent(int argc, char** argv)
{
    THelpControlScope helpControl;
    // Read before Qt takes its own options out of the command line.
    const bool showWindow = ShowsWindowAtStart(argc, argv);
    platform::IInstance& instance = *platform::Current().instance;
    if (HandOver(instance))
        return 0;

    // Only for a window about to show: an agent starting in the tray draws no text.
    std::optional<FontWarmUp> fonts;
    if (showWindow)
        fonts.emplace();
    ChooseWaylandWithoutX();
    TApplication app(argc, argv);
    TfrmMain* receiver = nullptr;
    const bool listening = instance.Listen(platform::AgentName, [&receiver](unsigned message) {
        if (message == platform::WM_AGENT_ACTIVATE && receiver)
            ReportErrors([&] { receiver->AgentActivate(); });
    });
    // Another agent took the name while this one started: it is the one to show. When the name
    // cannot be taken for another reason, this agent runs all the same, only unfindable.
    if (!listening && HandOver(instance))
        return 0;
    TQtMessageBox messageBox;
    SetMessageBox(&messageBox);
    RunMainWindow(showWindow, receiver);
    SetMessageBox(nullptr);
    instance.StopListening();
    return 0;
}

} // namespace kdx
