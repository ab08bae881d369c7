#include "TSearchPane.h"

#include "EditorParts.h"
#include "FolderSearch.h"
#include "TListBox.h"
#include "platform/Platform.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"
#include "shell/TPublicUnit.h"
#include "ui/PanelHost.h"
#include "ui/WidgetParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QSignalBlocker>
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

} // namespace

TSearchPane::TSearchPane(IPanelHost& host, TPublicUnit& publicUnit, std::string mask, const QString& hintSearch,
    Hooks hooks, QWidget* parent)
    : QFrame(parent), host_(host), publicUnit_(publicUnit), mask_(std::move(mask)), hooks_(std::move(hooks))
{
    setObjectName("palSearch");
    setMinimumWidth(200);
    searchLayout = new QVBoxLayout(this);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->setSpacing(0);
    searchLayout->addWidget(Heading("Search Form", this));
    BuildFolderRow();

    lsSearch = new TListBox(this, true);
    lsSearch->setObjectName("lsSearch");
    lsSearch->setSelectionMode(QAbstractItemView::SingleSelection);
    searchLayout->addWidget(lsSearch, 1);
    BuildSearchTools(hintSearch);

    dlgFolder = new QFileDialog(this, "Select a folder ...");
    dlgFolder->setObjectName("dlgFolder");
    dlgFolder->setFileMode(QFileDialog::Directory);
    dlgFolder->setOption(QFileDialog::ShowDirsOnly, true);
    dlgFolder->setOption(QFileDialog::DontUseNativeDialog, true);
}

TSearchPane::~TSearchPane() { *alive_ = false; }

void TSearchPane::BuildFolderRow()
{
    palFolder = MakePanel("palFolder", this);
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
    connect(cboxDriver, &QComboBox::activated, this, Reporting(this, &TSearchPane::cboxDriverChange));
    connect(btBrowser, &QToolButton::clicked, this, Reporting(this, &TSearchPane::btBrowserClick));

    auto* subRow = new QFrame(this);
    subRow->setFixedHeight(24);
    auto* subLayout = new QHBoxLayout(subRow);
    subLayout->setContentsMargins(8, 0, 8, 0);
    chkSub = new QCheckBox("Include sub-folder", subRow);
    chkSub->setObjectName("chkSub");
    chkSub->setToolTip("Enable to search sub-folders");
    chkSub->setStatusTip(chkSub->toolTip());
    subLayout->addWidget(chkSub);
    searchLayout->addWidget(subRow);
    connect(chkSub, &QCheckBox::toggled, this, Reporting(this, &TSearchPane::chkSubClick));
}

QToolButton* TSearchPane::AddSearchButton(const char* name, const QString& caption, const QString& hint, int image)
{
    auto* button = NewToolButton(tbSearch, name, caption, hint, host_.ImageList(ImageListId::Search).Icon(image));
    tbSearch->addWidget(button);
    return button;
}

void TSearchPane::BuildSearchTools(const QString& hintSearch)
{
    tbSearch = new QToolBar(this);
    tbSearch->setObjectName("tbSearch");
    SetUpToolBar(tbSearch);
    btSearch = AddSearchButton("btSearch", "Search", hintSearch, 1);
    btStop = AddSearchButton("btStop", "Stop", "Stop the searching", 0);
    tbSearch->addSeparator();
    btCheck = AddSearchButton("btCheck", "Check", "Check or uncheck the searched files", 3);
    tbSearch->addSeparator();
    btAdd = AddSearchButton("btAdd", "Move", "Move the searched and selected files to the random list", 2);
    searchLayout->addWidget(tbSearch);
    ShowTool(btStop, false);
    connect(btSearch, &QToolButton::clicked, this, Reporting(this, &TSearchPane::btSearchClick));
    connect(btStop, &QToolButton::clicked, this, Reporting(this, &TSearchPane::btStopClick));
    connect(btCheck, &QToolButton::clicked, this, Reporting(this, &TSearchPane::btCheckClick));
    connect(btAdd, &QToolButton::clicked, this, Reporting(this, &TSearchPane::btAddClick));
}

void TSearchPane::SetStatus(int panel, const QString& text) const { host_.SetStatusText(panel, text); }

