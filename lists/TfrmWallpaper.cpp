#include "TfrmWallpaper.h"

#include "shell/ReportErrors.h"
#include "ui/OptionBoxes.h"
#include "ui/WidgetParts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

namespace kdx {

TfrmWallpaper::TfrmWallpaper(IPanelHost& host, QWidget* parent)
    : TPictureListEditor(host, parent, PictureTraits("Wallpaper RandomList Configuration", "lsPaper"))
{
    cboxPaperStyle = new QComboBox(palMisc);
    cboxPaperStyle->setObjectName("cboxPaperStyle");
    cboxPaperStyle->addItems({"Center", "Title", "Stretch"});
    SetFixedWidthAtLeast(cboxPaperStyle, 161);
    cboxPaperStyle->setToolTip("The style of wallpaper");
    auto* label4 = new QLabel("Cycle Wallpaper:", palMisc);
    label4->setObjectName("Label4");
    cboxCycle = new QComboBox(palMisc);
    cboxCycle->setObjectName("cboxCycle");
    cboxCycle->addItems({"Hour", "Every Startup", "At Interval"});
    SetFixedWidthAtLeast(cboxCycle, 113);
    txtPaperInterval = new QSpinBox(palMisc);
    txtPaperInterval->setObjectName("txtPaperInterval");
    txtPaperInterval->setRange(1, 999999);
    txtPaperInterval->setValue(60);
    SetFixedWidthAtLeast(txtPaperInterval, 57);
    txtPaperInterval->setEnabled(false);
    txtPaperInterval->setToolTip("The interval of changing wallpaper.The unit is second.");
    auto* label5 = new QLabel("seconds", palMisc);
    label5->setObjectName("Label5");
    for (QWidget* w : std::initializer_list<QWidget*> {cboxPaperStyle, label4, cboxCycle, txtPaperInterval, label5})
        miscLayout->addWidget(w);
    miscLayout->addStretch();
    // At the right of the title row, which has room for it where the options row has none.
    chkPerMonitor = new QCheckBox("A picture per monitor", palTop);
    chkPerMonitor->setObjectName("chkPerMonitor");
    chkPerMonitor->setToolTip("A different picture on each monitor, each made to its size");
    auto* titleRow = static_cast<QHBoxLayout*>(palTop->layout());
    titleRow->addStretch();
    titleRow->addWidget(chkPerMonitor);
    connect(cboxPaperStyle, &QComboBox::activated, this, Reporting(this, &TfrmWallpaper::cboxPaperStyleChange));
    connect(cboxCycle, &QComboBox::activated, this, Reporting(this, &TfrmWallpaper::cboxCycleChange));
    connect(txtPaperInterval, &QSpinBox::textChanged, this, Reporting(this, &TfrmWallpaper::txtPaperIntervalChange));
    connect(chkPerMonitor, &QCheckBox::clicked, this, Reporting(this, &TfrmWallpaper::chkPerMonitorClick));

    btActivate = MakeButton("btActivate", "Activate", "Enable Kaleidra to manage your wallpaper now", 7);
    btActivate->setCheckable(true);
    btWallpaper = MakeButton("btWallpaper", "Wallpaper", "Set the selected picture as current wallpaper", 8);
    mnuSetWallpaper = AddMenuItem("mnuSetWallpaper", "Set Wallpaper");
    AddItemCommand(btWallpaper);
    AddItemCommand(mnuSetWallpaper);
    connect(btActivate, &QToolButton::clicked, this, Reporting(this, &TfrmWallpaper::btActivateClick));
    connect(btWallpaper, &QToolButton::clicked, this, Reporting(this, &TfrmWallpaper::mnuSetWallpaperClick));
    connect(mnuSetWallpaper, &QAction::triggered, this, Reporting(this, &TfrmWallpaper::mnuSetWallpaperClick));

    FormCreate({{}, {btActivate, nullptr, btWallpaper}, {mnuSetWallpaper}});
}

void TfrmWallpaper::ShowOptions()
{
    ShowIndex(cboxPaperStyle, Papers.Style);
    txtPaperInterval->setValue(Papers.Interval);
    ShowIndex(cboxCycle, Papers.Cycle);
    txtPaperInterval->setEnabled(Papers.Cycle == AtInterval);
    btActivate->setChecked(Papers.Activate);
    chkPerMonitor->setChecked(Papers.PerMonitor);
}

void TfrmWallpaper::SaveRecord()
{
    Papers.Style = ChosenIndex(cboxPaperStyle, Papers.Style);
    Papers.Interval = IntervalValue(txtPaperInterval);
    txtPaperInterval->setValue(Papers.Interval);
    Papers.Cycle = ChosenIndex(cboxCycle, Papers.Cycle);
    Papers.Activate = btActivate->isChecked();
    Papers.PerMonitor = chkPerMonitor->isChecked();
    Config->SaveWallpaper(Papers);
}

void TfrmWallpaper::AfterSave()
{
    if (Papers.Activate) {
        Host().ReloadWallpaper();
        Host().EnableTimerPaper(true);
    } else {
        Host().EnableTimerPaper(false);
    }
}

void TfrmWallpaper::cboxPaperStyleChange() { EnableSave(); }

void TfrmWallpaper::txtPaperIntervalChange() { EnableSave(); }

void TfrmWallpaper::cboxCycleChange()
{
    txtPaperInterval->setEnabled(cboxCycle->currentIndex() == AtInterval);
    EnableSave();
}

void TfrmWallpaper::btActivateClick() { EnableSave(); }

void TfrmWallpaper::chkPerMonitorClick() { EnableSave(); }

void TfrmWallpaper::mnuSetWallpaperClick()
{
    if (SelectedFile.empty())
        return;
    const platform::WallpaperOutcome outcome = PublicUnit.SetWallpaper(SelectedFile, cboxPaperStyle->currentIndex());
    Host().WallpaperShown(SelectedFile);
    if (outcome.shown)
        PublicUnit.ShowInfo(texts::WallpaperChanged);
    else
        PublicUnit.ShowWarning(texts::WallpaperNotShown + outcome.detail);
}

} // namespace kdx
