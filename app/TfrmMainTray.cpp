// The tray half of the main window: the icon and its menu, finding a tray of the session's
// kind, and the window's return to the task bar when no tray holds the icon.
#include "TfrmMain.h"

#include "platform/Platform.h"
#include "shell/ReportErrors.h"
#include "ui/ImageLists.h"
#include "ui/WidgetParts.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace kdx {

void TfrmMain::BuildTray()
{
    TrayMenu = new QMenu(this);
    TrayMenu->setObjectName("TrayMenu");
    mnuSettings = MakeAction(TrayMenu, "mnuSettings", "Settings");
    mnuExecute = MakeAction(TrayMenu, "mnuExecute", "Execute Screensaver");
    mnuDisable = MakeAction(TrayMenu, "mnuDisable", "Disable Screensaver");
    mnuDisable->setCheckable(true);
    TrayMenu->addAction(mnuSettings);
    TrayMenu->setDefaultAction(mnuSettings);
    TrayMenu->addAction(mnuExecute);
    TrayMenu->addAction(mnuDisable);
    mnuPopDesktop = TrayMenu->addMenu("Desktop");
    mnuPopDesktop->setObjectName("mnuPopDesktop");
    mnuNextWallpaper = MakeAction(mnuPopDesktop, "mnuNextWallpaper", "Next Wallpaper");
    mnuClearDesktop = MakeAction(mnuPopDesktop, "mnuClearDesktop", "Clear Desktop");
    mnuRestoreDesktop = MakeAction(mnuPopDesktop, "mnuRestoreDesktop", "Restore");
    mnuRestoreDesktop->setEnabled(false);
    mnuPopDesktop->addAction(mnuNextWallpaper);
    mnuPopDesktop->addSeparator();
    mnuPopDesktop->addAction(mnuClearDesktop);
    mnuPopDesktop->addAction(mnuRestoreDesktop);
    TrayMenu->addSeparator();
    mnuClose = MakeAction(TrayMenu, "mnuClose", "Close");
    TrayMenu->addAction(mnuClose);

    connect(mnuSettings, &QAction::triggered, this, Reporting(this, &TfrmMain::ShowMainWindow));
    connect(mnuClose, &QAction::triggered, this, Reporting(this, &TfrmMain::Terminate));
    connect(mnuExecute, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuExecuteClick));
    connect(mnuDisable, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuDisableClick));
    connect(mnuClearDesktop, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuClearDesktopClick));
    connect(mnuRestoreDesktop, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuRestoreDesktopClick));
    FNoTrayTimer = new QTimer(this);
    FNoTrayTimer->setObjectName("NoTrayTimer");
    FNoTrayTimer->setSingleShot(true);
    FNoTrayTimer->setInterval(NoTrayWait);
    connect(FNoTrayTimer, &QTimer::timeout, this, Reporting(this, &TfrmMain::NoTrayTimeout));
}

void TfrmMain::FindTray()
{
    platform::ITrayHosts* hosts = platform::Current().trayHosts;
    if (!hosts) {
        MakeTrayIcon(nullptr);
        return;
    }
    hosts->Watch([this] { ReportErrors([&] { TrayHostsChanged(); }); });
    if (platform::ITrayHost* host = hosts->Find())
        MakeTrayIcon(host);
}

void TfrmMain::AddTrayAndKeys()
{
    if (!FTrayAndKeysLater)
        return;
    FTrayAndKeysLater = false;
    FindTray();
    SetHotKeys(true);
}

void TfrmMain::MakeTrayIcon(platform::ITrayHost* host)
{
    // Made only once a tray is there: the toolkit chooses between a StatusNotifier host and an
    // XEmbed tray when the icon is made, and for good.
    FTrayHost = host;
    Tray = new QSystemTrayIcon(ProgramIcon(), this);
    Tray->setObjectName("Tray");
    Tray->setToolTip(ProgramTitle);
    Tray->setContextMenu(TrayMenu);
    const bool singleClick = host && host->Activation() == platform::TrayActivation::Click;
    const auto opening = singleClick ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick;
    connect(Tray, &QSystemTrayIcon::activated, this, [this, opening](QSystemTrayIcon::ActivationReason reason) {
        if (reason == opening)
            mnuSettings->trigger();
    });
    // In the tray from then to exit.
    Tray->show();
}

bool TfrmMain::InTray() { return Tray && (!FTrayHost || FTrayHost->Present()); }

void TfrmMain::TrayHostsChanged()
{
    if (!Tray)
        if (platform::ITrayHost* host = platform::Current().trayHosts->Find())
            MakeTrayIcon(host);
    if (!isVisible() && !InTray())
        FNoTrayTimer->start();
}

void TfrmMain::StartHidden()
{
    if (!InTray())
        FNoTrayTimer->start();
}

void TfrmMain::NoTrayTimeout()
{
    if (isVisible() || InTray())
        return;
    // Never shown yet: the start, which shows the window. Later the tray went away from a
    // hidden window, which waits on the task bar.
    if (FCentred)
        showMinimized();
    else
        ShowMainWindow();
}

} // namespace kdx
