// The picture and wallpaper panels: the picture search rule, previews, the wallpaper commands
// and what Save hands the rotation.
#include "ListsTestSupport.h"
#include "lists/PictureFile.h"
#include "lists/TListBox.h"
#include "lists/TfrmPicture.h"
#include "lists/TfrmWallpaper.h"
#include "platform/Platform.h"
#include "settings/Errors.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
// libjpeg's message numbers.
#include <jerror.h>

using namespace kdx;
using kdx::test::Sandbox;
namespace fs = std::filesystem;

namespace {

class PictureEditors : public test::EditorTest {
protected:
    std::string pics = box.Root() + "/pics/";

    PictureEditors() { fs::create_directories(pics); }

    void Picture(const std::string& name, int w, int h, const char* format)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(QString::fromStdString(pics + name), format)) << name;
    }

    static void Press(TListBox* list, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint pos = list->RowRect(row).center();
        QTest::mousePress(list->viewport(), button, {}, pos);
        QTest::mouseRelease(list->viewport(), button, {}, pos);
    }

    // The preview once the picture asked for last is decoded (off the window's thread).
    static QSize Preview(TPictureListEditor* panel)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->PreviewPending(); }, 10000));
        const QPixmap pixmap = panel->findChild<QLabel*>("imgPreview")->pixmap();
        return pixmap.size();
    }

    std::string RegValue(const char* name)
    {
        auto key = platform::Current().registry->OpenKey(platform::desktop::Key);
        return key ? key->QueryString(name).value : std::string("<no key>");
    }
};

TEST_F(PictureEditors, SearchTakesPictureExtensionsOnlyFoldersIncluded)
{
    Picture("PHOTO.JPG", 8, 8, "JPG");
    Picture("b.Jpeg", 8, 8, "JPG");
    Picture("c.bmp", 8, 8, "BMP");
    for (const char* other : {"d.png", "e.jpe", "f.jpg.bak", "noext"})
        Sandbox::Write(pics + other, "x");
    fs::create_directories(pics + "album.jpg");
    auto panel = Open<TfrmPicture>();
    test::AnswerNextFileDialog({QString::fromStdString(pics)});
    test::SearchPane(*panel).btBrowserClick();
    test::SearchPane(*panel).btSearchClick();
    auto* search = test::ListBox(*panel, "lsSearch");
    QStringList rows = test::Rows(search);
    rows.sort();
    // A folder is a hit by its name, and stands for no file.
    EXPECT_EQ(rows, (QStringList {"B.JPEG", "C.BMP", "FILE NOT FOUND!", "PHOTO.JPG"}));
    EXPECT_EQ(search->Count(), 4);
}

TEST_F(PictureEditors, PreviewsComeFromTheSearchListAndTheRandomList)
{
    Picture("wide.jpg", 40, 10, "JPG");
    Picture("tall.bmp", 10, 30, "BMP");
    Sandbox::Write(box.IniPath(), "[ImageList]\n0=" + pics + "tall.bmp\n");
    auto panel = Open<TfrmPicture>();
    test::AnswerNextFileDialog({QString::fromStdString(pics)});
    test::SearchPane(*panel).btBrowserClick();
    test::SearchPane(*panel).btSearchClick();
    auto* search = test::ListBox(*panel, "lsSearch");
    search->SetCurrentRow(int(test::Rows(search).indexOf("WIDE.JPG")));
    EXPECT_EQ(Preview(panel.get()), QSize(40, 10));

    Press(test::ListBox(*panel, "lsPicture"), 0);
    EXPECT_EQ(Preview(panel.get()), QSize(10, 30));
    EXPECT_TRUE(panel->findChild<QToolButton*>("btDelete")->isEnabled());
    panel->mnuClearClick();
    EXPECT_EQ(Preview(panel.get()), QSize(10, 30)) << "the preview stays";
}

