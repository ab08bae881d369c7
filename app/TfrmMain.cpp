#include "TfrmMain.h"

#include "ClockJumps.h"
#include "TOutlookBar.h"
#include "help/TfrmAbout.h"
#include "help/hh.h"
#include "platform/Platform.h"
#include "settings/Errors.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"
#include "shell/TPublicUnit.h"
#include "ui/ImageLists.h"
#include "ui/WidgetParts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

namespace kdx {

namespace {

constexpr int OutlookBarWidth = 130;
// The smallest window the design draws; its texts may ask for more.
constexpr QSize DesignMinimum(652, 492);
constexpr int CountPanelWidth = 100;
// Side-bar pages.
constexpr int ScreensaverPage = 0;
constexpr int DesktopPage = 1;
constexpr int PageUnchanged = -1;

// A raised inner and lowered outer bevel.
void SetDoubleBevel(QFrame* panel)
{
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(1);
}

} // namespace

TfrmMain::TfrmMain(TFormCatalog forms, QWidget* parent, TTrayAndKeys trayAndKeys, TWindowParts parts)
    : QMainWindow(parent), FForms(std::move(forms))
{
    setObjectName("frmMain");
    setWindowTitle(ProgramTitle);
    setWindowIcon(ProgramIcon());
    resize(678, 492);
    setMinimumSize(DesignMinimum);
    TimerPaper = new QTimer(this);
    TimerPaper->setObjectName("TimerPaper");
    TimerPaper->setSingleShot(true);
    TimerPaper->setTimerType(Qt::PreciseTimer); // an hour's sleep must not end minutes early
    if (parts == TWindowParts::Now)
        BuildParts();
    BuildTray();
    FTrayAndKeysLater = trayAndKeys == TTrayAndKeys::AfterWindowShown;
    if (!FTrayAndKeysLater)
        FindTray();
}

TfrmMain::~TfrmMain()
{
    // The docked panel goes without its leave step: leaving the program saves nothing.
    delete FPanel;
    // No hot key reaches a window that is gone, nor any news of the trays.
    platform::Current().hotKeys->SetHandler(Handle(), {});
    if (platform::ITrayHosts* hosts = platform::Current().trayHosts)
        hosts->Watch({});
}

QAction* TfrmMain::AddToolButton(const char* name, int image, const char* hint)
{
    QAction* action = ToolBar->addAction(imgRandomList.Icon(image), QString());
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    ToolBar->widgetForAction(action)->setObjectName(name);
    return action;
}

void TfrmMain::BuildParts()
{
    imgRandomList = MakeRandomImages();
    imgSearch = MakeSearchImages();
    imgOutlook = MakeOutlookImages();
    BuildToolBar();
    BuildMenus();
    BuildOutlookBar();
    BuildWorkArea();
    for (int panel : {CountPanel, TextPanel})
        FStatusPanels[size_t(panel)]->setText(FStatusTexts[size_t(panel)]);
}

void TfrmMain::BuildToolBar()
{
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setFixedHeight(25);
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, ToolBar);

    btClose = AddToolButton("btClose", images::NoEntry, "Close the Kaleidra Agent application");
    btMinimize = AddToolButton("btMinimize", images::Sleep, "Minimize the Agent window");
    btPreference = AddToolButton("btPreference", images::GearWindow, "Open the preference window");
    ToolBar->addSeparator();
    btStatus = AddToolButton("btStatus", images::PaintBucket, "Check the Kaleidra status");
    btScreensaver = AddToolButton("btScreensaver", images::FilmFrame, "Edit the screensaver randomlist");
    btFlash = AddToolButton("btFlash", images::DiscPage, "Edit the flash random list");
    btPicture = AddToolButton("btPicture", images::LandscapePicture, "Edit the picture random list");
    btWallpaper = AddToolButton("btWallpaper", images::MonitorBubble, "Edit the wallpaper random list");
    ToolBar->addSeparator();
    btHelp = AddToolButton("btHelp", images::QuestionBubble, "Open the help document of Kaleidra");
    btWebsite = AddToolButton("btWebsite", images::Globe, "Go to the website of Kaleidra");
    btMail = AddToolButton("btMail", images::Envelope, "Give advice to Tembrix Software about Kaleidra");
    btAbout = AddToolButton("btAbout", images::WarningTriangle, "Open information of Kaleidra");

