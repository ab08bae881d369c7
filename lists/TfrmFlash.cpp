#include "TfrmFlash.h"

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
#include <QToolButton>

namespace kdx {

namespace {

EditorTraits FlashTraits()
{
    EditorTraits t;
    t.title = "Flash RandomList Configuration";
    t.listBoxName = "lsFlash";
    t.mask = "*.swf";
    t.addFilesFilter = "Screensaver Files(*.SWF)|*.swf";
    t.skipKaleidraOnAdd = false;
    t.hintAddFiles = "Add the flash files manually";
    t.hintDelete = "Delete the selected flash file";
    t.hintReset = "Reset the flash randomlist settings";
    t.hintSave = "Save the current flash randomlist settings";
    t.hintSearch = "Search flash files in the selected folder";
    return t;
}

QComboBox* OptionBox(QComboBox* box, const char* name, const QStringList& items, const QString& hint)
{
    box->setObjectName(name);
    box->addItems(items);
    SetFixedWidthAtLeast(box, 129);
    box->setToolTip(hint);
    return box;
}

} // namespace

TfrmFlash::TfrmFlash(IPanelHost& host, QWidget* parent) : TRandomListEditor(host, parent, FlashTraits())
{
    cboxRandomType = OptionBox(new TDropDownList(palMisc), "cboxRandomType", {"Random all flash", "Random one flash"},
        "Select the random type of flash random list");
    auto* label4 = new QLabel("Flash Size:", palMisc);
    label4->setObjectName("Label4");
    cboxFlashSize = OptionBox(
        new QComboBox(palMisc), "cboxFlashSize", {"Original Size", "Full Screen"}, "Select the size to show the flash");
    miscLayout->addWidget(cboxRandomType);
    miscLayout->addWidget(label4);
    miscLayout->addWidget(cboxFlashSize);
    miscLayout->addStretch();
    connect(cboxRandomType, &QComboBox::activated, this, Reporting(this, &TfrmFlash::cboxRandomTypeChange));
    connect(cboxFlashSize, &QComboBox::activated, this, Reporting(this, &TfrmFlash::cboxFlashSizeChange));

    btPreview = MakeButton("btPreview", "Preview", "Open a window the preview the selected flash", 6);
    mnuPreview = AddMenuItem("mnuPreview", "Preview", QKeySequence("Ctrl+V"));
    AddItemCommand(btPreview);
    AddItemCommand(mnuPreview);
    connect(btPreview, &QToolButton::clicked, this, Reporting(this, &TfrmFlash::btPreviewClick));
    connect(mnuPreview, &QAction::triggered, this, Reporting(this, &TfrmFlash::btPreviewClick));
    lsList->onDoubleClick = [this] { btPreviewClick(); };
    // A change of the selection, not of the current row: moving the focus into the list makes
    // its first row current without the user picking anything.
    lsList->onSelectionChanged = [this] { lsFlashClick(); };

    FormCreate({{btPreview}, {}, {mnuPreview}});
}

void TfrmFlash::ShowOptions()
{
    ShowIndex(cboxRandomType, Flashs.RandomType);
    ShowIndex(cboxFlashSize, Flashs.Size);
}

void TfrmFlash::SaveRecord()
{
    Flashs.RandomType = ChosenIndex(cboxRandomType, Flashs.RandomType);
    Flashs.Size = ChosenIndex(cboxFlashSize, Flashs.Size);
    Config->SaveFlashs(Flashs);
}

void TfrmFlash::lsFlashClick()
{
    const int row = lsList->CurrentRow();
    if (row < 0 || row >= int(Flashs.Items.size()))
        return;
    SelectedFile = Flashs.Items[size_t(row)];
    EnableItemCommands(true);
}

void TfrmFlash::cboxRandomTypeChange() { EnableSave(); }

void TfrmFlash::cboxFlashSizeChange() { EnableSave(); }

void TfrmFlash::btPreviewClick()
{
    if (SelectedFile.empty()) {
        PublicUnit.ShowWarning("You have to select a flash before you preview it.");
        return;
    }
    if (!platform::Current().files->FileExists(SelectedFile)) {
        PublicUnit.ShowWarning("This flash file does not exist!");
        return;
    }
    platform::Current().shell->Execute("open", SelectedFile, "");
}

} // namespace kdx
