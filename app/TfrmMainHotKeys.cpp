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

// The id of a hot key whose atom the table could not give, the last an application may use.
constexpr std::int32_t PrivateHotKeyId = 0x3FFF;

} // namespace

platform::WindowHandle TfrmMain::Handle() { return platform::WindowHandle(winId()); }

void TfrmMain::AddHotKeyAtoms()
{
    FActivateAtom = Os().atoms->GlobalAddAtom(texts::ActivateHotKeyAtom);
    FExecuteAtom = Os().atoms->GlobalAddAtom(texts::ExecuteHotKeyAtom);
    // An atom the table could not give (0) would make both ids -0xC000, and one hot key would
    // then do both commands: such a key gets an id of its own instead, never the other's.
    const auto idOf = [](std::uint16_t atom) { return atom ? std::int32_t(atom) - platform::FirstStringAtom : -1; };
    FActivateId = idOf(FActivateAtom);
    FExecuteId = idOf(FExecuteAtom);
    if (FActivateId < 0)
        FActivateId = FExecuteId == PrivateHotKeyId ? PrivateHotKeyId - 1 : PrivateHotKeyId;
    if (FExecuteId < 0)
        FExecuteId = FActivateId == PrivateHotKeyId ? PrivateHotKeyId - 1 : PrivateHotKeyId;
    Os().hotKeys->SetHandler(Handle(), [this](int id) { ReportErrors([&] { WMHotKey(id); }); });
    // Desktops that list keys by name, or run a command for them, name them after their switches.
    Os().hotKeys->DescribeHotKey(Handle(), FActivateId, {platform::ShowVerb, texts::ActivateHotKeyTitle});
    Os().hotKeys->DescribeHotKey(Handle(), FExecuteId, {platform::ExecuteVerb, texts::ExecuteHotKeyTitle});
}

void TfrmMain::DeleteHotKeyAtoms()
{
    // Only atoms the table gave: a private id names no atom of ours.
    for (std::uint16_t* atom : {&FActivateAtom, &FExecuteAtom}) {
        if (*atom)
            Os().atoms->GlobalDeleteAtom(*atom);
        *atom = 0;
    }
}

void TfrmMain::SetHotKeys(bool Active)
{
    platform::IHotKeys& keys = *Os().hotKeys;
    // A refused key is not reported: that hot key simply does nothing. A key without a letter
    // is not wanted at all, which the desktops that keep keys among their own settings are told.
    if (Active) {
        for (const auto& [key, id] : {std::pair {&FActivateKey, FActivateId}, std::pair {&FExecuteKey, FExecuteId}}) {
            if (key->empty())
                keys.DropHotKey(Handle(), id);
            else
                keys.RegisterHotKey(Handle(), id, HotKeyModifiers, HotKeyVirtualKey(*key));
        }
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