// A large picture is decoded off the window's thread: asking for its preview returns at once, the
// window goes on meanwhile, and a preview the user has moved past never replaces the later one.
TEST_F(PictureEditors, PreviewsOfLargePicturesNeverHoldTheWindow)
{
    Picture("large.jpg", 6000, 4000, "JPG");
    Picture("small.bmp", 30, 20, "BMP");
    auto panel = Open<TfrmPicture>();
    QElapsedTimer decode;
    decode.start();
    ASSERT_EQ(LoadPicture(pics + "large.jpg").width(), 6000);
    const qint64 decodeMs = decode.elapsed();
    QElapsedTimer asked;
    asked.start();
    panel->PreviewPicture(pics + "large.jpg");
    const qint64 askedMs = asked.elapsed();
    EXPECT_LT(askedMs * 4, decodeMs) << "the window waited " << askedMs << " ms of a " << decodeMs << " ms decode";
    EXPECT_EQ(Preview(panel.get()), QSize(6000, 4000));

    panel->PreviewPicture(pics + "large.jpg");
    panel->PreviewPicture(pics + "small.bmp");
    EXPECT_EQ(Preview(panel.get()), QSize(30, 20));
    QTest::qWait(int(decodeMs) + 300);
    EXPECT_EQ(Preview(panel.get()), QSize(30, 20)) << "the large one, asked for before, is dropped";
}

// Runs Act on the next modal file dialog, then cancels it.
void OnNextFileDialog(const std::function<void(QFileDialog&)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
        dialog->reject();
    });
}

// The files the dialog lists in Folder, once it has read them; the current one becomes Name.
void ChooseInDialog(QFileDialog& dialog, const std::string& folder, const std::string& name)
{
    dialog.setDirectory(QString::fromStdString(folder));
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* view = dialog.findChild<QListView*>("listView");
    ASSERT_TRUE(model && view);
    const QString path = QString::fromStdString(folder + name);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->index(path).isValid(); }));
    view->setCurrentIndex(model->index(path));
}

// The picture panels' Add Files is an open-picture dialog: the chosen picture shows in a pane
// beside the files, and the filter chosen last is chosen again next time.
TEST_F(PictureEditors, AddFilesPreviewsTheChosenPictureAndKeepsTheLastFilter)
{
    Picture("sea.bmp", 40, 20, "BMP");
    Sandbox::Write(pics + "broken.jpg", "not a jpeg at all");
    auto panel = Open<TfrmWallpaper>();
    QImage shown;
    QString refused, filter;
    OnNextFileDialog([&](QFileDialog& dialog) {
        auto* pane = dialog.findChild<QLabel*>("imgDialogPreview");
        ASSERT_NE(pane, nullptr);
        EXPECT_TRUE(pane->isVisible());
        ChooseInDialog(dialog, pics, "sea.bmp");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !pane->pixmap().isNull(); }));
        shown = pane->pixmap().toImage();
        ChooseInDialog(dialog, pics, "broken.jpg");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !pane->text().isEmpty(); }));
        refused = pane->text();
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down); // as the user chooses the next filter
        filter = dialog.selectedNameFilter();
    });
    panel->btAddFilesClick();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.width(), 2 * shown.height()) << "scaled, its proportions kept";
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::darkCyan));
    EXPECT_EQ(refused.toStdString(),
        "The picture " + pics + "broken.jpg cannot be shown: it is not a JPEG picture (JPEG error #"
            + std::to_string(int(JERR_NO_SOI)) + ")");
    EXPECT_TRUE(messages.shown.empty()) << "browsing past a damaged picture reports nothing";
    EXPECT_EQ(filter, "Bitmaps (*.bmp) (*.bmp)");

    QString again, elsewhere;
    OnNextFileDialog([&](QFileDialog& dialog) { again = dialog.selectedNameFilter(); });
    panel->btAddFilesClick();
    auto picture = Open<TfrmPicture>();
    OnNextFileDialog([&](QFileDialog& dialog) {
        elsewhere = dialog.selectedNameFilter();
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Up); // back to "All" for the tests that follow
    });
    picture->btAddFilesClick();
    EXPECT_EQ(again, "Bitmaps (*.bmp) (*.bmp)");
    EXPECT_EQ(elsewhere, "Bitmaps (*.bmp) (*.bmp)") << "in the other picture panel too";
}

