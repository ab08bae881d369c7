#pragma once
#include "TPictureListEditor.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace kdx {

// The desktop wallpapers the agent rotates, with the style, the cycle and the switch that
// hands the rotation to the agent. Save passes the settings on to the main window's rotation.
class TfrmWallpaper : public TPictureListEditor {
public:
    TfrmWallpaper(IPanelHost& host, QWidget* parent = nullptr);

    TStrings& WorkList() override { return Papers.Items; }
    void cboxPaperStyleChange();
    void txtPaperIntervalChange();
    void cboxCycleChange();
    void btActivateClick();
    void chkPerMonitorClick();
    void mnuSetWallpaperClick();

    TWallpaper Papers;
    QComboBox* cboxPaperStyle;
    QComboBox* cboxCycle;
    QSpinBox* txtPaperInterval;
    // A different picture on each monitor ([Wallpaper] PerMonitor).
    QCheckBox* chkPerMonitor;
    QToolButton* btActivate;
    QToolButton* btWallpaper;
    QAction* mnuSetWallpaper;

    // The cycle whose changes come at the chosen interval.
    static constexpr int AtInterval = 2;

protected:
    void LoadRecord() override { Config->LoadWallpaper(Papers); }
    void SaveRecord() override;
    void ShowOptions() override;
    void AfterSave() override;
};

} // namespace kdx
