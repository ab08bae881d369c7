#pragma once
#include <QFrame>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QToolBar;
class QToolButton;
class QVBoxLayout;

namespace kdx {

class IPanelHost;
class TConfig;
class TListBox;
class TPublicUnit;

// A list editor's search form ("palSearch"): a folder from the recent ones or the browse
// dialog, searched with or without its sub-folders on the window's thread, and Move, which hands
// the ticked hits to the editor's random list.
class TSearchPane : public QFrame {
public:
    struct Hooks {
        // Whether the entry Name found in Folder is a hit.
        std::function<bool(const std::string& folder, const std::string& name)> isHit;
        // Appends the ticked hits to the random list.
        std::function<void(const std::vector<std::string>& paths)> move;
    };

    TSearchPane(IPanelHost& host, TPublicUnit& publicUnit, std::string mask, const QString& hintSearch, Hooks hooks,
        QWidget* parent);
    ~TSearchPane() override;

    // Reads the recent folders and the sub-folder flag through the editor's store, which the
    // pane keeps using while it lives.
    void LoadSearchSettings(TConfig& config);
    // The editor's leave step: a search in progress stops at its next sub-folder.
    void Stop() { Stopped = true; }

    void cboxDriverChange(int index);
    void btBrowserClick();
    void btSearchClick();
    void btStopClick();
    void btCheckClick();
    void btAddClick();
    void chkSubClick();

    // The most recent folders kept.
    static constexpr int MaxRecentFolders = 20;

    std::vector<std::string> FoundFiles;
    bool Stopped = false;
    bool CheckAll = false;
    bool SubFolder = false;

    QVBoxLayout* searchLayout;
    QFrame* palFolder;
    QComboBox* cboxDriver;
    QToolButton* btBrowser;
    QCheckBox* chkSub;
    TListBox* lsSearch;
    QToolBar* tbSearch;
    QToolButton* btSearch;
    QToolButton* btStop;
    QToolButton* btCheck;
    QToolButton* btAdd;
    QFileDialog* dlgFolder;

private:
    void BuildFolderRow();
    void BuildSearchTools(const QString& hintSearch);
    QToolButton* AddSearchButton(const char* name, const QString& caption, const QString& hint, int image);
    void UpdateRecentFolders(const QString& folder);
    void FillSearchList();
    void palFolderResize();
    void SetStatus(int panel, const QString& text) const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    IPanelHost& host_;
    TPublicUnit& publicUnit_;
    TConfig* config_ = nullptr;
    std::string mask_;
    Hooks hooks_;
    bool searching_ = false;
    // Cleared when the pane is destroyed, so a search that was interrupted by the panel's own
    // destruction can tell, and unwind without touching it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace kdx