void TSearchPane::LoadSearchSettings(TConfig& config)
{
    config_ = &config;
    TStrings recent;
    config.ReadList("RecentFolder", recent);
    for (const std::string& folder : recent)
        cboxDriver->addItem(Q(folder));
    cboxDriver->setCurrentIndex(recent.empty() ? -1 : 0);
    SubFolder = config.ReadFlag("Misc", "Sub");
    {
        const QSignalBlocker quiet(chkSub);
        chkSub->setChecked(SubFolder);
    }
    // Showing the stored choice is no edit: the flag is written, as the box's handler would,
    // but a settings file that cannot take it (read-only) troubles nobody who changed nothing.
    if (SubFolder) {
        try {
            config.WriteFlag("Misc", "Sub", true);
        } catch (const std::exception&) {
        }
    }
    FoundFiles.clear();
}

void TSearchPane::chkSubClick() { config_->WriteFlag("Misc", "Sub", chkSub->isChecked()); }

void TSearchPane::cboxDriverChange(int index)
{
    const QString folder = cboxDriver->itemText(index);
    cboxDriver->setToolTip(folder);
    UpdateRecentFolders(folder);
}

void TSearchPane::btBrowserClick()
{
    if (dlgFolder->exec() != QDialog::Accepted || dlgFolder->selectedFiles().isEmpty())
        return;
    std::string path = QDir::toNativeSeparators(dlgFolder->selectedFiles().first()).toStdString();
    if (!TConfig::CanStore(path)) {
        publicUnit_.ShowWarning(
            "This folder cannot be chosen: " + std::string(LineBreakReason) + ".\n" + OneLine(path));
        return;
    }
    if (publicUnit_.RightChars(path, 1) != std::string(1, platform::PathDelim))
        path += platform::PathDelim;
    UpdateRecentFolders(Q(path));
}

void TSearchPane::UpdateRecentFolders(const QString& folder)
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
    config_->WriteList("RecentFolder", entries);
}

void TSearchPane::btSearchClick()
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
    FoundFiles.clear();
    lsSearch->Entries().Show(&FoundFiles, {});
    SubFolder = chkSub->isChecked();
    CheckAll = true;
    ShowTool(btSearch, false);
    ShowTool(btStop, true);
    searching_ = true;

    const std::shared_ptr<bool> alive = alive_;
    size_t unstorable = 0;
    const auto hit = [this, &unstorable](const std::string& f, const std::string& n) {
        if (!hooks_.isHit(f, n))
            return false;
        if (TConfig::CanStore(f + n))
            return true;
        ++unstorable;
        return false;
    };
    FolderSearch search({hit, [this](const std::string& path) { SetStatus(TextPanel, Q(path)); },
        [this, alive] {
            host_.ProcessMessages();
            if (!*alive)
                return false;
            QThread::msleep(1);
            return true;
        },
        [this] { return Stopped; }});
    if (!search.SearchFolder(folder, mask_, SubFolder, FoundFiles))
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
        publicUnit_.ShowWarning(std::to_string(unstorable) + " file(s) found were left out: " + LineBreakReason + ".");
}

void TSearchPane::FillSearchList()
{
    lsSearch->Entries().Show(
        &FoundFiles, [this](const std::string& path) { return Q(publicUnit_.DisplayName(path)).toUpper(); });
}

void TSearchPane::btStopClick()
{
    ShowTool(btSearch, true);
    btSearch->setEnabled(!searching_);
    ShowTool(btStop, false);
    Stopped = true;
    SetStatus(TextPanel, UserStoppedText);
}

void TSearchPane::btCheckClick()
{
    lsSearch->Entries().SetAllChecked(CheckAll);
    CheckAll = !CheckAll;
}

void TSearchPane::btAddClick()
{
    const int rows = lsSearch->Count();
    if (rows == 0)
        return;
    std::vector<std::string> ticked;
    for (int i = 0; i < rows && i < int(FoundFiles.size()); ++i)
        if (lsSearch->Entries().IsChecked(i))
            ticked.push_back(FoundFiles[size_t(i)]);
    hooks_.move(ticked);
}

bool TSearchPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == palFolder && event->type() == QEvent::Resize)
        palFolderResize();
    return QFrame::eventFilter(watched, event);
}

void TSearchPane::palFolderResize()
{
    const int width = std::max(palFolder->width() - 45, 40);
    cboxDriver->resize(width, cboxDriver->height());
    btBrowser->move(width + 16, btBrowser->y());
}

} // namespace kdx
