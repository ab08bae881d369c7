#pragma once
#include "ui/PanelHost.h"

class QFrame;
class QLabel;
class QListWidget;

namespace kdx {

// The status panel: five read-only lines with a tick or a cross, built from the settings file
// when the panel is created.
class TfrmWelcome : public TPanel {
public:
    explicit TfrmWelcome(IPanelHost& host, QWidget* parent = nullptr);

    // The introduction's height follows its width.
    void lbeIntroResize();
    // The lines of the monitors follow each change while the panel is docked.
    void MonitorWallpapersChanged() override;
    // The right button selects the line under the pointer, or none below the last line.
    bool lsSituationMouseDown(Qt::MouseButton button, const QPoint& pos);

    QFrame *palTop = nullptr, *palTitle = nullptr, *palLine = nullptr, *palCenter = nullptr;
    QFrame *palButtom = nullptr, *palIntro = nullptr;
    QLabel *Label4 = nullptr, *lbeIntro = nullptr, *Image1 = nullptr;
    QLabel *Label3 = nullptr, *Label1 = nullptr, *Label2 = nullptr;
    QListWidget* lsSituation = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void AddLine(bool on, const char* onText, const char* offText);
    // After the five lines, one per monitor where each monitor has a picture of its own.
    void AddMonitorLines();
    void BuildTop();
    void BuildCenter();
    void BuildBottom();
    void PlaceIntroduction();
    void palButtomResize();
};

// The status lines' texts, when on and when off.
namespace texts {
inline constexpr const char* SaverOn = "Enable Randomly Run Screensaver";
inline constexpr const char* SaverOff = "Disable Randomly Run Screensaver";
inline constexpr const char* FlashOn = "Enable Randomly Show Flash in Screensaver";
inline constexpr const char* FlashOff = "Disable Randomly Show Flash in Screensaver";
inline constexpr const char* PictureOn = "Enable Randomly Show Pictures in Screensaver";
inline constexpr const char* PictureOff = "Disable Randomly Show Pictures in Screensaver";
inline constexpr const char* WallpaperOn = "Enable Random Wallpaper";
inline constexpr const char* WallpaperOff = "Disable Random Wallpaper";
inline constexpr const char* AutoSaveOn = "Open AutoSave When Change Config Panel";
inline constexpr const char* AutoSaveOff = "Close AutoSave When Change Config Panel";
// A monitor's line: its name, size and picture, then why the desktop does not show it.
inline constexpr const char* MonitorNotShown = "not shown: ";
} // namespace texts

} // namespace kdx
