#pragma once
#include "platform/AgentBus.h"
#include "platform/TrayHosts.h"
#include "platform/WindowHandle.h"
#include "prefs/IHotKeyOwner.h"
#include "settings/Records.h"
#include "shell/MonitorPictures.h"
#include "ui/PanelHost.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QVBoxLayout;

namespace kdx {

class ClockJumps;
class TConfig;
class TOutlookBar;
class TPublicUnit;

// The forms the main window opens, so that each can come with its own part of the program.
struct TFormCatalog {
    TPanelCatalog Panels;
    // Shows the preference dialog modally over Owner; empty while the dialog is not built.
    std::function<void(QWidget* owner)> ShowPreferences;
};

// Fixed texts of the main window.
namespace texts {
inline constexpr const char* NotAvailable = "This part of Kaleidra Agent is not available yet.";
inline constexpr const char* FeedbackAddress = "feedback@tembrix.com";
inline constexpr const char* FeedbackSubject = "?subject=Give advice about Kaleidra Deluxe";
// The global atoms whose values give the hot keys' ids.
inline constexpr const char* ActivateHotKeyAtom = "KaleidraActivateHotKey";
inline constexpr const char* ExecuteHotKeyAtom = "KaleidraExecuteHotKey";
// Clear Desktop where the desktop lets no program minimise the others' windows (Wayland
// without a show-desktop command of its own).
inline constexpr const char* CannotClearDesktop
    = "This desktop does not allow Kaleidra Agent to clear it: the windows and icons stay as they are.";
// After "Cannot open file %s: " and the reason, when the settings file is there but cannot be read.
inline constexpr const char* DefaultsUsed = ". Kaleidra Agent shows its default settings until it can read it.";
} // namespace texts

// When the window gets its tray icon and registers its hot keys: as it is made (a start in the
// tray, which they are for), or just after it has reached the screen (a start with the window
// shown, which the user sees first and which they would only hold up).
enum class TTrayAndKeys { WithWindow, AfterWindowShown };

// When the window builds its own parts (bars, side bar, work area, the docked panel): as it is
// made, or when it is first shown (a start in the tray, where the user may never open it and the
// parts would only hold memory).
enum class TWindowParts { Now, AtFirstShow };

// A generator of random numbers 0..N-1 of its own, seeded by the system.
std::function<int(int n)> RandomBelow();

// The agent's only top-level window: tool bar, menus, side bar, the work area that docks one
// panel at a time, the status bar, and the tray icon through which the agent lives hidden.
class TfrmMain : public QMainWindow, public IPanelHost, public IHotKeyOwner {
    Q_OBJECT
public:
    explicit TfrmMain(TFormCatalog forms, QWidget* parent = nullptr,
        TTrayAndKeys trayAndKeys = TTrayAndKeys::WithWindow, TWindowParts parts = TWindowParts::Now);
    ~TfrmMain() override;

    // The creation sequence. It runs once, after the window is built, so that a failing step
    // reaches the error report while the window stands.
    void FormCreate();
    // The close sequence: run by the close box only; the other ways out skip it.
    void FormClose();

    // Docks the panel of Index; false when this build has no such panel (nothing changes then).
    bool ShowPanel(int index);
    TPanel* DockedPanel() const { return FPanel; }
    int DockedIndex() const { return FPanelIndex; }

    // The five panel commands, reached from the menu, the tool bar and the side bar.
    void mnuStatusClick();
    void mnuSaverClick();
    void mnuFlashClick();
    void mnuPictureClick();
    void mnuWallpaperClick();

    void DisplayHint(const QString& hint);
    void ShowMainWindow(); // the tray's show operation
    void HideMainWindow(); // the tool bar's hide operation
    // The start without the switch: hidden in the tray, or shown when the session has no tray.
    void StartHidden();
    // A second start handed over: bring the window to the user.
    void AgentActivate();
    // A message a later start handed over (a command-line switch), or a command of the session
    // bus: the answer for the asking program, nothing for a message the agent does not know.
    // Commands run from the event loop once the answer is given.
    std::optional<std::string> AgentMessage(unsigned message);
    // What the agent tells other programs about itself; the lists' sizes only when asked, since
    // they are read from the settings file.
    platform::AgentState CurrentState(bool withLists);
    // The answer to the status switch: the current wallpaper, the next change, the lists' sizes.
    std::string StatusText();
    // Ends the program at once, without the close sequence.
    void Terminate();

    // The hot keys: each registered letter with Ctrl + Alt, or both released (IHotKeyOwner).
    void SetHotKeys(bool Active) override;
    void SetActivateKey(const std::string& key) override { FActivateKey = key; }
    void SetExecuteKey(const std::string& key) override { FExecuteKey = key; }
    // WM_HOTKEY: Id is the hot key pressed.
    void WMHotKey(int id);
    // The tray's screensaver and desktop commands.
    void mnuExecuteClick();
    void mnuDisableClick(bool checked);
    void mnuClearDesktopClick();
    void mnuRestoreDesktopClick();

