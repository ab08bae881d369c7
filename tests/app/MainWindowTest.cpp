#include "AppTestSupport.h"
#include "app/AgentMain.h"
#include "app/Panels.h"
#include "app/TOutlookBar.h"
#include "app/TfrmMain.h"
#include "app/TfrmWelcome.h"
#include "lists/TRandomListEditor.h"
#include "lists/TfrmFlash.h"
#include "lists/TfrmPicture.h"
#include "lists/TfrmSaver.h"
#include "lists/TfrmWallpaper.h"
#include "settings/Errors.h"
#include "shell/MessageBox.h"
#include "support/Sandbox.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <typeinfo>
#include <unistd.h>

namespace kdx::test {
namespace {

// Stand-ins for the list editors, so that every row of the navigation table can be driven.
struct PanelLog {
    int created = 0;
    int left = 0;
    bool failLeave = false;
};

template <int Index> class EditorForTests : public TPanel {
public:
    EditorForTests(IPanelHost& host, QWidget* parent) : TPanel(host, parent) { ++Log().created; }
    bool FormHide() override
    {
        ++Log().left;
        if (Log().failLeave)
            throw std::runtime_error("Unable to write to KDX.ini");
        return true;
    }
    static PanelLog& Log()
    {
        static PanelLog log;
        return log;
    }
};

TFormCatalog FullCatalog()
{
    TFormCatalog forms {StandardPanels(), {}};
    forms.Panels[SaverPanel] = MakePanelFactory<EditorForTests<SaverPanel>>();
    forms.Panels[FlashPanel] = MakePanelFactory<EditorForTests<FlashPanel>>();
    forms.Panels[PicturePanel] = MakePanelFactory<EditorForTests<PicturePanel>>();
    forms.Panels[WallpaperPanel] = MakePanelFactory<EditorForTests<WallpaperPanel>>();
    for (PanelLog* log :
        {&EditorForTests<1>::Log(), &EditorForTests<2>::Log(), &EditorForTests<3>::Log(), &EditorForTests<4>::Log()})
        *log = {};
    return forms;
}

using ClassTable = std::array<const std::type_info*, PanelCount>;
const ClassTable TestClasses
    = {&typeid(TfrmWelcome), &typeid(EditorForTests<SaverPanel>), &typeid(EditorForTests<FlashPanel>),
        &typeid(EditorForTests<PicturePanel>), &typeid(EditorForTests<WallpaperPanel>)};
const ClassTable ProductClasses
    = {&typeid(TfrmWelcome), &typeid(TfrmSaver), &typeid(TfrmFlash), &typeid(TfrmPicture), &typeid(TfrmWallpaper)};

PanelLog LogOf(int index)
{
    switch (index) {
    case SaverPanel:
        return EditorForTests<SaverPanel>::Log();
    case FlashPanel:
        return EditorForTests<FlashPanel>::Log();
    case PicturePanel:
        return EditorForTests<PicturePanel>::Log();
    case WallpaperPanel:
        return EditorForTests<WallpaperPanel>::Log();
    }
    return {};
}

// Changes the current folder for its lifetime.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder)
    {
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof buffer))
            saved_ = buffer;
        EXPECT_EQ(chdir(folder.c_str()), 0);
    }
    ~CurrentFolder()
    {
        if (!saved_.empty() && chdir(saved_.c_str()) != 0)
            ADD_FAILURE() << "cannot return to " << saved_;
    }

private:
    std::string saved_;
};

const char* const ItemNames[] = {"mnuStatus", "mnuSaver", "mnuFlash", "mnuPicture", "mnuWallpaper"};
const char* const ButtonNames[] = {"btStatus", "btScreensaver", "btFlash", "btPicture", "btWallpaper"};

class MainWindowTest : public ::testing::Test {
protected:
    void Build(TFormCatalog forms)
    {
        main = std::make_unique<TfrmMain>(std::move(forms));
        main->FormCreate();
    }
    // Puts another tray in place of the test's own (the old one goes first: each restores the
    // services it found).
    void UseTray(platform::TrayActivation activation, bool present)
    {
        tray.reset();
        tray = std::make_unique<TrayForTests>(activation, present);
    }
    // The start without the switch, with a short wait for a tray.
    void StartHidden()
    {
        main->findChild<QTimer*>("NoTrayTimer")->setInterval(20);
        main->StartHidden();
    }
    void Minimise()
    {
        main->showMinimized();
        QTest::qWait(50); // minimising to the tray happens from the event loop
    }

