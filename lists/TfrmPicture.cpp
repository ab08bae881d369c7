#include "TfrmPicture.h"

#include "shell/ReportErrors.h"
#include "ui/OptionBoxes.h"
#include "ui/WidgetParts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace kdx {

TfrmPicture::TfrmPicture(IPanelHost& host, QWidget* parent)
    : TPictureListEditor(host, parent, PictureTraits("Picture RandomList Configuration", "lsPicture"))
{
    cboxImageSize = new QComboBox(palMisc);
    cboxImageSize->setObjectName("cboxImageSize");
    cboxImageSize->addItems({"Full Size", "Fit Image", "Full Screen"});
    SetFixedWidthAtLeast(cboxImageSize, 161);
    cboxImageSize->setToolTip("Full size will show the picture with original size\r\n"
                              "Fit image will show the picture with a fixed size to fit the screen\r\n"
                              "Full screen will strecth the picture to fit the screen");
    auto* label4 = new QLabel("Interval of changing picture:", palMisc);
    label4->setObjectName("Label4");
    txtImageInterval = new QSpinBox(palMisc);
    txtImageInterval->setObjectName("txtImageInterval");
    txtImageInterval->setRange(1, 999);
    txtImageInterval->setValue(5);
    SetFixedWidthAtLeast(txtImageInterval, 41);
    txtImageInterval->setToolTip("The interval of changing picture. The unit is second.");
    auto* label5 = new QLabel("seconds", palMisc);
    label5->setObjectName("Label5");
    miscLayout->addWidget(cboxImageSize);
    miscLayout->addWidget(label4);
    miscLayout->addWidget(txtImageInterval);
    miscLayout->addWidget(label5);
    miscLayout->addStretch();
    connect(cboxImageSize, &QComboBox::activated, this, Reporting(this, &TfrmPicture::cboxImageSizeChange));
    connect(txtImageInterval, &QSpinBox::textChanged, this, Reporting(this, &TfrmPicture::txtImageIntervalChange));

    FormCreate({});
}

void TfrmPicture::ShowOptions()
{
    ShowIndex(cboxImageSize, Images.Size);
    txtImageInterval->setValue(Images.Interval);
}

void TfrmPicture::SaveRecord()
{
    Images.Size = ChosenIndex(cboxImageSize, Images.Size);
    Images.Interval = IntervalValue(txtImageInterval);
    txtImageInterval->setValue(Images.Interval);
    Config->SaveImages(Images);
}

void TfrmPicture::cboxImageSizeChange() { EnableSave(); }

void TfrmPicture::txtImageIntervalChange() { EnableSave(); }

} // namespace kdx
