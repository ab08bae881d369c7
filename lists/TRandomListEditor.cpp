#include "TRandomListEditor.h"

#include "EditorParts.h"
#include "TListBox.h"
#include "TSearchPane.h"
#include "platform/AsciiCase.h"
#include "shell/ReportErrors.h"
#include "ui/WidgetParts.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kdx {

namespace {

// "description|pattern|..." pairs, as the filters are written, in the file dialog's notation.
QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters;
}

} // namespace

TRandomListEditor::TRandomListEditor(IPanelHost& host, QWidget* parent, EditorTraits traits)
    : TPanel(host, parent), Traits(std::move(traits))
{
    BuildLayout();
}

TRandomListEditor::~TRandomListEditor() = default;

void TRandomListEditor::BuildLayout()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    palTop = MakePanel("palTop", this);
    palTop->setFixedHeight(33);
    auto* topLayout = new QHBoxLayout(palTop);
    topLayout->setContentsMargins(8, 0, 8, 0);
    lbeTitle = new QLabel(Traits.title, palTop);
    QFont titleFont = lbeTitle->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(13);
    lbeTitle->setFont(titleFont);
    topLayout->addWidget(lbeTitle);
    outer->addWidget(palTop);

    palMisc = MakePanel("palMisc", this);
    palMisc->setFixedHeight(40);
    miscLayout = new QHBoxLayout(palMisc);
    miscLayout->setContentsMargins(8, 0, 8, 0);
    outer->addWidget(palMisc);

    palMain = new QSplitter(Qt::Horizontal, this);
    palMain->setObjectName("palMain");
    palMain->setHandleWidth(4);
    palMain->setChildrenCollapsible(false);
    outer->addWidget(palMain, 1);

    palList = MakePanel("palList", palMain);
    palList->setMinimumWidth(300);
    auto* listLayout = new QVBoxLayout(palList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    listLayout->addWidget(Heading("Random List", palList));
    lsList = new TListBox(palList);
    lsList->setObjectName(Traits.listBoxName);
    lsList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lsList->setContextMenuPolicy(Qt::CustomContextMenu);
    lsList->onMouseDown = [this](Qt::MouseButton b, QPoint p) { lsListMouseDown(b, p); };
    listLayout->addWidget(lsList, 1);
    tbRandom = new QToolBar(palList);
    tbRandom->setObjectName("tbRandom");
    SetUpToolBar(tbRandom);
    listLayout->addWidget(tbRandom);

    palSearch = new TSearchPane(Host(), PublicUnit, Traits.mask, Traits.hintSearch,
        {[this](const std::string& folder, const std::string& name) { return IsHit(folder, name); },
            [this](const std::vector<std::string>& paths) { MoveFound(paths); }},
        palMain);
    palMain->addWidget(palList);
    palMain->addWidget(palSearch);
    palMain->setStretchFactor(0, 1);
    palMain->setSizes({300, 209});

    BuildRandomTools();
    BuildPopupMenu();

    dlgFile = new QFileDialog(this);
    dlgFile->setObjectName("dlgFile");
    dlgFile->setFileMode(QFileDialog::ExistingFiles);
    dlgFile->setOption(QFileDialog::ReadOnly, false);
    dlgFile->setOption(QFileDialog::DontUseNativeDialog, true);
    // Set once, so the dialog keeps the filter the user last chose.
    dlgFile->setNameFilters(NameFilters(Traits.addFilesFilter));
}

QToolButton* TRandomListEditor::MakeButton(const char* name, const QString& caption, const QString& hint, int image)
{
    return NewToolButton(tbRandom, name, caption, hint, Host().ImageList(ImageListId::RandomList).Icon(image));
}

QAction* TRandomListEditor::AddMenuItem(const char* name, const QString& caption, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetShortcut);
        lsList->addAction(action); // the shortcut acts while the list box has the focus
    }
    return action;
}

void TRandomListEditor::BuildRandomTools()
{
    btAddFiles = MakeButton("btAddFiles", "Add Files", Traits.hintAddFiles, Traits.addFilesImage);
    btDelete = MakeButton("btDelete", "Delete", Traits.hintDelete, 4);
    btReset = MakeButton("btReset", "Reset", Traits.hintReset, 1);
    btSave = MakeButton("btSave", "Save", Traits.hintSave, 0);
    AddItemCommand(btDelete);
    connect(btAddFiles, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btAddFilesClick));
    connect(btDelete, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btDeleteClick));
    connect(btReset, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btResetClick));
    connect(btSave, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btSaveClick));
}