    QAction* Action(const char* name) { return main->findChild<QAction*>(name); }
    QToolButton* Button(const char* name) { return main->findChild<QToolButton*>(name); }
    QListWidget* SideList(const char* name) { return main->findChild<QListWidget*>(name); }

    // The three ways to each command: menu item, tool button, side-bar item.
    void Command(int index, int route)
    {
        if (route == 1 || (route == 2 && index == StatusPanel)) {
            QTest::mouseClick(Button(ButtonNames[index]), Qt::LeftButton);
        } else if (route == 2) {
            QListWidget* list = SideList(index == WallpaperPanel ? "DesktopPanel" : "SaverPanel");
            QListWidgetItem* item = list->item(index == WallpaperPanel ? 0 : index - 1);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        } else {
            Action(ItemNames[index])->trigger();
        }
    }

    int Checked(const char* const* names)
    {
        int count = 0;
        for (int i = 0; i < PanelCount; ++i)
            count += Action(names[i])->isChecked() ? 1 : 0;
        return count;
    }

    void ExpectState(int index, int page)
    {
        ASSERT_NE(main->DockedPanel(), nullptr);
        EXPECT_EQ(typeid(*main->DockedPanel()), *classes[size_t(index)]);
        EXPECT_EQ(main->DockedPanel()->parentWidget(), main->palMain);
        EXPECT_EQ(main->OutlookBar->ActivePage(), page);
        EXPECT_EQ(Checked(ItemNames), 1);
        EXPECT_TRUE(Action(ItemNames[index])->isChecked());
        EXPECT_EQ(Checked(ButtonNames), 1);
        EXPECT_TRUE(Button(ButtonNames[index])->isChecked());
    }

    Sandbox sandbox;
    // An XEmbed tray unless a test sets up another; it outlives the window.
    std::unique_ptr<TrayForTests> tray = std::make_unique<TrayForTests>(platform::TrayActivation::DoubleClick);
    std::unique_ptr<TfrmMain> main;
    ClassTable classes = TestClasses;
};

TEST_F(MainWindowTest, StartsWithTheStatusPanelOnTheScreensaverPage)
{
    Build(FullCatalog());
    ExpectState(StatusPanel, 0);
    EXPECT_FALSE(main->isVisible()); // hidden in the tray
    EXPECT_TRUE(Action("mnuToolbar")->isChecked());
    EXPECT_TRUE(Action("mnuOutlook")->isChecked());
    EXPECT_EQ(main->windowTitle(), "Kaleidra Agent");
    EXPECT_EQ(main->minimumSize(), QSize(652, 492));
    EXPECT_EQ(main->size(), QSize(678, 492));
}

TEST_F(MainWindowTest, EveryCommandFromEveryPanelFollowsTheNavigationTable)
{
    // The page each command leaves the side bar on; Status keeps the page it finds.
    const int pageAfter[] = {-1, 0, 0, 0, 1};
    for (const bool product : {false, true}) {
        classes = product ? ProductClasses : TestClasses;
        for (int from = 0; from < PanelCount; ++from) {
            for (int to = 0; to < PanelCount; ++to) {
                SCOPED_TRACE(testing::Message() << (product ? "product " : "") << "from " << from << " to " << to);
                Build(product ? TFormCatalog {StandardPanels(), {}} : FullCatalog());
                Command(from, 0);
                const int pageBefore = main->OutlookBar->ActivePage();
                Command(to, (from + to) % 3);
                ExpectState(to, pageAfter[to] < 0 ? pageBefore : pageAfter[to]);
            }
        }
    }
}

TEST_F(MainWindowTest, TheSameCommandAgainRebuildsNothing)
{
    Build(FullCatalog());
    for (int index = 0; index < PanelCount; ++index) {
        SCOPED_TRACE(index);
        Command(index, 0);
        TPanel* docked = main->DockedPanel();
        const PanelLog before = LogOf(index);
        Command(index, 1);
        Command(index, 2);
        EXPECT_EQ(main->DockedPanel(), docked);
        EXPECT_EQ(LogOf(index).created, before.created);
        EXPECT_EQ(LogOf(index).left, before.left);
        ExpectState(index, index == WallpaperPanel ? 1 : 0);
    }
}

