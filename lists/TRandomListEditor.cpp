#include "TRandomListEditor.h"

#include "FolderSearch.h"
#include "TListBox.h"
#include "platform/Platform.h"
#include "shell/ReportErrors.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kdx {

namespace {

// Status-bar texts of the search.
const char* const SelectFolderText = "Select a folder to search.";
const char* const SearchDoneText = "Search done";
const char* const UserStoppedText = "User stopped searching...";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Why a name is turned away where it would enter a list.
const char* const LineBreakReason = "a name with a line break cannot be stored in the settings file";

// A name as a message shows it, its line breaks written out so it stays on one line.
std::string OneLine(std::string name)
{
    for (size_t at = 0; (at = name.find_first_of("\r\n", at)) != std::string::npos; at += 2)
        name.replace(at, 1, name[at] == '\r' ? "\\r" : "\\n");
    return name;
}

// Capitals for a..z only, as the random list shows display names.
std::string UpperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

// "description|pattern|..." pairs, as the filters are written, in the file dialog's notation.
QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters;
}

QFrame* Panel(const char* name, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    return frame;
}

QFrame* Heading(const QString& text, QWidget* parent)
{
    auto* row = new QFrame(parent);
    row->setFixedHeight(31);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 0, 8, 0);
    auto* label = new QLabel(text, row);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    layout->addWidget(label);
    return row;
}

// Flat buttons with small captions under 16 x 16 images, compact enough that a narrow pane
// still shows them all.
void SetUpToolBar(QToolBar* bar)
{
    bar->setMinimumHeight(36);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setStyleSheet("QToolButton { padding: 0px; font-size: 7pt; }");
}

} // namespace

TRandomListEditor::TRandomListEditor(IPanelHost& host, QWidget* parent, EditorTraits traits)
    : TPanel(host, parent), Traits(std::move(traits))
{
    BuildLayout();
}

TRandomListEditor::~TRandomListEditor() { *alive_ = false; }

void TRandomListEditor::BuildLayout()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    palTop = Panel("palTop", this);
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

    palMisc = Panel("palMisc", this);
    palMisc->setFixedHeight(40);
    miscLayout = new QHBoxLayout(palMisc);
    miscLayout->setContentsMargins(8, 0, 8, 0);
    outer->addWidget(palMisc);

    palMain = new QSplitter(Qt::Horizontal, this);
    palMain->setObjectName("palMain");
    palMain->setHandleWidth(4);
    palMain->setChildrenCollapsible(false);
    outer->addWidget(palMain, 1);

    palList = Panel("palList", palMain);
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

    palSearch = Panel("palSearch", palMain);
    palSearch->setMinimumWidth(200);
    searchLayout = new QVBoxLayout(palSearch);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->setSpacing(0);
    palMain->addWidget(palList);
    palMain->addWidget(palSearch);
    palMain->setStretchFactor(0, 1);
    palMain->setSizes({300, 209});

    BuildRandomTools();
    BuildSearchPane();
    BuildPopupMenu();

    dlgFile = new QFileDialog(this);
    dlgFile->setObjectName("dlgFile");
    dlgFile->setFileMode(QFileDialog::ExistingFiles);
    dlgFile->setOption(QFileDialog::ReadOnly, false);
    dlgFile->setOption(QFileDialog::DontUseNativeDialog, true);
    // Set once, so the dialog keeps the filter the user last chose.
    dlgFile->setNameFilters(NameFilters(Traits.addFilesFilter));
    dlgFolder = new QFileDialog(this, "Select a folder ...");
    dlgFolder->setObjectName("dlgFolder");
    dlgFolder->setFileMode(QFileDialog::Directory);
    dlgFolder->setOption(QFileDialog::ShowDirsOnly, true);
    dlgFolder->setOption(QFileDialog::DontUseNativeDialog, true);
}

namespace {

QToolButton* NewToolButton(
    QWidget* parent, const char* name, const QString& caption, const QString& hint, const QIcon& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    return button;
}

} // namespace