    // IPanelHost
    void SetStatusText(int panel, const QString& text) override;
    QString StatusText(int panel) const override;
    const TImageList& ImageList(ImageListId id) const override;
    void ProcessMessages() override;
    void ReloadWallpaper() override;
    void EnableTimerPaper(bool enabled) override;
    void WallpaperShown(const std::string& picture) override;
    std::vector<TMonitorStatus> MonitorWallpapers() const override { return FMonitorStatus; }

    // The wallpaper rotation: a random entry of the list now, and the timer's tick.
    void ChangeWallpaper();
    void TimerPaperTimer();
    void mnuNextWallpaperClick();
    // Sets the timer, while it is enabled, to the next instant a change can be due.
    void ArmTimerPaper();
    // The wall clock jumped (a set time, a wake from sleep): the armed instant no longer holds.
    void ClockJumped();
    // The rotation's clock and its pause after a timed change; tests put their own in place.
    std::function<TDateTime()> Now = [] { return TDateTime::Now(); };
    std::function<void(int ms)> Pause;

    // A different picture on each monitor (TfrmMainMonitors.cpp). The monitors as the desktop
    // tells them, else as the toolkit does, the primary first; empty when neither can.
    std::vector<platform::Monitor> CurrentMonitors();
    // The monitors changed (one added, removed, moved or turned): each monitor that showed a
    // picture keeps it, one that comes back gets its own again, a new one gets one no other
    // shows. No change of the rotation: the stamp stays. Also the next attempt for monitors that
    // did not show their picture yet (a desktop that learns of a new monitor a moment later).
    void MonitorsChanged();
    // Random numbers for the monitors' picks: 0..N-1.
    std::function<int(int n)> MonitorRandom = RandomBelow();

    // Components, named as the layout names them. The window's parts are null until built.
    QToolBar* ToolBar = nullptr;
    QAction *btClose = nullptr, *btMinimize = nullptr, *btPreference = nullptr;
    QAction *btStatus = nullptr, *btScreensaver = nullptr, *btFlash = nullptr, *btPicture = nullptr,
            *btWallpaper = nullptr;
    QAction *btHelp = nullptr, *btWebsite = nullptr, *btMail = nullptr, *btAbout = nullptr;
    QMenu *View1 = nullptr, *mnuScreenSaver = nullptr, *mnuDesktop = nullptr, *View2 = nullptr, *Help1 = nullptr;
    QAction *mnuStatus = nullptr, *mnuSaver = nullptr, *mnuFlash = nullptr, *mnuPicture = nullptr,
            *mnuWallpaper = nullptr, *mnuPrefer = nullptr, *mnuExit = nullptr;
    QAction *mnuToolbar = nullptr, *mnuOutlook = nullptr, *mnuHelp = nullptr, *Website1 = nullptr, *mnuAbout = nullptr;
    TOutlookBar* OutlookBar = nullptr;
    QFrame *palBack = nullptr, *palTop = nullptr, *palLogo = nullptr, *palMain = nullptr;
    QLabel *lbeTitle = nullptr, *Image1 = nullptr;
    QStatusBar* StatusBar = nullptr;
    // Made when the session has a tray, at start or as soon as one appears; null until then.
    QSystemTrayIcon* Tray = nullptr;
    QMenu *TrayMenu, *mnuPopDesktop;
    QAction *mnuSettings, *mnuExecute, *mnuDisable, *mnuNextWallpaper, *mnuClearDesktop, *mnuRestoreDesktop, *mnuClose;
    // The wallpaper rotation's timer: single-shot, armed for the next instant a change can be due
    // (at least a second ahead), so the agent sleeps while nothing is due. Active while enabled.
    QTimer* TimerPaper;

    // Owned for the whole run.
    std::unique_ptr<TConfig> FConfig;
    TMisc FMisc;
    std::unique_ptr<TPublicUnit> FPubUnit;
    // The hot keys' ids and letters, registered and released by the hot-key commands, and the
    // atoms that gave the ids (0 where the atom table failed).
    std::int32_t FActivateId = 0;
    std::int32_t FExecuteId = 0;
    std::uint16_t FActivateAtom = 0;
    std::uint16_t FExecuteAtom = 0;
    std::string FActivateKey;
    std::string FExecuteKey;
    std::unique_ptr<TWallpaper> FWallpaper;
    // When the last wallpaper change failed, until one succeeds or the rotation is switched on
    // anew; the next timed attempt waits a whole period from it. Held in memory only: the stamp
    // in the settings file stays that of the last change made.
    std::optional<TDateTime> FFailedChange;
    // Whether the rotation's timer is enabled; the timer itself is idle between its firing and
    // its next arming.
    bool FTimerPaperOn = false;
    std::unique_ptr<ClockJumps> FClockJumps;
    // The picture last put on the desktop in this run, by the rotation or the wallpaper editor.
    std::string FCurrentWallpaper;
    // What each monitor was given, by name, for the run; the monitors of the last change; what
    // each showed then; the pictures' sizes read so far.
    MonitorRecords FMonitorRecords;
    std::vector<platform::Monitor> FShownMonitors;
    std::vector<TMonitorStatus> FMonitorStatus;
    TPictureSizes FPictureSizes;
    // Fires a moment after the toolkit reported a change of the screens (several come at once),
    // or for the next attempt at monitors that did not show their picture.
    QTimer* FMonitorTimer = nullptr;
    int FMonitorAttempts = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    // How long a hidden window waits for a tray: a panel that starts with the session, or
    // restarts, comes within it.
    static constexpr int NoTrayWait = 3000;