TEST_F(MainWindowTest, MovingOnRunsTheLeaveStepOnceThenDestroysThePanel)
{
    Build(FullCatalog());
    Command(SaverPanel, 0);
    QPointer<TPanel> editor = main->DockedPanel();
    Command(StatusPanel, 0);
    EXPECT_EQ(EditorForTests<SaverPanel>::Log().left, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    // Coming back builds a new panel, which reads its settings afresh.
    Command(SaverPanel, 0);
    EXPECT_EQ(EditorForTests<SaverPanel>::Log().created, 2);
}

TEST_F(MainWindowTest, AFailedLeaveStepKeepsThePanelAndItsEdits)
{
    Build(FullCatalog());
    Command(FlashPanel, 0);
    TPanel* editor = main->DockedPanel();
    EditorForTests<FlashPanel>::Log().failLeave = true;
    EXPECT_THROW(main->ShowPanel(StatusPanel), std::runtime_error);
    EXPECT_EQ(main->DockedPanel(), editor);
    EXPECT_FALSE(editor->isHidden());
    EditorForTests<FlashPanel>::Log().failLeave = false;
}

TEST_F(MainWindowTest, APanelThisBuildLacksChangesNothingAndSaysSo)
{
    TFormCatalog statusOnly {StandardPanels(), {}};
    for (int index = SaverPanel; index < PanelCount; ++index)
        statusOnly.Panels[size_t(index)] = nullptr;
    Build(statusOnly);
    TPanel* status = main->DockedPanel();
    for (int index = SaverPanel; index < PanelCount; ++index) {
        Command(index, 0);
        EXPECT_EQ(main->DockedPanel(), status);
        ExpectState(StatusPanel, 0);
        EXPECT_EQ(main->StatusText(TextPanel), texts::NotAvailable);
    }
}

TEST_F(MainWindowTest, ViewTogglesHideAndShowTheBarsByTheirKeys)
{
    Build(FullCatalog());
    main->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    QTest::keyClick(main.get(), Qt::Key_F5);
    EXPECT_FALSE(main->ToolBar->isVisible());
    EXPECT_FALSE(Action("mnuToolbar")->isChecked());
    QTest::keyClick(main.get(), Qt::Key_F5);
    EXPECT_TRUE(main->ToolBar->isVisible());
    EXPECT_TRUE(Action("mnuToolbar")->isChecked());
    QTest::keyClick(main.get(), Qt::Key_F6);
    EXPECT_FALSE(main->OutlookBar->isVisible());
    EXPECT_FALSE(Action("mnuOutlook")->isChecked());
    QTest::keyClick(main.get(), Qt::Key_F6);
    EXPECT_TRUE(main->OutlookBar->isVisible());
}

TEST_F(MainWindowTest, AToolButtonsHintGoesToStatusPanelOne)
{
    Build(FullCatalog());
    main->ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    QToolButton* button = Button("btWebsite");
    EXPECT_EQ(button->toolTip(), "Go to the website of Kaleidra");
    QTest::mouseMove(button);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return main->StatusText(TextPanel) == QString("Go to the website of Kaleidra"); }));
    QTest::mouseMove(main->palMain);
    EXPECT_TRUE(QTest::qWaitFor([&] { return main->StatusText(TextPanel) == QString(); }));
}

TEST_F(MainWindowTest, ToolBarHasItsButtonsInOrderWithTwoSeparators)
{
    Build(FullCatalog());
    QStringList order;
    for (QAction* action : main->ToolBar->actions())
        order << (action->isSeparator() ? QString("|") : action->objectName());
    EXPECT_EQ(order.join(' '),
        "btClose btMinimize btPreference | btStatus btScreensaver btFlash btPicture "
        "btWallpaper | btHelp btWebsite btMail btAbout");
}

