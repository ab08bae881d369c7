#pragma once
#include "TRandomListEditor.h"

class QComboBox;
class QSpinBox;

namespace kdx {

// The screensaver random list, with the random type and the interval the companion
// screensaver uses.
class TfrmSaver : public TRandomListEditor {
public:
    TfrmSaver(IPanelHost& host, QWidget* parent = nullptr);

    void btConfigClick();
    TStrings& WorkList() override { return Savers.Items; }
    void btPreviewClick();
    void cboxSaverRandomTypeChange();
    void txtSaverIntervalChange();

    TSavers Savers;
    QComboBox* cboxSaverRandomType;
    QSpinBox* txtSaverInterval;
    QToolButton* btConfig;
    QToolButton* btPreview;
    QAction* mnuConfig;
    QAction* mnuPreview;

protected:
    void LoadRecord() override { Config->LoadSavers(Savers); }
    void SaveRecord() override;
    void ShowOptions() override;

private:
    // Starts the picked screensaver with Verb, after the two checks the commands share.
    void RunSelected(const char* verb, const char* params, const char* noneText);
};

} // namespace kdx
