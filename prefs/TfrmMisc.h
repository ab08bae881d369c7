#pragma once
#include "settings/Records.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kdx {

class IHotKeyOwner;
class TConfig;
class THotKeyEdit;

// Fixed texts of the preference dialog.
namespace texts {
inline constexpr const char* PreferenceCaption = "Preference";
// Shown under the hot-key boxes: how the keys work on this desktop, where it is not by the
// program's own key grabs (Windows, X11), which need no word.
inline constexpr const char* HotKeysNotGlobal
    = "This desktop offers programs no global hot keys: these keys do nothing here.";
inline constexpr const char* HotKeysThroughPortal
    = "The desktop binds these keys for Kaleidra Agent; it may ask you to confirm them.";
inline constexpr const char* HotKeysThroughKde
    = "KDE Plasma binds these keys for Kaleidra Agent; its shortcut settings list them under Kaleidra Agent.";
inline constexpr const char* HotKeysThroughGnome
    = "GNOME binds keys for programs only as its own custom shortcuts (Settings, Keyboard), which then run "
      "Kaleidra Agent's commands.";
inline constexpr const char* KeepGnomeShortcuts = "Keep these keys among GNOME's custom shortcuts";
inline constexpr const char* CopyLines = "&Copy";
} // namespace texts

// The preference dialog: log-on start, automatic saving, the hot-key letters and the lists the
// companion screensaver draws from. It reads the settings each time it is shown and writes them
// only on OK, which also makes the main window register its hot keys anew.
class TfrmMisc : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMisc(IHotKeyOwner& owner, QWidget* parent = nullptr);
    ~TfrmMisc() override;

    void FormShow();
    // OK: writes the settings and re-registers the hot keys. A failing write raises its error
    // after the dialog is closed with OK; the later steps do not run.
    void btSaveClick();
    void btHelpClick();
    // Puts the configuration lines on the clipboard.
    void btCopyLinesClick();

    // Components, named as the layout names them.
    QFrame *palTop, *palButtom;
    QLabel *Label1, *Label2, *Label3;
    // How the keys work on this desktop: a sentence, GNOME's leave, the configuration lines.
    QWidget* palHotKeysWay;
    QLabel* lblHotKeysWay;
    QCheckBox* chkDesktopShortcuts;
    QPlainTextEdit* txtHotKeyLines;
    QPushButton* btCopyLines;
    QGroupBox *GroupBox1, *GroupBox2;
    QCheckBox *chkStartup, *chkAutoSave, *chkScreenSaver, *chkFlash, *chkPicture;
    THotKeyEdit *txtActivateHotKey, *txtExecuteHotKey;
    QPushButton *btSave, *btCancel, *btHelp;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildTop();
    void BuildSystemGroup();
    void BuildSaverGroup();
    void BuildButtons();
    void ShowHotKeysWay();
    // The configuration lines for the letters the boxes show now.
    void ShowHotKeyLines();
    void SaveSteps();

    IHotKeyOwner& FOwner;
    std::unique_ptr<TConfig> FConfig;
    TMisc FMisc;
    // The dialog's size where nothing is said about the hot keys.
    QSize plainSize_;
};

// The "Preference" command: a new dialog over Parent, shown modally. It goes when it closes,
// releasing its settings file.
void ShowPreferenceDialog(IHotKeyOwner& owner, QWidget* parent);

} // namespace kdx