TEST_F(MainWindowTest, TrayMenuHasItsItemsAndStartingStates)
{
    Build(FullCatalog());
    EXPECT_EQ(main->Tray->toolTip(), "Kaleidra Agent");
    EXPECT_TRUE(main->Tray->isVisible());
    QMenu* menu = main->Tray->contextMenu();
    ASSERT_EQ(menu, main->findChild<QMenu*>("TrayMenu"));
    QStringList items;
    for (QAction* action : menu->actions())
        items << (action->isSeparator() ? QString("-") : action->text());
    EXPECT_EQ(items.join('|'), "Settings|Execute Screensaver|Disable Screensaver|Desktop|-|Close");
    EXPECT_EQ(menu->defaultAction(), Action("mnuSettings"));
    EXPECT_TRUE(Action("mnuDisable")->isCheckable());
    EXPECT_FALSE(Action("mnuDisable")->isChecked());
    QMenu* desktop = main->findChild<QMenu*>("mnuPopDesktop");
    QStringList desktopItems;
    for (QAction* action : desktop->actions())
        desktopItems << (action->isSeparator() ? QString("-") : action->objectName());
    EXPECT_EQ(desktopItems.join('|'), "mnuNextWallpaper|-|mnuClearDesktop|mnuRestoreDesktop");
    EXPECT_TRUE(Action("mnuClearDesktop")->isEnabled());
    EXPECT_FALSE(Action("mnuRestoreDesktop")->isEnabled());
}

TEST_F(MainWindowTest, TraySettingsAndDoubleClickShowTheWindow)
{
    Build(FullCatalog());
    Action("mnuSettings")->trigger();
    EXPECT_TRUE(main->isVisible());
    QTest::mouseClick(Button("btMinimize"), Qt::LeftButton);
    EXPECT_FALSE(main->isVisible());
    emit main->Tray->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(main->isVisible());
}

// An XEmbed tray opens the window with a double-click, a StatusNotifier host with one click.
TEST_F(MainWindowTest, EachKindOfTrayOpensTheWindowItsOwnWay)
{
    Build(FullCatalog());
    emit main->Tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(main->isVisible()) << "the press that begins a double click";
    emit main->Tray->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(main->isVisible());
    main.reset();
    UseTray(platform::TrayActivation::Click, true);
    Build(FullCatalog());
    ASSERT_NE(main->Tray, nullptr);
    emit main->Tray->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(main->isVisible()) << "the menu's click";
    emit main->Tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(MainWindowTest, AWindowShownAtStartGetsItsTrayIconOnceItIsOnTheScreen)
{
    main = std::make_unique<TfrmMain>(FullCatalog(), nullptr, TTrayAndKeys::AfterWindowShown);
    main->FormCreate();
    EXPECT_EQ(main->Tray, nullptr);
    main->ShowMainWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return main->Tray != nullptr; }, 1000));
    EXPECT_TRUE(main->isVisible());
    emit main->Tray->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(MainWindowTest, WithoutATrayTheWindowIsShownAtStartAndMinimisesToTheTaskBar)
{
    UseTray(platform::TrayActivation::Click, false);
    Build(FullCatalog());
    EXPECT_EQ(main->Tray, nullptr);
    StartHidden();
    EXPECT_TRUE(QTest::qWaitFor([&] { return main->isVisible(); }));
    EXPECT_FALSE(main->isMinimized());
    Minimise();
    EXPECT_TRUE(main->isVisible()) << "hidden, it could not be reached";
    EXPECT_TRUE(main->isMinimized());
    main->AgentActivate();
    QTest::mouseClick(Button("btMinimize"), Qt::LeftButton);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMinimized());
}

TEST_F(MainWindowTest, ATrayThatAppearsLaterTakesTheIconAndTheMinimisedWindow)
{
    UseTray(platform::TrayActivation::Click, false);
    Build(FullCatalog());
    StartHidden();
    EXPECT_TRUE(QTest::qWaitFor([&] { return main->isVisible(); }));
    tray->Set(true);
    ASSERT_NE(main->Tray, nullptr);
    EXPECT_TRUE(main->Tray->isVisible());
    EXPECT_EQ(main->Tray->contextMenu(), main->findChild<QMenu*>("TrayMenu"));
    Minimise();
    EXPECT_FALSE(main->isVisible());
    emit main->Tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(MainWindowTest, ATrayThatGoesAwayForGoodBringsTheHiddenWindowToTheTaskBar)
{
    Build(FullCatalog());
    StartHidden();
    QTest::qWait(50);
    EXPECT_FALSE(main->isVisible()) << "hidden in the tray at start";
    main->ShowMainWindow();
    Minimise();
    ASSERT_FALSE(main->isVisible());
    main->findChild<QTimer*>("NoTrayTimer")->setInterval(200);
    tray->Set(false);
    tray->Set(true); // a tray that restarts within the wait changes nothing
    QTest::qWait(300);
    EXPECT_FALSE(main->isVisible());
    tray->Set(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return main->isVisible(); }));
    EXPECT_TRUE(main->isMinimized());
}