    FPanelButtons = {btStatus, btScreensaver, btFlash, btPicture, btWallpaper};
    // Checkable so that one shows as down; the commands, not the clicks, decide which.
    for (QAction* button : FPanelButtons)
        button->setCheckable(true);

    connect(btClose, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuExitClick));
    connect(btMinimize, &QAction::triggered, this, Reporting(this, &TfrmMain::HideMainWindow));
    connect(btPreference, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuPreferClick));
    connect(btStatus, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuStatusClick));
    connect(btScreensaver, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuSaverClick));
    connect(btFlash, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuFlashClick));
    connect(btPicture, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuPictureClick));
    connect(btWallpaper, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuWallpaperClick));
    connect(btHelp, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuHelpClick));
    connect(btWebsite, &QAction::triggered, this, Reporting(this, &TfrmMain::btWebsiteClick));
    connect(btMail, &QAction::triggered, this, Reporting(this, &TfrmMain::btMailClick));
    connect(btAbout, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuAboutClick));
}

void TfrmMain::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    View1 = bar->addMenu("Agent");
    View1->setObjectName("View1");
    mnuStatus = View1->addAction("Status");
    mnuScreenSaver = View1->addMenu("ScreenSaver");
    mnuSaver = mnuScreenSaver->addAction("ScreenSaver");
    mnuFlash = mnuScreenSaver->addAction("Flash");
    mnuPicture = mnuScreenSaver->addAction("Picture");
    mnuDesktop = View1->addMenu("Desktop");
    mnuWallpaper = mnuDesktop->addAction("Wallpaper");
    View1->addSeparator();
    mnuPrefer = View1->addAction("Preference");
    mnuPrefer->setShortcut(Qt::Key_F2);
    View1->addSeparator();
    mnuExit = View1->addAction("E&xit");
    mnuExit->setShortcut(Qt::CTRL | Qt::Key_X);

    View2 = bar->addMenu("View");
    View2->setObjectName("View2");
    mnuToolbar = View2->addAction("Toolbar");
    mnuToolbar->setShortcut(Qt::Key_F5);
    mnuOutlook = View2->addAction("Outllook Bar");
    mnuOutlook->setShortcut(Qt::Key_F6);

    Help1 = bar->addMenu("Help");
    Help1->setObjectName("Help1");
    mnuHelp = Help1->addAction("KDX Help");
    mnuHelp->setShortcut(Qt::Key_F1);
    Website1 = Help1->addAction("Tembrix Software");
    Help1->addSeparator();
    mnuAbout = Help1->addAction("About");

    mnuScreenSaver->setObjectName("mnuScreenSaver");
    mnuDesktop->setObjectName("mnuDesktop");
    const std::pair<QAction*, const char*> names[]
        = {{mnuStatus, "mnuStatus"}, {mnuSaver, "mnuSaver"}, {mnuFlash, "mnuFlash"}, {mnuPicture, "mnuPicture"},
            {mnuWallpaper, "mnuWallpaper"}, {mnuPrefer, "mnuPrefer"}, {mnuExit, "mnuExit"}, {mnuToolbar, "mnuToolbar"},
            {mnuOutlook, "mnuOutlook"}, {mnuHelp, "mnuHelp"}, {Website1, "Website1"}, {mnuAbout, "mnuAbout"}};
    for (const auto& [action, name] : names)
        action->setObjectName(name);

    FPanelItems = {mnuStatus, mnuSaver, mnuFlash, mnuPicture, mnuWallpaper};
    for (QAction* item : FPanelItems)
        item->setCheckable(true);
    for (QAction* toggle : {mnuToolbar, mnuOutlook}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }

    connect(mnuStatus, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuStatusClick));
    connect(mnuSaver, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuSaverClick));
    connect(mnuFlash, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuFlashClick));
    connect(mnuPicture, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuPictureClick));
    connect(mnuWallpaper, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuWallpaperClick));
    connect(mnuPrefer, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuPreferClick));
    connect(mnuExit, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuExitClick));
    connect(mnuToolbar, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuToolbarClick));
    connect(mnuOutlook, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuOutlookClick));
    connect(mnuHelp, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuHelpClick));
    // The maker's name in the Help menu leads to the maker, as the tool bar's globe does.
    connect(Website1, &QAction::triggered, this, Reporting(this, &TfrmMain::btWebsiteClick));
    connect(mnuAbout, &QAction::triggered, this, Reporting(this, &TfrmMain::mnuAboutClick));
}

