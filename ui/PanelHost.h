#pragma once
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kdx {

// A fixed set of same-sized pictures addressed by index, shared by the main window's tool bar,
// side bar and the panels' tool bars.
class TImageList {
public:
    TImageList() = default;
    TImageList(QSize size, std::vector<QPixmap> images) : size_(size), images_(std::move(images)) { }

    int Count() const { return int(images_.size()); }
    QSize Size() const { return size_; }
    // An index outside the list gives an empty picture, as an image list draws nothing for it.
    QPixmap Pixmap(int index) const { return index >= 0 && index < Count() ? images_[size_t(index)] : QPixmap(); }
    QIcon Icon(int index) const { return QIcon(Pixmap(index)); }

private:
    QSize size_;
    std::vector<QPixmap> images_;
};

// The main window's three image lists.
enum class ImageListId {
    RandomList, // imgRandomList: 24 pictures of 16 x 16
    Search, // imgSearch: 4 pictures of 16 x 16
    Outlook, // imgOutlook: 5 pictures of 32 x 32
};

// Status-bar panels: 0 holds counts, 1 progress and result texts.
inline constexpr int CountPanel = 0;
inline constexpr int TextPanel = 1;

// What one monitor shows after the last change that gave each monitor its own picture.
struct TMonitorStatus {
    std::string monitor;
    unsigned width = 0, height = 0; // the monitor's own pixels
    std::string picture; // the list entry
    bool shown = false;
    std::string detail; // where it shows, or why not
};

// What a docked panel may use of the main window.
class IPanelHost {
public:
    virtual ~IPanelHost() = default;

    virtual void SetStatusText(int panel, const QString& text) = 0;
    virtual QString StatusText(int panel) const = 0;
    virtual const TImageList& ImageList(ImageListId id) const = 0;
    // Runs the pending window messages, so that a long task on the one thread lets the user
    // and the timers in between.
    virtual void ProcessMessages() = 0;
    // Reads the main window's own wallpaper settings from the settings file again.
    virtual void ReloadWallpaper() = 0;
    // Switches the wallpaper rotation timer on or off.
    virtual void EnableTimerPaper(bool enabled) = 0;
    // A panel has put Picture on the desktop, so the main window knows what the desktop shows.
    virtual void WallpaperShown(const std::string& picture) { static_cast<void>(picture); }
    // Each monitor's picture since the last change that gave each monitor its own; empty before.
    virtual std::vector<TMonitorStatus> MonitorWallpapers() const { return {}; }
};

// A form that the main window docks into its work area, one at a time. It is created afresh
// each time the user moves to it, so its constructor reads its settings.
class TPanel : public QWidget {
public:
    explicit TPanel(IPanelHost& host, QWidget* parent = nullptr) : QWidget(parent), host_(host) { }

    // The leave step: runs when the main window moves to another panel, after this one is hidden;
    // never at exit. It is called explicitly because Qt's hide events also arrive when the main
    // window merely goes to the tray. When it throws, or returns false (the user chose to stay),
    // the panel stays docked and shown. After it the panel is deleted once control is back in
    // the event loop, so a task of the panel that was running pending messages
    // (ProcessMessages) unwinds before the panel goes.
    virtual bool FormHide() { return true; }
    // The monitors' wallpapers changed (the main window's MonitorWallpapers).
    virtual void MonitorWallpapersChanged() { }

protected:
    IPanelHost& Host() const { return host_; }

private:
    IPanelHost& host_;
};

// The panels by their index in the main window's ShowPanel.
enum PanelIndex {
    StatusPanel = 0,
    SaverPanel = 1,
    FlashPanel = 2,
    PicturePanel = 3,
    WallpaperPanel = 4,
    PanelCount = 5
};

// Makes a new panel of one class, hidden, as a child of Parent.
using PanelFactory = std::function<TPanel*(IPanelHost& host, QWidget* parent)>;

// One factory per panel index; an empty entry is a panel that this build does not have. The
// product's catalog is StandardPanels() (app/Panels.h): a new panel class is added there.
using TPanelCatalog = std::array<PanelFactory, PanelCount>;

template <typename Panel> PanelFactory MakePanelFactory()
{
    return [](IPanelHost& host, QWidget* parent) -> TPanel* { return new Panel(host, parent); };
}

} // namespace kdx
