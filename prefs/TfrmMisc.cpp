#include "TfrmMisc.h"

#include "IHotKeyOwner.h"
#include "THotKeyEdit.h"
#include "help/hh.h"
#include "platform/Platform.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace kdx {

namespace {

// The dialog's size where the note on global hot keys is not shown.
constexpr int DialogWidth = 404;
constexpr int DialogHeight = 367;

// The [RandomWhat] string of each "Favorite" box.
constexpr const char* SaverList = "0";
constexpr const char* FlashList = "1";
constexpr const char* PictureList = "2";

template <typename T> T* Named(T* widget, const char* name, const char* hint = nullptr)
{
    widget->setObjectName(name);
    if (hint)
        widget->setToolTip(hint);
    return widget;
}

bool Contains(const TStrings& list, const char* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

TfrmMisc::TfrmMisc(IHotKeyOwner& owner, QWidget* parent) : QDialog(parent), FOwner(owner)
{
    setObjectName("frmMisc");
    setWindowTitle(texts::PreferenceCaption);
    setFixedSize(DialogWidth, DialogHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildTop();
    BuildSystemGroup();
    BuildSaverGroup();
    BuildButtons();
    auto* main = new QVBoxLayout;
    main->setContentsMargins(8, 8, 8, 8);
    main->addWidget(GroupBox1);
    main->addWidget(GroupBox2);
    layout->addWidget(palTop);
    layout->addLayout(main, 1);
    layout->addWidget(palButtom);
    setTabOrder(chkStartup, txtActivateHotKey);
    setTabOrder(txtActivateHotKey, chkAutoSave);
    setTabOrder(chkAutoSave, txtExecuteHotKey);
    FConfig = std::make_unique<TConfig>();
}

TfrmMisc::~TfrmMisc()
{
    if (FConfig)
        FConfig->ReleaseFile();
}

void TfrmMisc::BuildTop()
{
    palTop = Named(new QFrame(this), "palTop");
    palTop->setFixedHeight(33);
    palTop->setFrameShape(QFrame::StyledPanel);
    Label1 = Named(new QLabel("Kaleidra Preference", palTop), "Label1");
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    auto* layout = new QHBoxLayout(palTop);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->addWidget(Label1);
}

void TfrmMisc::BuildSystemGroup()
{
    GroupBox1 = Named(new QGroupBox("System", this), "GroupBox1");
    chkStartup = Named(
        new QCheckBox("Load on system startup", GroupBox1), "chkStartup", "Load Kaleidra Agent on system startup");
    chkAutoSave = Named(new QCheckBox("Save automatically when change config panel", GroupBox1), "chkAutoSave",
        "Save automatically when change config panel");
    Label2 = Named(new QLabel("Activate HotKey:", GroupBox1), "Label2");
    Label3 = Named(new QLabel("Execute HotKey:", GroupBox1), "Label3");
    txtActivateHotKey
        = Named(new THotKeyEdit(GroupBox1), "txtActivateHotKey", "The hotkey to activate the Kaleidra Agent window");
    txtExecuteHotKey
        = Named(new THotKeyEdit(GroupBox1), "txtExecuteHotKey", "The hotkey to execute the Kaleidra screensaver");
    txtActivateHotKey->SetKeepSelection(true);
    auto* grid = new QGridLayout(GroupBox1);
    grid->addWidget(chkStartup, 0, 0, 1, 2);
    grid->addWidget(chkAutoSave, 1, 0, 1, 2);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(txtActivateHotKey, 2, 1);
    grid->addWidget(Label3, 3, 0);
    grid->addWidget(txtExecuteHotKey, 3, 1);
    lblHotKeysNotGlobal = Named(new QLabel(texts::HotKeysNotGlobal, GroupBox1), "lblHotKeysNotGlobal");
    lblHotKeysNotGlobal->setWordWrap(true);
    lblHotKeysNotGlobal->hide();
    grid->addWidget(lblHotKeysNotGlobal, 4, 0, 1, 2);
}

void TfrmMisc::BuildSaverGroup()
{
    GroupBox2 = Named(new QGroupBox("ScreenSaver", this), "GroupBox2");
    chkScreenSaver = Named(new QCheckBox("Favorite Screensavers", GroupBox2), "chkScreenSaver",
        "Enable Kaleidra run my favorite screensavers");
    chkFlash = Named(new QCheckBox("Favorite Flashs", GroupBox2), "chkFlash", "Enable Kaleidra run my favorite flash");
    chkPicture = Named(
        new QCheckBox("Favorite Pictures", GroupBox2), "chkPicture", "Enable Kaleidra run my favorite pictures");
    auto* column = new QVBoxLayout(GroupBox2);
    column->addWidget(chkScreenSaver);
    column->addWidget(chkFlash);
    column->addWidget(chkPicture);
}

void TfrmMisc::BuildButtons()
{
    palButtom = Named(new QFrame(this), "palButtom");
    palButtom->setFixedHeight(41);
    btSave = Named(new QPushButton("OK", palButtom), "btSave", "Save the preference");
    btCancel = Named(new QPushButton("Cancel", palButtom), "btCancel", "Close the preference window without saving");
    btHelp = Named(new QPushButton("&Help", palButtom), "btHelp", "Open the information of preference");
    btSave->setDefault(true);
    auto* row = new QHBoxLayout(palButtom);
    row->addStretch();
    row->addWidget(btSave);
    row->addWidget(btCancel);
    row->addWidget(btHelp);
    connect(btSave, &QPushButton::clicked, this, Reporting(this, &TfrmMisc::btSaveClick));
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btHelp, &QPushButton::clicked, this, Reporting(this, &TfrmMisc::btHelpClick));
}

void TfrmMisc::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMisc::FormShow()
{
    FConfig->LoadMisc(FMisc);
    if (Contains(FMisc.RandomWhat, SaverList))
        chkScreenSaver->setChecked(true);
    if (Contains(FMisc.RandomWhat, FlashList))
        chkFlash->setChecked(true);
    if (Contains(FMisc.RandomWhat, PictureList))
        chkPicture->setChecked(true);
    chkStartup->setChecked(FMisc.Startup);
    chkAutoSave->setChecked(FMisc.AutoSave);
    txtActivateHotKey->SetLetter(FMisc.ActivateHotKey);
    txtExecuteHotKey->SetLetter(FMisc.ExecuteHotKey);
    ShowHotKeysNote(!platform::Current().hotKeys->GlobalKeysAvailable());
}

void TfrmMisc::ShowHotKeysNote(bool shown)
{
    lblHotKeysNotGlobal->setVisible(shown);
    // The fixed size has no room to spare for the note: the dialog grows by its lines.
    const auto* grid = static_cast<QGridLayout*>(GroupBox1->layout());
    const int lines = lblHotKeysNotGlobal->heightForWidth(grid->contentsRect().width()) + grid->verticalSpacing();
    setFixedSize(DialogWidth, DialogHeight + (shown ? lines : 0));
}

void TfrmMisc::btSaveClick()
{
    try {
        SaveSteps();
    } catch (...) {
        accept();
        throw;
    }
    accept();
}

void TfrmMisc::SaveSteps()
{
    TStrings randomWhat;
    if (chkScreenSaver->isChecked())
        randomWhat.push_back(SaverList);
    if (chkFlash->isChecked())
        randomWhat.push_back(FlashList);
    if (chkPicture->isChecked())
        randomWhat.push_back(PictureList);
    FMisc.RandomWhat = randomWhat;
    FMisc.AutoSave = chkAutoSave->isChecked();
    FMisc.ActivateHotKey = txtActivateHotKey->Letter();
    FMisc.ExecuteHotKey = txtExecuteHotKey->Letter();
    FMisc.Startup = chkStartup->isChecked();
    FConfig->SaveMisc(FMisc);
    FOwner.SetHotKeys(false);
    FOwner.SetActivateKey(txtActivateHotKey->Letter());
    FOwner.SetExecuteKey(txtExecuteHotKey->Letter());
    // Registered whatever the activate letter: an empty one is skipped on its own, and the
    // execute hot key must not stay released until the next start.
    FOwner.SetHotKeys(true);
}

void ShowPreferenceDialog(IHotKeyOwner& owner, QWidget* parent)
{
    TfrmMisc dialog(owner, parent);
    dialog.exec();
}

void TfrmMisc::btHelpClick() { ShowHelpTopic(texts::PreferenceTopic); }

} // namespace kdx