void TRandomListEditor::BuildPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    mnuAddFiles = AddMenuItem("mnuAddFiles", "Add Files", QKeySequence("Ctrl+A"));
    mnuDelete = AddMenuItem("mnuDelete", "Delete", QKeySequence(Qt::Key_Delete));
    mnuClear = AddMenuItem("mnuClear", "Clear All");
    mnuReset = AddMenuItem("mnuReset", "Reset", QKeySequence("Ctrl+R"));
    mnuFileName = AddMenuItem("mnuFileName", "View FileName");
    mnuFullPath = AddMenuItem("mnuFullPath", "View FullPath");
    mnuProperties = AddMenuItem("mnuProperties", "Properties", QKeySequence("Ctrl+P"));
    mnuFileName->setCheckable(true);
    mnuFullPath->setCheckable(true);
    mnuFileName->setChecked(true);
    AddItemCommand(mnuDelete);
    AddItemCommand(mnuProperties);
    connect(mnuAddFiles, &QAction::triggered, this, Reporting(this, &TRandomListEditor::btAddFilesClick));
    connect(mnuDelete, &QAction::triggered, this, Reporting(this, &TRandomListEditor::btDeleteClick));
    connect(mnuClear, &QAction::triggered, this, Reporting(this, &TRandomListEditor::mnuClearClick));
    connect(mnuReset, &QAction::triggered, this, Reporting(this, &TRandomListEditor::btResetClick));
    connect(mnuFileName, &QAction::triggered, this, Reporting(this, &TRandomListEditor::mnuFileNameClick));
    connect(mnuFullPath, &QAction::triggered, this, Reporting(this, &TRandomListEditor::mnuFullPathClick));
    connect(mnuProperties, &QAction::triggered, this, Reporting(this, &TRandomListEditor::mnuPropertiesClick));
    connect(lsList, &QWidget::customContextMenuRequested, this,
        [this](QPoint pos) { PopupMenu1->popup(lsList->viewport()->mapToGlobal(pos)); });
}

void TRandomListEditor::AddItemCommand(QToolButton* button) { itemButtons_.push_back(button); }

void TRandomListEditor::AddItemCommand(QAction* action) { itemActions_.push_back(action); }

void TRandomListEditor::AssembleCommands(const OwnCommands& own)
{
    tbRandom->addWidget(btAddFiles);
    tbRandom->addSeparator();
    for (QToolButton* button : own.beforeDelete)
        tbRandom->addWidget(button);
    tbRandom->addWidget(btDelete);
    tbRandom->addWidget(btReset);
    tbRandom->addSeparator();
    tbRandom->addWidget(btSave);
    for (QToolButton* button : own.afterSave) {
        if (button)
            tbRandom->addWidget(button);
        else
            tbRandom->addSeparator();
    }

    PopupMenu1->addAction(mnuAddFiles);
    for (QAction* action : own.afterAddFiles)
        PopupMenu1->addAction(action);
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({mnuDelete, mnuClear, mnuReset});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({mnuFileName, mnuFullPath});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(mnuProperties);
}

void TRandomListEditor::FormCreate(const OwnCommands& own)
{
    AssembleCommands(own);
    Config = std::make_unique<TConfig>();
    LoadRecord();
    ShowOptions();
    palSearch->LoadSearchSettings(*Config);
    ShowRandomList();
    EnableItemCommands(false);
    btSave->setEnabled(false);
}

void TRandomListEditor::EnableItemCommands(bool enabled)
{
    for (QToolButton* button : itemButtons_)
        button->setEnabled(enabled);
    for (QAction* action : itemActions_)
        action->setEnabled(enabled);
}

void TRandomListEditor::EnableSave() const { btSave->setEnabled(true); }

void TRandomListEditor::SetStatus(int panel, const QString& text) const { Host().SetStatusText(panel, text); }

void TRandomListEditor::ShowRandomList()
{
    // Rebuilding moves the current row; that is no pick by the user.
    const QSignalBlocker quiet(lsList);
    if (mnuFileName->isChecked())
        lsList->Entries().Show(
            &WorkList(), [this](const std::string& entry) { return Q(UpperAscii(PublicUnit.DisplayName(entry))); });
    else
        lsList->Entries().Show(&WorkList(), [](const std::string& entry) { return Q(entry); });
}

void TRandomListEditor::mnuFileNameClick()
{
    mnuFileName->setChecked(true);
    mnuFullPath->setChecked(false);
    ShowRandomList();
}

void TRandomListEditor::mnuFullPathClick()
{
    mnuFullPath->setChecked(true);
    mnuFileName->setChecked(false);
    ShowRandomList();
}

bool TRandomListEditor::IsHit(const std::string& folder, const std::string& name)
{
    return PublicUnit.DisplayName(folder + name).find("Kaleidra") == std::string::npos;
}

