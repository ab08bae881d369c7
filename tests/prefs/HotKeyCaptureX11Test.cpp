// The preference dialog's hot-key boxes on a real X server ($DISPLAY), typed into with xdotool:
// each key pressed alone, with Alt, or with Ctrl + Alt stores the letter the user meant, never
// the control character X11 delivers for a key pressed with Ctrl.
#include "prefs/IHotKeyOwner.h"
#include "prefs/THotKeyEdit.h"
#include "prefs/TfrmMisc.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

class NoHotKeys : public IHotKeyOwner {
public:
    void SetHotKeys(bool) override { }
    void SetActivateKey(const std::string&) override { }
    void SetExecuteKey(const std::string&) override { }
};

// Sends Keys to the window that has the X input focus, as a keyboard would.
bool Press(const std::string& keys)
{
    return std::system(("xdotool key --delay 30 " + keys + " >/dev/null 2>&1").c_str()) == 0;
}

class HotKeyCaptureX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs an X server";
        dialog = std::make_unique<TfrmMisc>(owner);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        // The X input focus is set on the server itself: a window manager that ended before
        // may have left its properties on the root window, and Qt would ask it for the focus.
        ASSERT_EQ(std::system(("xdotool windowfocus --sync " + std::to_string(dialog->winId())).c_str()), 0);
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    Sandbox box;
    NoHotKeys owner;
    std::unique_ptr<TfrmMisc> dialog;
};

TEST_F(HotKeyCaptureX11, EachKeyStoresTheLetterOfItsKey)
{
    THotKeyEdit& edit = *dialog->txtActivateHotKey;
    edit.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit.hasFocus(); }));
    struct Case {
        const char* keys;
        const char* letter;
    };
    const Case cases[] = {
        {"ctrl+alt+w", "W"}, // X11 delivers 0x17
        {"ctrl+alt+h", "H"}, // the control character of Backspace
        {"ctrl+alt+i", "I"}, // of Tab
        {"ctrl+alt+m", "M"}, // of Enter
        {"ctrl+alt+7", "7"},
        {"alt+q", "Q"},
        {"alt+3", "3"},
        {"k", "K"},
        {"shift+b", "B"},
        {"0", "0"},
        {"minus", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        edit.SetLetter("");
        ASSERT_TRUE(Press(c.keys));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !edit.Letter().empty(); }));
        EXPECT_EQ(edit.Letter(), c.letter);
        EXPECT_EQ(edit.text().toStdString(), std::string("Ctrl + Alt + ") + c.letter);
    }
}

TEST_F(HotKeyCaptureX11, CtrlAltLetterInTheDialogIsStoredAndRegistersItsKey)
{
    THotKeyEdit& edit = *dialog->txtExecuteHotKey;
    edit.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit.hasFocus(); }));
    ASSERT_TRUE(Press("ctrl+alt+w"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit.text() == "Ctrl + Alt + W"; })) << edit.text().toStdString();
    ASSERT_TRUE(Press("Return"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->isHidden(); }));
    TMisc misc;
    TConfig().LoadMisc(misc);
    EXPECT_EQ(misc.ExecuteHotKey, "W");
}

} // namespace

int main(int argc, char** argv)
{
    // Listing the tests at build time needs no display.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