TEST_F(PictureEditors, ADamagedPictureRaisesAndLeavesTheCommandsOff)
{
    Sandbox::Write(pics + "broken.jpg", "not a jpeg at all");
    Sandbox::Write(box.IniPath(), "[PaperList]\n0=" + pics + "broken.jpg\n1=" + pics + "missing.bmp\n");
    auto panel = Open<TfrmWallpaper>();
    auto* list = test::ListBox(*panel, "lsPaper");
    const auto commandsOff = [&] {
        for (const char* name : {"btDelete", "btWallpaper"})
            EXPECT_FALSE(panel->findChild<QToolButton*>(name)->isEnabled()) << name;
        for (const char* name : {"mnuDelete", "mnuProperties", "mnuSetWallpaper"})
            EXPECT_FALSE(panel->findChild<QAction*>(name)->isEnabled()) << name;
    };
    Press(list, 0);
    Preview(panel.get());
    commandsOff();
    Press(list, 1, Qt::RightButton);
    Preview(panel.get());
    commandsOff();
    EXPECT_EQ(messages.shown,
        (std::vector<std::string> {"Kaleidra Agent: The picture " + pics
                + "broken.jpg cannot be shown: it is not a JPEG picture (JPEG error #"
                + std::to_string(int(JERR_NO_SOI)) + ")",
            "Kaleidra Agent: Cannot open file " + pics + "missing.bmp"}));
    EXPECT_EQ(Preview(panel.get()), QSize(0, 0)) << "nothing shown";
    EXPECT_THROW(panel->PreviewPicture(pics + "x.png"), EKaleidraError);
}

TEST_F(PictureEditors, PictureOptionsDefaultClampAndSave)
{
    auto panel = Open<TfrmPicture>();
    EXPECT_EQ(panel->findChild<QComboBox*>("cboxImageSize")->currentText(), "Full Size");
    EXPECT_EQ(panel->findChild<QSpinBox*>("txtImageInterval")->value(), 5);
    panel->btSaveClick();
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("[Image]\r\nInterval=5\r\nSize=0\r\n"), std::string::npos);

    Sandbox::Write(box.IniPath(), "[Image]\nInterval=1500\nSize=2\n");
    auto again = Open<TfrmPicture>();
    EXPECT_EQ(again->findChild<QSpinBox*>("txtImageInterval")->value(), 999);
    again->btSaveClick();
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("Interval=999\nSize=2\n"), std::string::npos)
        << "Save writes the clamped value";
}

TEST_F(PictureEditors, CycleDecidesTheIntervalBoxAndResetRestoresBoth)
{
    Sandbox::Write(box.IniPath(), "[Wallpaper]\nCycle=2\nInterval=120\n");
    auto panel = Open<TfrmWallpaper>();
    auto* cycle = panel->findChild<QComboBox*>("cboxCycle");
    auto* interval = panel->findChild<QSpinBox*>("txtPaperInterval");
    EXPECT_TRUE(interval->isEnabled());
    cycle->setCurrentIndex(0);
    panel->cboxCycleChange();
    EXPECT_FALSE(interval->isEnabled());
    EXPECT_EQ(interval->value(), 120) << "a disabled box keeps its value";
    panel->btResetClick();
    EXPECT_EQ(cycle->currentIndex(), 2);
    EXPECT_TRUE(interval->isEnabled());
    cycle->setCurrentIndex(1);
    panel->cboxCycleChange();
    panel->btSaveClick();
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("Interval=120"), std::string::npos);
}