void TRandomListEditor::MoveFound(const std::vector<std::string>& paths)
{
    AppendEntries(paths);
    ShowRandomList();
    EnableSave();
}

void TRandomListEditor::AppendEntries(const std::vector<std::string>& paths)
{
    WorkList().insert(WorkList().end(), paths.begin(), paths.end());
}

void TRandomListEditor::btAddFilesClick()
{
    if (dlgFile->exec() == QDialog::Accepted) {
        std::vector<std::string> chosen;
        std::string refused;
        for (const QString& file : dlgFile->selectedFiles()) {
            const std::string path = QDir::toNativeSeparators(file).toStdString();
            if (!TConfig::CanStore(path))
                refused.append("\n").append(OneLine(path));
            else if (!Traits.skipKaleidraOnAdd || PublicUnit.DisplayName(path).find("Kaleidra") == std::string::npos)
                chosen.push_back(path);
        }
        if (!refused.empty())
            PublicUnit.ShowWarning("These files were not added: " + std::string(LineBreakReason) + "." + refused);
        AppendEntries(chosen);
    }
    EnableSave();
    ShowRandomList();
}

void TRandomListEditor::lsListMouseDown(Qt::MouseButton button, QPoint pos)
{
    const int row = lsList->RowAt(pos);
    const bool onEntry = row >= 0 && row < int(WorkList().size());
    if (button == Qt::RightButton) {
        lsList->clearSelection();
        palSearch->lsSearch->SetCurrentRow(-1);
        if (!onEntry) {
            lsList->SetCurrentRow(-1);
            EnableItemCommands(false);
            return;
        }
        lsList->SetCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        SelectedFile = WorkList()[size_t(row)];
    } else if (button == Qt::LeftButton) {
        palSearch->lsSearch->SetCurrentRow(-1);
        if (!onEntry)
            return;
        SelectedFile = WorkList()[size_t(row)];
    } else {
        return;
    }
    EntryPicked();
    EnableItemCommands(true);
}

void TRandomListEditor::btDeleteClick()
{
    const QSignalBlocker quiet(lsList);
    // All selected rows at once: the same list as removing the first selected row over and over,
    // without moving the rest of the list once per row.
    lsList->Entries().RemoveRows(lsList->SelectedRows());
    SelectedFile.clear();
    EnableItemCommands(false);
    EnableSave();
}

void TRandomListEditor::mnuClearClick()
{
    const QSignalBlocker quiet(lsList);
    WorkList().clear();
    lsList->Entries().Show(&WorkList(), {});
    EnableSave();
    EnableItemCommands(false);
}

void TRandomListEditor::btResetClick()
{
    {
        const QSignalBlocker quiet(lsList);
        lsList->Entries().Show(nullptr, {});
    }
    LoadRecord();
    ShowOptions();
    ShowRandomList();
    EnableItemCommands(false);
}

void TRandomListEditor::btSaveClick()
{
    SaveRecord();
    btSave->setEnabled(false);
    AfterSave();
}

void TRandomListEditor::mnuPropertiesClick()
{
    if (lsList->CurrentRow() >= 0)
        PublicUnit.ShowProperties(SelectedFile);
}

bool TRandomListEditor::FormHide()
{
    if (released_)
        return true;
    // With automatic saving the panel saves whatever the state of Save. Leaving is never
    // impossible: a save of edits that fails asks whether to stay; with nothing edited, a settings
    // file that cannot be written (read-only, say) lets the user go without a word.
    if (Config->IsAutoSave() && !(btSave->isEnabled() ? SaveOrLeaveUnsaved() : SaveUnedited()))
        return false;
    // A search in progress stops at its next sub-folder instead of outliving the panel.
    palSearch->Stop();
    released_ = true;
    Config->ReleaseFile();
    return true;
}

bool TRandomListEditor::SaveUnedited()
{
    try {
        btSaveClick();
    } catch (const std::exception&) {
    }
    return true;
}

bool TRandomListEditor::SaveOrLeaveUnsaved()
{
    std::string failure;
    try {
        btSaveClick();
        return true;
    } catch (const std::exception& error) {
        failure = error.what();
    }
    QMessageBox box(QMessageBox::Critical, ProgramTitle, Q(failure) + "\n\n" + texts::LeaveUnsavedQuestion,
        QMessageBox::NoButton, this);
    box.setObjectName("dlgLeaveUnsaved");
    QPushButton* stay = box.addButton(texts::StayButton, QMessageBox::RejectRole);
    QPushButton* leave = box.addButton(texts::LeaveUnsavedButton, QMessageBox::DestructiveRole);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.exec();
    return box.clickedButton() == leave;
}

} // namespace kdx