QToolButton* TRandomListEditor::MakeButton(const char* name, const QString& caption, const QString& hint, int image)
{
    return NewToolButton(tbRandom, name, caption, hint, Host().ImageList(ImageListId::RandomList).Icon(image));
}

QToolButton* TRandomListEditor::AddSearchButton(
    const char* name, const QString& caption, const QString& hint, int image)
{
    auto* button = NewToolButton(tbSearch, name, caption, hint, Host().ImageList(ImageListId::Search).Icon(image));
    tbSearch->addWidget(button);
    return button;
}

void TRandomListEditor::ShowTool(QToolButton* button, bool visible)
{
    auto* bar = qobject_cast<QToolBar*>(button->parentWidget());
    for (QAction* action : bar->actions())
        if (bar->widgetForAction(action) == button)
            action->setVisible(visible);
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

void TRandomListEditor::BuildSearchPane()
{
    searchLayout->addWidget(Heading("Search Form", palSearch));
    palFolder = Panel("palFolder", palSearch);
    palFolder->setFixedHeight(32);
    cboxDriver = new QComboBox(palFolder);
    cboxDriver->setObjectName("cboxDriver");
    cboxDriver->setEditable(false);
    cboxDriver->setGeometry(8, 5, 160, 22);
    btBrowser = new QToolButton(palFolder);
    btBrowser->setObjectName("btBrowser");
    btBrowser->setText("...");
    btBrowser->setToolTip("Browser and select a folder to search...");
    btBrowser->setStatusTip(btBrowser->toolTip());
    btBrowser->setGeometry(176, 5, 23, 22);
    palFolder->installEventFilter(this);
    searchLayout->addWidget(palFolder);
    connect(cboxDriver, &QComboBox::activated, this, Reporting(this, &TRandomListEditor::cboxDriverChange));
    connect(btBrowser, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btBrowserClick));

    auto* subRow = new QFrame(palSearch);
    subRow->setFixedHeight(24);
    auto* subLayout = new QHBoxLayout(subRow);
    subLayout->setContentsMargins(8, 0, 8, 0);
    chkSub = new QCheckBox("Include sub-folder", subRow);
    chkSub->setObjectName("chkSub");
    chkSub->setToolTip("Enable to search sub-folders");
    chkSub->setStatusTip(chkSub->toolTip());
    subLayout->addWidget(chkSub);
    searchLayout->addWidget(subRow);
    connect(chkSub, &QCheckBox::toggled, this, Reporting(this, &TRandomListEditor::chkSubClick));

    lsSearch = new QListWidget(palSearch);
    lsSearch->setObjectName("lsSearch");
    lsSearch->setSelectionMode(QAbstractItemView::SingleSelection);
    searchLayout->addWidget(lsSearch, 1);

    tbSearch = new QToolBar(palSearch);
    tbSearch->setObjectName("tbSearch");
    SetUpToolBar(tbSearch);
    btSearch = AddSearchButton("btSearch", "Search", Traits.hintSearch, 1);
    btStop = AddSearchButton("btStop", "Stop", "Stop the searching", 0);
    tbSearch->addSeparator();
    btCheck = AddSearchButton("btCheck", "Check", "Check or uncheck the searched files", 3);
    tbSearch->addSeparator();
    btAdd = AddSearchButton("btAdd", "Move", "Move the searched and selected files to the random list", 2);
    searchLayout->addWidget(tbSearch);
    ShowTool(btStop, false);
    connect(btSearch, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btSearchClick));
    connect(btStop, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btStopClick));
    connect(btCheck, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btCheckClick));
    connect(btAdd, &QToolButton::clicked, this, Reporting(this, &TRandomListEditor::btAddClick));
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
    LoadSearchSettings();
    ShowRandomList();
    FoundFiles.clear();
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
    lsList->clear();
    const bool fileNames = mnuFileName->isChecked();
    for (const std::string& entry : WorkList())
        lsList->addItem(Q(fileNames ? UpperAscii(PublicUnit.DisplayName(entry)) : entry));
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

