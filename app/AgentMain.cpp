#include "AgentMain.h"

#include "AgentCommandLine.h"
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

// The commands of the agent's service on the session bus: the same as the command-line switches.
void PublishOnBus(TfrmMain& main)
{
    platform::IAgentBus* bus = platform::Current().agentBus;
    if (!bus)
        return;
    const auto command
        = [&main](unsigned message) { return [&main, message] { ReportErrors([&] { main.AgentMessage(message); }); }; };
    bus->Publish({command(platform::WM_AGENT_ACTIVATE), command(platform::WM_AGENT_EXECUTE),
        command(platform::WM_AGENT_NEXT_WALLPAPER), command(platform::WM_AGENT_CLEAR_DESKTOP),
        [&main](bool withLists) { return main.CurrentState(withLists); }});
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
    PublishOnBus(frmMain);
    QApplication::exec();
    if (platform::IAgentBus* bus = platform::Current().agentBus)
        bus->Withdraw();
    receiver = nullptr;
}

} // namespace

bool ShowsWindowAtStart(int argc, const char* const* argv)
{
    return ParseCommandLine(argc, argv).kind == TCommandLine::StartShown;
}

int RunAgent(int argc, char** argv)
{
    // Read before Qt takes its own options out of the command line.
    const TCommandLine line = ParseCommandLine(argc, argv);
    platform::IInstance& instance = *platform::Current().instance;
    switch (line.kind) {
    case TCommandLine::Help:
        StartingConsole().Out(Usage());
        return ExitDone;
    case TCommandLine::Unknown:
        StartingConsole().Error(UnknownSwitch(line.argument));
        return ExitUnknownSwitch;
    case TCommandLine::Verb:
        return RunVerb(instance, *line.verb, StartingConsole());
    case TCommandLine::Start:
    case TCommandLine::StartShown:
        break;
    }
    THelpControlScope helpControl;
    const bool showWindow = line.kind == TCommandLine::StartShown;
    if (HandOver(instance))
        return 0;

    // Only for a window about to show: an agent starting in the tray draws no text.
    std::optional<FontWarmUp> fonts;
    if (showWindow)
        fonts.emplace();
    ChooseWaylandWithoutX();
    ChooseFontEngine();
    TApplication app(argc, argv);
    TfrmMain* receiver = nullptr;
    const bool listening = instance.Listen(platform::AgentName, [&receiver](unsigned message) {
        std::optional<std::string> answer;
        if (receiver)
            ReportErrors([&] { answer = receiver->AgentMessage(message); });
        return answer;
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
