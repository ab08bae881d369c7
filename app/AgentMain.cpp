#include "AgentMain.h"

#include "FontWarmUp.h"
#include "Panels.h"
#include "TApplication.h"
#include "TQtMessageBox.h"
#include "TfrmMain.h"
#include "help/hh.h"
#include "platform/Platform.h"
#include "prefs/TfrmMisc.h"
#include "shell/ReportErrors.h"

#include <cstring>

namespace kdx {

namespace {

bool HandOver(platform::IInstance& instance)
{
    return instance.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE);
}

void RunMainWindow(bool showWindow, TfrmMain*& receiver)
{
    // The preference dialog changes the hot keys of the window that opens it.
    TfrmMain frmMain(TFormCatalog {
        StandardPanels(), [](QWidget* owner) { ShowPreferenceDialog(dynamic_cast<IHotKeyOwner&>(*owner), owner); }});
    receiver = &frmMain;
    // A failing step ends the creation sequence; the agent runs on with what it has.
    ReportErrors([&] { frmMain.FormCreate(); });
    if (showWindow)
        frmMain.ShowMainWindow();
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

    const FontWarmUp fonts;
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
