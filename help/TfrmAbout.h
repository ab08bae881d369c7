#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kdx {

// The about box: product name and version, the maker's website behind the product picture, and
// the legal notice. It reads and writes nothing.
class TfrmAbout : public QDialog {
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QFrame* palMain;
    QLabel *Label1, *Image1, *Image2, *Label3;
    QFrame *Bevel1, *Bevel2, *Bevel3;
    QPushButton* btOK;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    void Image2Click();
};

namespace texts {
inline constexpr const char* AboutCaption = "About Kaleidra Manager";
inline constexpr const char* AboutVersion = "Kaleidra Manager 3.00";
inline constexpr const char* WebsiteHint = "Visit the Kaleidra website ---- ";
inline constexpr const char* LegalNotice
    = "Kaleidra Deluxe V3.00 and Kaleidra Agent are copyright (C) Tembrix Software. All rights reserved. "
      "This program is protected by copyright law: copying or passing it on without the maker's "
      "permission is not allowed.";
} // namespace texts

} // namespace kdx