void TRandomListEditor::LoadSearchSettings()
{
    TStrings recent;
    Config->ReadList("RecentFolder", recent);
    for (const std::string& folder : recent)
        cboxDriver->addItem(Q(folder));
    cboxDriver->setCurrentIndex(recent.empty() ? -1 : 0);
    SubFolder = Config->ReadFlag("Misc", "Sub");
    chkSub->setChecked(SubFolder);
}

void TRandomListEditor::chkSubClick() { Config->WriteFlag("Misc", "Sub", chkSub->isChecked()); }

void TRandomListEditor::cboxDriverChange(int index)
{
    const QString folder = cboxDriver->itemText(index);
    cboxDriver->setToolTip(folder);
    UpdateRecentFolders(folder);
}

void TRandomListEditor::btBrowserClick()
{
    if (dlgFolder->exec() != QDialog::Accepted || dlgFolder->selectedFiles().isEmpty())
        return;
    std::string path = QDir::toNativeSeparators(dlgFolder->selectedFiles().first()).toStdString();
    if (!TConfig::CanStore(path)) {
        PublicUnit.ShowWarning("This folder cannot be chosen: " + std::string(LineBreakReason) + ".\n" + OneLine(path));
        return;
    }
    if (PublicUnit.RightChars(path, 1) != std::string(1, platform::PathDelim))
        path += platform::PathDelim;
    UpdateRecentFolders(Q(path));
}

void TRandomListEditor::UpdateRecentFolders(const QString& folder)
{
    const int p = cboxDriver->findText(folder, Qt::MatchExactly);
    if (p > 0)
        cboxDriver->removeItem(p);
    if (p != 0) {
        cboxDriver->insertItem(0, folder);
        while (cboxDriver->count() > MaxRecentFolders)
            cboxDriver->removeItem(MaxRecentFolders);
    }
    cboxDriver->setCurrentIndex(0);
    TStrings entries;
    for (int i = 0; i < cboxDriver->count(); ++i)
        entries.push_back(cboxDriver->itemText(i).toStdString());
    Config->WriteList("RecentFolder", entries);
}

bool TRandomListEditor::IsHit(const std::string& folder, const std::string& name)
{
    return PublicUnit.DisplayName(folder + name).find("Kaleidra") == std::string::npos;
}

void TRandomListEditor::btSearchClick()
{
    // A search still unwinding after Stop must end before another may begin, or both would
    // fill the same results.
    if (searching_)
        return;
    Stopped = false;
    const std::string folder = cboxDriver->currentText().toStdString();
    if (folder.empty()) {
        SetStatus(TextPanel, SelectFolderText);
        return;
    }
    lsSearch->clear();
    FoundFiles.clear();
    SubFolder = chkSub->isChecked();
    CheckAll = true;
    ShowTool(btSearch, false);
    ShowTool(btStop, true);
    searching_ = true;

    const std::shared_ptr<bool> alive = alive_;
    size_t unstorable = 0;
    const auto hit = [this, &unstorable](const std::string& f, const std::string& n) {
        if (!IsHit(f, n))
            return false;
        if (TConfig::CanStore(f + n))
            return true;
        ++unstorable;
        return false;
    };
    FolderSearch search({hit, [this](const std::string& path) { SetStatus(TextPanel, Q(path)); },
        [this, alive] {
            Host().ProcessMessages();
            if (!*alive)
                return false;
            QThread::msleep(1);
            return true;
        },
        [this] { return Stopped; }});
    if (!search.SearchFolder(folder, Traits.mask, SubFolder, FoundFiles))
        return; // the panel was destroyed meanwhile
    searching_ = false;
    FillSearchList();
    SetStatus(CountPanel, "Found:" + QString::number(FoundFiles.size()));
    ShowTool(btSearch, true);
    btSearch->setEnabled(true);
    ShowTool(btStop, false);
    if (!Stopped)
        SetStatus(TextPanel, SearchDoneText);
    if (unstorable > 0)
        PublicUnit.ShowWarning(std::to_string(unstorable) + " file(s) found were left out: " + LineBreakReason + ".");
}