TEST_F(MainWindowTest, HandOverShowsAHiddenOrMinimisedWindow)
{
    Build(FullCatalog());
    main->AgentActivate();
    EXPECT_TRUE(main->isVisible());
    main->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !main->isVisible(); })); // minimising goes to the tray
    EXPECT_TRUE(main->isMinimized());
    main->AgentActivate();
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
}

// A start in the tray builds the window's parts when the user first opens it. Until then the
// tray and the status texts work without them; at the first showing the window is as a window
// built at start would be, and it is built once.
TEST_F(MainWindowTest, AWindowStartedInTheTrayBuildsItsPartsWhenFirstShown)
{
    main = std::make_unique<TfrmMain>(FullCatalog(), nullptr, TTrayAndKeys::WithWindow, TWindowParts::AtFirstShow);
    main->FormCreate();
    main->SetStatusText(CountPanel, "3 items");
    EXPECT_EQ(main->findChild<QToolBar*>(), nullptr);
    EXPECT_EQ(main->DockedPanel(), nullptr);
    EXPECT_EQ(main->StatusText(CountPanel), "3 items");
    ASSERT_NE(main->Tray, nullptr);
    EXPECT_TRUE(main->Tray->isVisible());
    emit main->Tray->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(main->isVisible());
    ExpectState(StatusPanel, 0);
    EXPECT_EQ(main->findChild<QLabel*>("StatusPanel0")->text(), "3 items");
    EXPECT_EQ(main->findChildren<QToolBar*>().size(), 1);
    Command(FlashPanel, 0);
    QTest::mouseClick(Button("btMinimize"), Qt::LeftButton);
    ASSERT_FALSE(main->isVisible());
    main->AgentActivate();
    ExpectState(FlashPanel, 0);
    EXPECT_EQ(LogOf(FlashPanel).created, 1);
    EXPECT_EQ(main->findChildren<QToolBar*>().size(), 1);
}

TEST_F(MainWindowTest, WebsiteMailAndHelpGoThroughTheShell)
{
    ShellRecorder recorder;
    Build(FullCatalog());
    CurrentFolder elsewhere(sandbox.Root()); // the help is found whatever the current folder
    std::filesystem::create_directories(sandbox.InstallDir() + "/help");
    Sandbox::Write(sandbox.InstallDir() + "/help/index.html", "<html></html>");
    QTest::mouseClick(Button("btWebsite"), Qt::LeftButton);
    QTest::mouseClick(Button("btMail"), Qt::LeftButton);
    QTest::mouseClick(Button("btHelp"), Qt::LeftButton);
    Action("mnuHelp")->trigger();
    Action("Website1")->trigger();
    const std::string help = "open|" + sandbox.InstallDir() + "/help/index.html|";
    EXPECT_EQ(recorder.shell.launches,
        (std::vector<std::string> {"open|https://www.tembrix.com/|",
            "open|mailto:feedback@tembrix.com?subject=Give advice about Kaleidra Deluxe|", help, help,
            "open|https://www.tembrix.com/|"}));
}

TEST_F(MainWindowTest, AboutOpensModallyAndClosesWithOk)
{
    Build(FullCatalog());
    QString caption;
    QTimer::singleShot(0, [&caption] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        QTest::mouseClick(box->findChild<QPushButton*>("btOK"), Qt::LeftButton);
    });
    Action("mnuAbout")->trigger();
    EXPECT_EQ(caption, "About Kaleidra Manager");
}

TEST_F(MainWindowTest, ExitEndsTheProgramWithoutTheCloseSequence)
{
    Build(FullCatalog());
    for (const char* way : {"mnuExit", "btClose", "mnuClose"}) {
        SCOPED_TRACE(way);
        QTimer::singleShot(0, [this, way] { Action(way)->trigger(); });
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_NE(main->FPubUnit, nullptr); // the close sequence would have freed it
    }
}