TEST_F(PictureEditors, SaveHandsTheSettingsToTheRotation)
{
    Sandbox::Write(box.IniPath(), "[Wallpaper]\nActivate=0\nPrevChange=2026-01-02 03:04:05\n");
    auto panel = Open<TfrmWallpaper>();
    auto* activate = panel->findChild<QToolButton*>("btActivate");
    EXPECT_FALSE(activate->isChecked());
    host.timerEnabled = true;
    QTest::mouseClick(activate, Qt::LeftButton);
    QTest::mouseClick(activate, Qt::LeftButton);
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSave")->isEnabled());
    EXPECT_TRUE(host.timerEnabled) << "toggling alone changes nothing";

    panel->btSaveClick();
    EXPECT_FALSE(host.timerEnabled);
    EXPECT_EQ(host.reloads, 0);
    QTest::mouseClick(activate, Qt::LeftButton);
    panel->btSaveClick();
    EXPECT_TRUE(host.timerEnabled);
    EXPECT_EQ(host.reloads, 1);
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("PrevChange=2026-01-02 03:04:05"), std::string::npos)
        << "the stamp goes back as loaded";
}

TEST_F(PictureEditors, APicturePerMonitorIsSavedWhenTickedAndOnlyThen)
{
    Sandbox::Write(box.IniPath(), "[Wallpaper]\nStyle=1\n");
    auto panel = Open<TfrmWallpaper>();
    auto* perMonitor = panel->findChild<QCheckBox*>("chkPerMonitor");
    ASSERT_TRUE(perMonitor);
    EXPECT_FALSE(perMonitor->isChecked()) << "off unless the file says otherwise";
    panel->btSaveClick();
    EXPECT_EQ(Sandbox::Read(box.IniPath()).find("PerMonitor"), std::string::npos) << "off writes nothing new";

    QTest::mouseClick(perMonitor, Qt::LeftButton);
    EXPECT_TRUE(panel->findChild<QToolButton*>("btSave")->isEnabled());
    panel->btSaveClick();
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("PerMonitor=1"), std::string::npos);
    EXPECT_EQ(host.reloads, 2) << "each Save hands the settings to the rotation";

    auto again = Open<TfrmWallpaper>();
    EXPECT_TRUE(again->findChild<QCheckBox*>("chkPerMonitor")->isChecked());
}

TEST_F(PictureEditors, SetWallpaperUsesTheStyleShownNotTheStoredOne)
{
    test::ShowingDesktop desktop;
    Picture("sea.bmp", 4, 4, "BMP");
    Sandbox::Write(box.IniPath(), "[PaperList]\n0=" + pics + "sea.bmp\n[Wallpaper]\nStyle=0\n");
    auto panel = Open<TfrmWallpaper>();
    panel->mnuSetWallpaperClick();
    EXPECT_TRUE(messages.shown.empty()) << "nothing picked, nothing happens";
    Press(test::ListBox(*panel, "lsPaper"), 0, Qt::RightButton);
    panel->findChild<QComboBox*>("cboxPaperStyle")->setCurrentIndex(2);
    panel->mnuSetWallpaperClick();
    EXPECT_EQ(messages.shown, std::vector<std::string> {"Information: Changed wallpaper successfully!"});
    EXPECT_EQ(RegValue("TileWallpaper"), "0");
    EXPECT_EQ(RegValue("WallpaperStyle"), "2");
    EXPECT_EQ(Sandbox::Read(RegValue("Wallpaper")), Sandbox::Read(pics + "sea.bmp"));
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("Style=0"), std::string::npos);
}

TEST_F(PictureEditors, SetWallpaperThatNothingShowsWarnsInsteadOfClaimingSuccess)
{
    test::ShowingDesktop desktop({false, "GNOME (gsettings): gsettings is not installed"});
    Picture("sea.bmp", 4, 4, "BMP");
    Sandbox::Write(box.IniPath(), "[PaperList]\n0=" + pics + "sea.bmp\n");
    auto panel = Open<TfrmWallpaper>();
    Press(test::ListBox(*panel, "lsPaper"), 0, Qt::RightButton);
    panel->mnuSetWallpaperClick();
    EXPECT_EQ(messages.shown,
        std::vector<std::string> {"Warning: The wallpaper was made, but nothing on this desktop "
                                  "could show it: GNOME (gsettings): gsettings is not installed"});
}

} // namespace
