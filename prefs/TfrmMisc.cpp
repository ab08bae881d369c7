#include "TfrmMisc.h"

#include "HotKeyText.h"
#include "IHotKeyOwner.h"
#include "THotKeyEdit.h"
#include "help/hh.h"
#include "platform/Platform.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace kdx {

namespace {

// The design's size of the dialog where nothing is said about the hot keys.
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

platform::IHotKeys& HotKeys() { return *platform::Current().hotKeys; }

// Rows the configuration lines' box shows: one per key.
constexpr int LineRows = 2;

} // namespace

TfrmMisc::TfrmMisc(IHotKeyOwner& owner, QWidget* parent) : QDialog(parent), FOwner(owner)
{
    setObjectName("frmMisc");
    setWindowTitle(texts::PreferenceCaption);
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
    // The design's size, or what this system's faces need where that is more.
    plainSize_ = QSize(DialogWidth, DialogHeight).expandedTo(sizeHint());
    setFixedSize(plainSize_);
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
    palHotKeysWay = Named(new QWidget(GroupBox1), "palHotKeysWay");
    auto* way = new QVBoxLayout(palHotKeysWay);
    way->setContentsMargins(0, 0, 0, 0);
    lblHotKeysWay = Named(new QLabel(palHotKeysWay), "lblHotKeysWay");
    lblHotKeysWay->setWordWrap(true);
    chkDesktopShortcuts = Named(new QCheckBox(texts::KeepGnomeShortcuts, palHotKeysWay), "chkDesktopShortcuts");
    txtHotKeyLines = Named(new QPlainTextEdit(palHotKeysWay), "txtHotKeyLines");
    txtHotKeyLines->setReadOnly(true);
    txtHotKeyLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtHotKeyLines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHotKeyLines->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtHotKeyLines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int frame = 2 * txtHotKeyLines->frameWidth() + 2 * int(txtHotKeyLines->document()->documentMargin());
    txtHotKeyLines->setFixedHeight(QFontMetrics(txtHotKeyLines->font()).lineSpacing() * LineRows + frame
        + txtHotKeyLines->horizontalScrollBar()->sizeHint().height());
    btCopyLines = Named(new QPushButton(texts::CopyLines, palHotKeysWay), "btCopyLines", "Copy these lines");
    auto* lines = new QHBoxLayout;
    lines->addWidget(txtHotKeyLines, 1);
    lines->addWidget(btCopyLines, 0, Qt::AlignTop);
    way->addWidget(lblHotKeysWay);
    way->addWidget(chkDesktopShortcuts);
    way->addLayout(lines);
    palHotKeysWay->hide();
    grid->addWidget(palHotKeysWay, 4, 0, 1, 2);
    connect(btCopyLines, &QPushButton::clicked, this, Reporting(this, &TfrmMisc::btCopyLinesClick));
    // The lines follow the letters as they are typed.
    for (THotKeyEdit* box : {txtActivateHotKey, txtExecuteHotKey})
        connect(box, &QLineEdit::textChanged, this, [this] { ShowHotKeyLines(); });
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
    ShowHotKeysWay();
}

void TfrmMisc::ShowHotKeysWay()
{
    const platform::HotKeyWay way = HotKeys().Way();
    const char* sentence = nullptr;
    switch (way) {
    case platform::HotKeyWay::RegisterHotKey:
    case platform::HotKeyWay::XGrabs:
        break;
    case platform::HotKeyWay::Portal:
        sentence = HotKeys().GlobalKeysAvailable() ? texts::HotKeysThroughPortal : texts::HotKeysNotGlobal;
        break;
    case platform::HotKeyWay::KdeService:
        sentence = texts::HotKeysThroughKde;
        break;
    case platform::HotKeyWay::GnomeShortcuts:
        sentence = texts::HotKeysThroughGnome;
        break;
    case platform::HotKeyWay::ConfigLines:
        break; // the lines come with their own sentence
    }
    const bool lines = way == platform::HotKeyWay::ConfigLines;
    const bool gnome = way == platform::HotKeyWay::GnomeShortcuts;
    if (sentence)
        lblHotKeysWay->setText(sentence);
    chkDesktopShortcuts->setVisible(gnome);
    chkDesktopShortcuts->setChecked(gnome && HotKeys().DesktopShortcutsAllowed());
    txtHotKeyLines->setVisible(lines);
    btCopyLines->setVisible(lines);
    if (lines)
        ShowHotKeyLines();
    const bool shown = sentence || lines;
    palHotKeysWay->setVisible(shown);
    // The fixed size has no room to spare: the dialog grows by what is said.
    const auto* grid = static_cast<QGridLayout*>(GroupBox1->layout());
    const int said
        = palHotKeysWay->layout()->totalHeightForWidth(grid->contentsRect().width()) + grid->verticalSpacing();
    setFixedSize(plainSize_.width(), plainSize_.height() + (shown ? said : 0));
}

void TfrmMisc::ShowHotKeyLines()
{
    if (!txtHotKeyLines->isVisibleTo(palHotKeysWay))
        return;
    std::vector<platform::HotKeyBinding> keys;
    for (const auto& [box, verb] :
        {std::pair {txtActivateHotKey, platform::ShowVerb}, std::pair {txtExecuteHotKey, platform::ExecuteVerb}})
        if (!box->Letter().empty())
            keys.push_back({verb, HotKeyModifiers, HotKeyVirtualKey(box->Letter())});
    const platform::HotKeyLines lines = HotKeys().ConfigurationLines(keys);
    lblHotKeysWay->setText(QString::fromStdString(lines.intro));
    txtHotKeyLines->setPlainText(QString::fromStdString(lines.lines));
}

void TfrmMisc::btCopyLinesClick() { QGuiApplication::clipboard()->setText(txtHotKeyLines->toPlainText()); }

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
    // GNOME's leave, given (again) or taken back, before the keys are registered: with it they go
    // to the desktop's shortcuts, without it they leave them.
    if (chkDesktopShortcuts->isVisibleTo(palHotKeysWay))
        HotKeys().AllowDesktopShortcuts(chkDesktopShortcuts->isChecked());
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