void TRandomListEditor::FillSearchList()
{
    for (const std::string& path : FoundFiles) {
        auto* item = new QListWidgetItem(Q(PublicUnit.DisplayName(path)).toUpper(), lsSearch);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TRandomListEditor::btStopClick()
{
    ShowTool(btSearch, true);
    btSearch->setEnabled(!searching_);
    ShowTool(btStop, false);
    Stopped = true;
    SetStatus(TextPanel, UserStoppedText);
}

void TRandomListEditor::btCheckClick()
{
    for (int i = 0; i < lsSearch->count(); ++i)
        lsSearch->item(i)->setCheckState(CheckAll ? Qt::Checked : Qt::Unchecked);
    CheckAll = !CheckAll;
}

void TRandomListEditor::btAddClick()
{
    if (lsSearch->count() == 0)
        return;
    std::vector<std::string> ticked;
    for (int i = 0; i < lsSearch->count() && i < int(FoundFiles.size()); ++i)
        if (lsSearch->item(i)->checkState() == Qt::Checked)
            ticked.push_back(FoundFiles[size_t(i)]);
    AppendEntries(ticked);
    ShowRandomList();
    EnableSave();
}

void TRandomListEditor::AppendEntries(const std::vector<std::string>& paths)
{
    size_t added = 0;
    for (const std::string& path : paths) {
        if (int(WorkList().size()) >= MaxEntries)
            break;
        WorkList().push_back(path);
        ++added;
    }
    if (added < paths.size())
        PublicUnit.ShowWarning("A random list keeps at most " + std::to_string(MaxEntries) + " entries; "
            + std::to_string(paths.size() - added) + " file(s) were not added.");
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
        lsSearch->setCurrentRow(-1);
        if (!onEntry) {
            lsList->setCurrentRow(-1);
            EnableItemCommands(false);
            return;
        }
        lsList->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        SelectedFile = WorkList()[size_t(row)];
    } else if (button == Qt::LeftButton) {
        lsSearch->setCurrentRow(-1);
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
    for (;;) {
        const QList<QListWidgetItem*> selected = lsList->selectedItems();
        int first = -1;
        for (QListWidgetItem* item : selected) {
            const int row = lsList->row(item);
            if (first < 0 || row < first)
                first = row;
        }
        if (first < 0)
            break;
        delete lsList->takeItem(first);
        WorkList().erase(WorkList().begin() + first);
    }
    SelectedFile.clear();
    EnableItemCommands(false);
    EnableSave();
}

void TRandomListEditor::mnuClearClick()
{
    const QSignalBlocker quiet(lsList);
    lsList->clear();
    WorkList().clear();
    EnableSave();
    EnableItemCommands(false);
}

void TRandomListEditor::btResetClick()
{
    {
        const QSignalBlocker quiet(lsList);
        lsList->clear();
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
    if (lsList->currentRow() >= 0)
        PublicUnit.ShowProperties(SelectedFile);
}

bool TRandomListEditor::FormHide()
{
    if (released_)
        return true;
    // Only edits need writing: with nothing edited, a settings file that cannot be written
    // (read-only, say) never keeps the user in the panel.
    if (Config->IsAutoSave() && btSave->isEnabled() && !SaveOrLeaveUnsaved())
        return false;
    // A search in progress stops at its next sub-folder instead of outliving the panel.
    Stopped = true;
    released_ = true;
    Config->ReleaseFile();
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

bool TRandomListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == palFolder && event->type() == QEvent::Resize)
        palFolderResize();
    return TPanel::eventFilter(watched, event);
}

void TRandomListEditor::palFolderResize()
{
    const int width = std::max(palFolder->width() - 45, 40);
    cboxDriver->resize(width, cboxDriver->height());
    btBrowser->move(width + 16, btBrowser->y());
}

} // namespace kdx
