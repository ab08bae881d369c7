#pragma once
#include "TPictureListEditor.h"

class QComboBox;
class QSpinBox;

namespace kdx {

// The pictures the companion screensaver shows, with their sizing and how long each stays.
class TfrmPicture : public TPictureListEditor {
public:
    TfrmPicture(IPanelHost& host, QWidget* parent = nullptr);

    TStrings& WorkList() override { return Images.Items; }
    void cboxImageSizeChange();
    void txtImageIntervalChange();

    TImages Images;
    QComboBox* cboxImageSize;
    QSpinBox* txtImageInterval;

protected:
    void LoadRecord() override { Config->LoadImages(Images); }
    void SaveRecord() override;
    void ShowOptions() override;
};

} // namespace kdx