void TfrmMain::BuildOutlookBar()
{
    OutlookBar = new TOutlookBar(imgOutlook, this);
    OutlookBar->setObjectName("OutlookBar");
    OutlookBar->setFixedWidth(OutlookBarWidth);
    const int saver = OutlookBar->AddPage("osbScreenSaver", "Screensaver", "SaverPanel", 18);
    OutlookBar->AddItem(saver, "Screensaver", 2);
    OutlookBar->AddItem(saver, "Flash", 4);
    OutlookBar->AddItem(saver, "Picture", 1);
    const int desktop = OutlookBar->AddPage("osbDesktop", "Desktop", "DesktopPanel", 20);
    OutlookBar->AddItem(desktop, "Wallpaper", 0);
    OutlookBar->SetActivePage(ScreensaverPage);
    connect(OutlookBar, &TOutlookBar::ItemClicked, this, [this](int page, int item) {
        static constexpr void (TfrmMain::*saverItems[])()
            = {&TfrmMain::mnuSaverClick, &TfrmMain::mnuFlashClick, &TfrmMain::mnuPictureClick};
        ReportErrors([&] {
            if (page == DesktopPage)
                mnuWallpaperClick();
            else if (page == ScreensaverPage && item >= 0 && item < 3)
                (this->*saverItems[item])();
        });
    });
}