    // The window's least size follows what its parts need.
    void FollowContentsMinimum();
    // The window's parts: built once, when made or at the first show (see TWindowParts).
    void BuildParts();
    bool PartsBuilt() const { return StatusBar != nullptr; }
    void BuildToolBar();
    void BuildMenus();
    void BuildOutlookBar();
    void BuildWorkArea();
    // The tray half (TfrmMainTray.cpp).
    void BuildTray();
    void FindTray();
    // The tray and the hot keys held back until the window was shown, once.
    void AddTrayAndKeys();
    void MakeTrayIcon(platform::ITrayHost* host);
    void TrayHostsChanged();
    // Whether the icon is in a tray now, so that a hidden window can be reached through it.
    bool InTray();
    void NoTrayTimeout();
    platform::WindowHandle Handle();
    // The hot keys' ids from the global atom table, and their release.
    void AddHotKeyAtoms();
    void DeleteHotKeyAtoms();
    QAction* AddToolButton(const char* name, int image, const char* hint);
    // Runs the docked panel's leave step; false when the panel stays.
    bool LeavePanel();
    void StartRotation();
    // Says once, at start, that the settings file is there but cannot be read.
    void ReportUnreadableSettings();
    // A change the rotation makes by itself; false when it failed, which is reported by
    // ReportRotationError.
    bool RotationChange();
    // Reports a failure of the rotation without holding it up: the box opens from the event loop
    // once the running tick has ended, so the rotation goes on meanwhile, and while it is open
    // the rotation's further reports open no other.
    void ReportRotationError(const std::string& text);
    // When the rotation changes the wallpaper next; nothing when it is off or done for this run.
    std::optional<TDateTime> NextChangeAt();
    // Tells the session bus's listeners of the state, when it moved.
    void AnnounceState();
    // Follows the toolkit's screens: added, removed, resized, turned.
    void WatchMonitors();
    // Gives each monitor its pick and keeps what each shows.
    platform::WallpaperOutcome ShowMonitorPicks(std::vector<MonitorPick> picks);
    void PanelCommand(int index, int page);
    void MarkPanel(int index);
    void OpenShell(const std::string& target);
    void mnuExitClick();
    void mnuPreferClick();
    void mnuToolbarClick(bool checked);
    void mnuOutlookClick(bool checked);
    void mnuHelpClick();
    void btWebsiteClick();
    void btMailClick();
    void mnuAboutClick();

    TFormCatalog FForms;
    TImageList imgRandomList, imgSearch, imgOutlook;
    // The status bar's texts, kept while the bar is not built.
    std::array<QString, 2> FStatusTexts;
    std::array<QLabel*, 2> FStatusPanels {};
    std::array<QAction*, PanelCount> FPanelItems {};
    std::array<QAction*, PanelCount> FPanelButtons {};
    QVBoxLayout* FWorkLayout = nullptr;
    TPanel* FPanel = nullptr;
    int FPanelIndex = -1;
    // A panel command given before the parts were built, and its side-bar page: carried out
    // when they are (-1: none).
    int FPendingPanel = -1;
    int FPendingPage = -1;
    bool FCentred = false;
    // Whether the rotation's last change showed on the desktop: a row of changes that nothing
    // shows is reported once, at its first.
    bool FWallpaperShown = true;
    // Set from the report of a rotation's failure until its box is closed.
    bool FRotationReportOpen = false;
    // Set while a wallpaper change runs: a change asked for meanwhile (a tick while the desktop
    // is still answering) is not started inside it.
    bool FChangingWallpaper = false;
    // The kind of tray the icon was given to (null: the platform's one tray, always there).
    platform::ITrayHost* FTrayHost = nullptr;
    // Runs while the window is hidden and no tray holds the icon; at its end the window comes
    // back, so that the user can always reach the agent.
    QTimer* FNoTrayTimer = nullptr;
    // Set while the tray and the hot keys wait for the window to reach the screen.
    bool FTrayAndKeysLater = false;
};

} // namespace kdx
