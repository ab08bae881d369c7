// The main window's hot keys, screensaver commands and desktop commands.
#include "TfrmMain.h"

#include "platform/Platform.h"
#include "prefs/HotKeyText.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"
#include "shell/TPublicUnit.h"

#include <QAction>

namespace kdx {

namespace {

platform::Services& Os() { return platform::Current(); }

// RegisterHotKey's modifiers: always Ctrl + Alt (3).
constexpr unsigned HotKeyModifiers = platform::ModControl | platform::ModAlt;

} // namespace

platform::WindowHandle TfrmMain::Handle() { return platform::WindowHandle(winId()); }

void TfrmMain::AddHotKeyAtoms()
{
    FActivateId = std::int32_t(Os().atoms->GlobalAddAtom(texts::ActivateHotKeyAtom)) - platform::FirstStringAtom;
    FExecuteId = std::int32_t(Os().atoms->GlobalAddAtom(texts::ExecuteHotKeyAtom)) - platform::FirstStringAtom;
    Os().hotKeys->SetHandler(Handle(), [this](int id) { ReportErrors([&] { WMHotKey(id); }); });
}

void TfrmMain::DeleteHotKeyAtoms()
{
    Os().atoms->GlobalDeleteAtom(std::uint16_t(FActivateId + platform::FirstStringAtom));
    Os().atoms->GlobalDeleteAtom(std::uint16_t(FExecuteId + platform::FirstStringAtom));
}

void TfrmMain::SetHotKeys(bool Active)
{
    platform::IHotKeys& keys = *Os().hotKeys;
    // A refused key is not reported: that hot key simply does nothing.
    if (Active) {
        if (!FActivateKey.empty())
            keys.RegisterHotKey(Handle(), FActivateId, HotKeyModifiers, HotKeyVirtualKey(FActivateKey));
        if (!FExecuteKey.empty())
            keys.RegisterHotKey(Handle(), FExecuteId, HotKeyModifiers, HotKeyVirtualKey(FExecuteKey));
        return;
    }
    keys.UnregisterHotKey(Handle(), FActivateId);
    keys.UnregisterHotKey(Handle(), FExecuteId);
}

void TfrmMain::WMHotKey(int id)
{
    if (id == FActivateId)
        ShowMainWindow();
    if (id == FExecuteId)
        mnuExecuteClick();
}

void TfrmMain::mnuExecuteClick() { Os().shell->Execute("open", files::CompanionSaver, ""); }

void TfrmMain::mnuDisableClick(bool checked)
{
    // The item has turned its check mark already: Checked is the new mark, not the old one.
    if (FConfig)
        FConfig->SetSystemSaver(!checked);
}

void TfrmMain::mnuClearDesktopClick()
{
    platform::IDesktopWindows& windows = *Os().desktopWindows;
    if (!windows.CanWalkWindows()) {
        // Here no program sees the others' windows: the desktop's own command, or a word why
        // nothing happens.
        if (!windows.ShowDesktop()) {
            TPublicUnit().ShowInfo(texts::CannotClearDesktop);
            return;
        }
        mnuRestoreDesktop->setEnabled(true);
        mnuClearDesktop->setEnabled(false);
        return;
    }
    windows.ShowWindow(windows.FindDesktopIconsWindow(), false);
    mnuRestoreDesktop->setEnabled(true);
    mnuClearDesktop->setEnabled(false);
    TPublicUnit().MinimizeWindows(Handle());
}

void TfrmMain::mnuRestoreDesktopClick()
{
    platform::IDesktopWindows& windows = *Os().desktopWindows;
    windows.ShowWindow(windows.FindDesktopIconsWindow(), true);
    mnuRestoreDesktop->setEnabled(false);
    mnuClearDesktop->setEnabled(true);
}

} // namespace kdx