void TfrmMain::BuildWorkArea()
{
    auto* centre = new QWidget(this);
    auto* columns = new QHBoxLayout(centre);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    columns->addWidget(OutlookBar);

    palBack = MakePanel("palBack", centre);
    columns->addWidget(palBack, 1);
    auto* rows = new QVBoxLayout(palBack);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    palTop = MakePanel("palTop", palBack);
    SetDoubleBevel(palTop);
    palTop->setFixedHeight(41);
    auto* top = new QHBoxLayout(palTop);
    top->setContentsMargins(16, 0, 2, 0);
    lbeTitle = new QLabel("Kaleidra Deluxe V3.00", palTop);
    lbeTitle->setObjectName("lbeTitle");
    QFont title = lbeTitle->font();
    title.setBold(true);
    title.setPixelSize(16);
    lbeTitle->setFont(title);
    SetTextColour(lbeTitle, Qt::darkBlue);
    top->addWidget(lbeTitle, 0, Qt::AlignVCenter);
    top->addStretch();
    palLogo = MakePanel("palLogo", palTop);
    SetDoubleBevel(palLogo);
    auto* logo = new QHBoxLayout(palLogo);
    logo->setContentsMargins(0, 0, 0, 0);
    Image1 = new QLabel(palLogo);
    Image1->setObjectName("Image1");
    Image1->setPixmap(LogoPicture());
    Image1->setAlignment(Qt::AlignCenter);
    logo->addWidget(Image1);
    top->addWidget(palLogo, 0, Qt::AlignVCenter);
    rows->addWidget(palTop);

    palMain = MakePanel("palMain", palBack);
    FWorkLayout = new QVBoxLayout(palMain);
    FWorkLayout->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(palMain, 1);

    StatusBar = new QStatusBar(palBack);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setMinimumHeight(18);
    for (int i = 0; i < 2; ++i) {
        FStatusPanels[size_t(i)] = new QLabel(StatusBar);
        FStatusPanels[size_t(i)]->setObjectName(QString("StatusPanel%1").arg(i));
        FStatusPanels[size_t(i)]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    FStatusPanels[CountPanel]->setFixedWidth(CountPanelWidth);
    StatusBar->addWidget(FStatusPanels[CountPanel]);
    StatusBar->addWidget(FStatusPanels[TextPanel], 1);
    rows->addWidget(StatusBar);

    setCentralWidget(centre);
}

void TfrmMain::ReportUnreadableSettings()
{
    // Every read gives its default then: the user learns once, and why, rather than finding the
    // lists gone. The box opens once the window is made.
    const std::string problem = FConfig->IniFile->ReadProblem();
    if (problem.empty())
        return;
    const std::string text
        = FormatText(kdx::texts::CannotOpenFile, FConfig->IniFile->FileName()) + ": " + problem + texts::DefaultsUsed;
    QMetaObject::invokeMethod(
        this, [text] { ReportError(text); }, Qt::QueuedConnection);
}

void TfrmMain::FormCreate()
{
    FPubUnit = std::make_unique<TPublicUnit>();
    FConfig = std::make_unique<TConfig>();
    ReportUnreadableSettings();
    FConfig->LoadMisc(FMisc);
    AddHotKeyAtoms();
    FActivateKey = FMisc.ActivateHotKey;
    FExecuteKey = FMisc.ExecuteHotKey;
    if (!FTrayAndKeysLater)
        SetHotKeys(true);
    mnuStatusClick();
    StartRotation();
}

void TfrmMain::FormClose()
{
    FMisc.ReleaseItems();
    if (FConfig)
        FConfig->ReleaseFile();
    FPubUnit.reset();
    SetHotKeys(false);
    DeleteHotKeyAtoms();
    if (FWallpaper)
        FWallpaper->ReleaseItems();
}

bool TfrmMain::ShowPanel(int index)
{
    if (index < 0 || index >= PanelCount || !FForms.Panels[size_t(index)]) {
        SetStatusText(TextPanel, texts::NotAvailable);
        return false;
    }
    if (FPanel && FPanelIndex == index)
        return true;
    if (FPanel && !LeavePanel())
        return false;
    TPanel* panel = FForms.Panels[size_t(index)](*this, palMain);
    panel->setWindowFlags(Qt::Widget);
    FWorkLayout->addWidget(panel);
    FPanel = panel;
    FPanelIndex = index;
    panel->show();
    return true;
}

bool TfrmMain::LeavePanel()
{
    FPanel->hide();
    bool left = false;
    try {
        left = FPanel->FormHide();
    } catch (...) {
        // A leave step that failed (its save, say) keeps the panel docked with its edits.
        FPanel->show();
        throw;
    }
    if (!left) {
        FPanel->show();
        return false;
    }
    // Deleted once control is back in the event loop, so that a task of the panel that was
    // running pending messages when the user moved on can unwind first.
    FPanel->deleteLater();
    FPanel = nullptr;
    FPanelIndex = -1;
    return true;
}

void TfrmMain::PanelCommand(int index, int page)
{
    if (!PartsBuilt()) {
        FPendingPanel = index;
        FPendingPage = page;
        return;
    }
    // A click has already toggled its own item or button; the marks are set afresh either way.
    bool docked = false;
    try {
        docked = ShowPanel(index);
    } catch (...) {
        MarkPanel(FPanelIndex);
        throw;
    }
    MarkPanel(docked ? index : FPanelIndex);
    if (docked && page != PageUnchanged)
        OutlookBar->SetActivePage(page);
}

void TfrmMain::MarkPanel(int index)
{
    for (int i = 0; i < PanelCount; ++i) {
        FPanelItems[size_t(i)]->setChecked(i == index);
        FPanelButtons[size_t(i)]->setChecked(i == index);
    }
}

void TfrmMain::mnuStatusClick() { PanelCommand(StatusPanel, PageUnchanged); }
void TfrmMain::mnuSaverClick() { PanelCommand(SaverPanel, ScreensaverPage); }
void TfrmMain::mnuFlashClick() { PanelCommand(FlashPanel, ScreensaverPage); }
void TfrmMain::mnuPictureClick() { PanelCommand(PicturePanel, ScreensaverPage); }
void TfrmMain::mnuWallpaperClick() { PanelCommand(WallpaperPanel, DesktopPage); }

void TfrmMain::DisplayHint(const QString& hint) { SetStatusText(TextPanel, hint); }

void TfrmMain::ShowMainWindow()
{
    if (!PartsBuilt()) {
        BuildParts();
        // The panel the creation sequence docked while the window had no work area. Should it
        // fail, the report comes and the window shows all the same.
        if (FPendingPanel >= 0)
            ReportErrors([this] { PanelCommand(std::exchange(FPendingPanel, -1), FPendingPage); });
    }
    if (!FCentred) {
        FCentred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    if (FTrayAndKeysLater) {
        // Once the window is on the screen; at the latest when a tray would be waited for,
        // should the window never be exposed (minimised at once by the window manager).
        winId();
        windowHandle()->installEventFilter(this);
        QTimer::singleShot(NoTrayWait, this, Reporting(this, &TfrmMain::AddTrayAndKeys));
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TfrmMain::HideMainWindow()
{
    // Without a tray a hidden window could not be reached again: it goes to the task bar.
    if (InTray())
        hide();
    else
        showMinimized();
}

void TfrmMain::AgentActivate()
{
    // A window hidden in the tray cannot come to the front, so it is shown as a minimised one is.
    if (isMinimized() || !isVisible()) {
        ShowMainWindow();
        return;
    }
    raise();
    activateWindow();
}

void TfrmMain::Terminate() { QCoreApplication::exit(0); }

void TfrmMain::mnuExitClick() { Terminate(); }

void TfrmMain::mnuPreferClick()
{
    if (!FForms.ShowPreferences) {
        SetStatusText(TextPanel, texts::NotAvailable);
        return;
    }
    FForms.ShowPreferences(this);
}

void TfrmMain::mnuToolbarClick(bool checked) { ToolBar->setVisible(checked); }
void TfrmMain::mnuOutlookClick(bool checked) { OutlookBar->setVisible(checked); }

void TfrmMain::mnuHelpClick() { OpenHelpFile(); }

void TfrmMain::OpenShell(const std::string& target) { platform::Current().shell->Execute("open", target, ""); }

void TfrmMain::btWebsiteClick() { OpenShell(texts::MakerWebsite); }

void TfrmMain::btMailClick() { OpenShell(std::string("mailto:") + texts::FeedbackAddress + texts::FeedbackSubject); }

void TfrmMain::mnuAboutClick()
{
    TfrmAbout about(this);
    about.exec();
}

void TfrmMain::SetStatusText(int panel, const QString& text)
{
    if (panel != CountPanel && panel != TextPanel)
        return;
    FStatusTexts[size_t(panel)] = text;
    if (PartsBuilt())
        FStatusPanels[size_t(panel)]->setText(text);
}

QString TfrmMain::StatusText(int panel) const
{
    return panel == CountPanel || panel == TextPanel ? FStatusTexts[size_t(panel)] : QString();
}

const TImageList& TfrmMain::ImageList(ImageListId id) const
{
    switch (id) {
    case ImageListId::Search:
        return imgSearch;
    case ImageListId::Outlook:
        return imgOutlook;
    case ImageListId::RandomList:
        break;
    }
    return imgRandomList;
}

void TfrmMain::ProcessMessages() { QCoreApplication::processEvents(); }

void TfrmMain::ReloadWallpaper() { FConfig->LoadWallpaper(*FWallpaper); }

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    // The main window's close ends the program even though the tray keeps the application alive.
    QCoreApplication::exit(0);
}

void TfrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Minimising goes to the tray, where there is one; the window keeps its minimised state
    // meanwhile. Without a tray it stays on the task bar.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized() && InTray())
                hide();
        });
}

bool TfrmMain::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        DisplayHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::LayoutRequest)
        FollowContentsMinimum();
    return handled;
}

void TfrmMain::FollowContentsMinimum()
{
    // The design's size is the least; a face that needs more room (larger fonts, another
    // system's faces) makes the window larger rather than cutting its texts off.
    const QSize least = layout()->totalMinimumSize().expandedTo(DesignMinimum);
    if (minimumSize() != least)
        setMinimumSize(least);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        // After the expose has been handled, so the window's first picture goes first too.
        QTimer::singleShot(0, this, Reporting(this, &TfrmMain::AddTrayAndKeys));
    }
    return QMainWindow::eventFilter(watched, event);
}

QMenu* TfrmMain::createPopupMenu()
{
    // The bars are switched from the View menu only, which keeps its check marks true.
    return nullptr;
}

} // namespace kdx