TEST_F(MainWindowTest, TheCloseBoxRunsTheCloseSequenceThenEndsTheProgram)
{
    Build(FullCatalog());
    main->ShowMainWindow();
    QTimer::singleShot(0, [this] { main->close(); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(main->FPubUnit, nullptr);
}

// Keeps the error reports instead of showing them.
class RecordedReports final : public IMessageBox {
public:
    RecordedReports() { SetMessageBox(this); }
    ~RecordedReports() override { SetMessageBox(nullptr); }
    int Show(const std::string& caption, const std::string& text, MessageIcon icon) override
    {
        shown.push_back({caption, text, icon});
        return IdOk;
    }
    struct Report {
        std::string caption, text;
        MessageIcon icon;
    };
    std::vector<Report> shown;
};

TEST_F(MainWindowTest, AnErrorInACommandIsReportedAndTheAgentRunsOn)
{
    Build(FullCatalog());
    main->ShowMainWindow();
    Command(FlashPanel, 0);
    RecordedReports reports;
    // The Flash editor's leave step fails, as an automatic save on a read-only file does.
    EditorForTests<FlashPanel>::Log().failLeave = true;
    QTest::mouseClick(main->ToolBar->widgetForAction(Action("btWallpaper")), Qt::LeftButton);
    EditorForTests<FlashPanel>::Log().failLeave = false;
    ASSERT_EQ(reports.shown.size(), size_t(1));
    EXPECT_EQ(reports.shown[0].caption, "Kaleidra Agent");
    EXPECT_EQ(reports.shown[0].text, "Unable to write to KDX.ini");
    EXPECT_EQ(reports.shown[0].icon, MessageIcon::Error);
    ExpectState(FlashPanel, 0);
    // Still running: the next command works.
    Action("mnuWallpaper")->trigger();
    ExpectState(WallpaperPanel, 1);
}

// The status panel of a start in the tray is built at the first showing; should it fail then,
// the user is told and the window shows all the same, its commands working.
TEST_F(MainWindowTest, AStatusPanelFailingAtTheFirstShowingIsReportedAndTheWindowShows)
{
    TFormCatalog forms = FullCatalog();
    forms.Panels[StatusPanel]
        = [](IPanelHost&, QWidget*) -> TPanel* { throw std::runtime_error("Unable to read KDX.ini"); };
    main = std::make_unique<TfrmMain>(std::move(forms), nullptr, TTrayAndKeys::WithWindow, TWindowParts::AtFirstShow);
    main->FormCreate();
    RecordedReports reports;
    Action("mnuSettings")->trigger();
    EXPECT_TRUE(main->isVisible());
    ASSERT_EQ(reports.shown.size(), size_t(1));
    EXPECT_EQ(reports.shown[0].text, "Unable to read KDX.ini");
    EXPECT_EQ(main->DockedPanel(), nullptr);
    Action("mnuFlash")->trigger();
    ExpectState(FlashPanel, 0);
}

// Answers the next modal message box with its button captioned Button; Text gets the box's text.
void AnswerNextMessageBox(const QString& button, QString* text = nullptr)
{
    QTimer::singleShot(0, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (text)
            *text = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                QTest::mouseClick(b, Qt::LeftButton);
    });
}

// A settings file the user cannot write never keeps the user in a list panel: with nothing
// edited nothing is written; with edits, after the error the user stays or leaves unsaved.
TEST_F(MainWindowTest, AReadOnlySettingsFileNeverTrapsTheUserInAPanel)
{
    classes = ProductClasses;
    // No "Sub": opening a list panel used to write it back, and tell of the failure each time.
    const std::string before = "[SaverList]\n0=/a.scr\n";
    Sandbox::Write(sandbox.IniPath(), before);
    chmod(sandbox.IniPath().c_str(), 0444);
    Build({StandardPanels(), {}});
    RecordedReports reports;
    // Six moves between panels, nothing edited: each leave saves (automatic saving is on), fails,
    // and lets the user go without a word.
    for (const int panel : {SaverPanel, FlashPanel, PicturePanel, WallpaperPanel, SaverPanel, FlashPanel})
        Command(panel, 0);
    ExpectState(FlashPanel, 0);
    EXPECT_TRUE(reports.shown.empty()) << (reports.shown.empty() ? "" : reports.shown.front().text);

    Command(SaverPanel, 0);
    main->DockedPanel()->findChild<QAction*>("mnuClear")->trigger();
    QString asked;
    AnswerNextMessageBox("Stay", &asked);
    Command(FlashPanel, 0);
    EXPECT_EQ(asked.toStdString(), "Unable to write to " + sandbox.IniPath() + "\n\n" + texts::LeaveUnsavedQuestion);
    ExpectState(SaverPanel, 0);
    EXPECT_FALSE(main->DockedPanel()->isHidden());
    EXPECT_EQ(main->DockedPanel()->findChild<QAbstractItemView*>("lsSaver")->model()->rowCount(), 0)
        << "the edit is kept";
    EXPECT_TRUE(reports.shown.empty()) << "the error is told once, in the question";

    AnswerNextMessageBox("Leave Without Saving");
    Command(PicturePanel, 0);
    ExpectState(PicturePanel, 0);
    EXPECT_EQ(Sandbox::Read(sandbox.IniPath()), before);
    chmod(sandbox.IniPath().c_str(), 0644);
}

// A settings file that is there but cannot be read (a named pipe, which used to hold the start for
// good; a folder) is told once, at start, with the reason; the agent runs on its defaults.
TEST_F(MainWindowTest, AnUnreadableSettingsFileIsToldOnceAtStart)
{
    classes = ProductClasses;
    RecordedReports reports;
    std::filesystem::remove(sandbox.IniPath());
    ASSERT_EQ(mkfifo(sandbox.IniPath().c_str(), 0644), 0);
    Build({StandardPanels(), {}});
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(reports.shown.size(), size_t(1));
    EXPECT_EQ(reports.shown[0].text,
        "Cannot open file " + sandbox.IniPath()
            + ": it is a named pipe, not a file. Kaleidra Agent shows its default settings until it can read it.");
    Command(SaverPanel, 0);
    ExpectState(SaverPanel, 0);
    main.reset();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(reports.shown.size(), size_t(1)) << "once";
    std::filesystem::remove(sandbox.IniPath());
    std::filesystem::create_directories(sandbox.IniPath());
    Build({StandardPanels(), {}});
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(reports.shown.size(), size_t(2));
    EXPECT_NE(reports.shown[1].text.find(": it is a folder, not a file."), std::string::npos);
    main.reset();
    std::filesystem::remove(sandbox.IniPath());
}

// Ending the agent drops the docked panel's unsaved edits, automatic saving or not.
TEST_F(MainWindowTest, ExitWithUnsavedEditsInADockedPanelWritesNothing)
{
    const std::string before = "[SaverList]\n0=/a.scr\n[Misc]\nSub=1\n";
    for (const char* way : {"mnuExit", "btClose", "mnuClose", "close box"}) {
        SCOPED_TRACE(way);
        Sandbox::Write(sandbox.IniPath(), before);
        Build({StandardPanels(), {}});
        main->ShowMainWindow();
        Command(SaverPanel, 0);
        main->DockedPanel()->findChild<QAction*>("mnuClear")->trigger();
        QTimer::singleShot(0, [this, way] {
            if (std::string(way) == "close box")
                main->close();
            else
                Action(way)->trigger();
        });
        EXPECT_EQ(QApplication::exec(), 0);
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(Sandbox::Read(sandbox.IniPath()), before);
    }
}

// Only the first argument counts, and only the exact switch, in its own letter case.
TEST(StartupSwitch, OnlyTheExactSwitchAsTheFirstArgumentShowsTheWindow)
{
    const auto shows = [](std::vector<const char*> args) {
        args.insert(args.begin(), "KDX3");
        return ShowsWindowAtStart(int(args.size()), args.data());
    };
    EXPECT_TRUE(shows({"/nominimize"}));
    EXPECT_TRUE(shows({"-nominimize"}));
    EXPECT_TRUE(shows({"/nominimize", "more"}));
    EXPECT_FALSE(shows({}));
    for (const char* other : {"/NOMINIMIZE", "/noMinimize", "-NoMinimize", "nominimize", "--nominimize", "/nominimize ",
             " /nominimize", "/nominimized", "/nomin", ""})
        EXPECT_FALSE(shows({other})) << "'" << other << "'";
    EXPECT_FALSE(shows({"x", "/nominimize"})) << "the second argument is never looked at";
}

TEST_F(MainWindowTest, AnErrorEscapingAHandlerStillReachesTheReport)
{
    Build(FullCatalog());
    RecordedReports reports;
    // Delivered by the event loop, whose last guard reports what no handler caught.
    QMetaObject::invokeMethod(
        main.get(), [] { throw EKaleidraError("Unable to write to KDX.ini"); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    ASSERT_EQ(reports.shown.size(), size_t(1));
    EXPECT_EQ(reports.shown[0].text, "Unable to write to KDX.ini");
}

} // namespace
} // namespace kdx::test
