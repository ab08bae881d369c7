#pragma once
#include "TRandomListEditor.h"

class QComboBox;

namespace kdx {

// The Flash random list, with the random type and the size the companion screensaver uses.
// Unlike the screensaver editor, a keyboard move through the list picks the entry too.
class TfrmFlash : public TRandomListEditor {
public:
    TfrmFlash(IPanelHost& host, QWidget* parent = nullptr);

    TStrings& WorkList() override { return Flashs.Items; }
    void btPreviewClick();
    void lsFlashClick();
    void cboxRandomTypeChange();
    void cboxFlashSizeChange();

    TFlashs Flashs;
    QComboBox* cboxRandomType;
    QComboBox* cboxFlashSize;
    QToolButton* btPreview;
    QAction* mnuPreview;

protected:
    void LoadRecord() override { Config->LoadFlashs(Flashs); }
    void SaveRecord() override;
    void ShowOptions() override;
};

} // namespace kdx
