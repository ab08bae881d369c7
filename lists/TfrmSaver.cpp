#include "TfrmSaver.h"

#include "TDropDownList.h"
#include "TListBox.h"
#include "platform/Platform.h"
#include "shell/ReportErrors.h"
#include "ui/OptionBoxes.h"
#include "ui/WidgetParts.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

namespace kdx {

namespace {

EditorTraits SaverTraits()
{
    EditorTraits t;
    t.title = "ScreenSaver RandomList Configuration";
    t.listBoxName = "lsSaver";
    t.mask = "*.scr";
    t.addFilesFilter = "Screensaver Files(*.SCR)|*.scr";
    t.skipKaleidraOnAdd = true;
    t.hintAddFiles = "Add the screensaver manually";
    t.hintDelete = "Delete the selected file";
    t.hintReset = "Reset the screensaver randonlist";
    t.hintSave = "Save the screensaver randomlist now";
    t.hintSearch = "Search screensavers in the selected folder";
    return t;
}

} // namespace

TfrmSaver::TfrmSaver(IPanelHost& host, QWidget* parent) : TRandomListEditor(host, parent, SaverTraits())
{
    cboxSaverRandomType = new TDropDownList(palMisc);
    cboxSaverRandomType->setObjectName("cboxSaverRandomType");
    cboxSaverRandomType->addItems({"Random all screensavers", "Random one screensaver"});
    SetFixedWidthAtLeast(cboxSaverRandomType, 161);
    cboxSaverRandomType->setToolTip("Select the random type of random screensaver");
    auto* label4 = new QLabel("Interval of changing screensaver:", palMisc);
    label4->setObjectName("Label4");
    txtSaverInterval = new QSpinBox(palMisc);
    txtSaverInterval->setObjectName("txtSaverInterval");
    txtSaverInterval->setRange(1, 999);
    txtSaverInterval->setValue(60);
    SetFixedWidthAtLeast(txtSaverInterval, 49);
    txtSaverInterval->setToolTip("The interval of changing screensaver.The unit is second.");
    auto* label5 = new QLabel("seconds", palMisc);
    label5->setObjectName("Label5");
    miscLayout->addWidget(cboxSaverRandomType);
    miscLayout->addWidget(label4);
    miscLayout->addWidget(txtSaverInterval);
    miscLayout->addWidget(label5);
    miscLayout->addStretch();
    connect(cboxSaverRandomType, &QComboBox::activated, this, Reporting(this, &TfrmSaver::cboxSaverRandomTypeChange));
    connect(txtSaverInterval, &QSpinBox::textChanged, this, Reporting(this, &TfrmSaver::txtSaverIntervalChange));

    btConfig = MakeButton("btConfig", "Config", "Config the selected screensaver", 3);
    btPreview = MakeButton("btPreview", "Preview", "Preview the selected screensaver", 2);
    mnuConfig = AddMenuItem("mnuConfig", "Config", QKeySequence("Ctrl+C"));
    mnuPreview = AddMenuItem("mnuPreview", "Preview", QKeySequence("Ctrl+V"));
    for (QToolButton* b : {btConfig, btPreview})
        AddItemCommand(b);
    for (QAction* a : {mnuConfig, mnuPreview})
        AddItemCommand(a);
    connect(btConfig, &QToolButton::clicked, this, Reporting(this, &TfrmSaver::btConfigClick));
    connect(mnuConfig, &QAction::triggered, this, Reporting(this, &TfrmSaver::btConfigClick));
    connect(btPreview, &QToolButton::clicked, this, Reporting(this, &TfrmSaver::btPreviewClick));
    connect(mnuPreview, &QAction::triggered, this, Reporting(this, &TfrmSaver::btPreviewClick));
    lsList->onDoubleClick = [this] { btPreviewClick(); };

    FormCreate({{btConfig, btPreview}, {}, {mnuConfig, mnuPreview}});
}

void TfrmSaver::ShowOptions()
{
    ShowIndex(cboxSaverRandomType, Savers.RandomType);
    txtSaverInterval->setValue(Savers.Interval);
}

void TfrmSaver::SaveRecord()
{
    Savers.RandomType = ChosenIndex(cboxSaverRandomType, Savers.RandomType);
    Savers.Interval = IntervalValue(txtSaverInterval);
    txtSaverInterval->setValue(Savers.Interval);
    Config->SaveSavers(Savers);
}

void TfrmSaver::cboxSaverRandomTypeChange() { EnableSave(); }

void TfrmSaver::txtSaverIntervalChange() { EnableSave(); }

void TfrmSaver::RunSelected(const char* verb, const char* params, const char* noneText)
{
    if (SelectedFile.empty()) {
        PublicUnit.ShowWarning(noneText);
        return;
    }
    if (!platform::Current().files->FileExists(SelectedFile)) {
        PublicUnit.ShowWarning("This screensaver file does not exist!");
        return;
    }
    platform::Current().shell->Execute(verb, SelectedFile, params);
}

void TfrmSaver::btConfigClick()
{
    RunSelected("config", " \\c", "You have to select a screensaver before you config it.");
}

void TfrmSaver::btPreviewClick() { RunSelected("open", "", "You have to select a screensaver before you preview it."); }

} // namespace kdx
