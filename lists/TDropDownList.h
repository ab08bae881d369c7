#pragma once
#include <QComboBox>

namespace kdx {

// A drop-down list that opens as the user types: the first character typed while it is closed
// opens it on the first item that begins with that text, where Enter chooses it.
class TDropDownList : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace kdx
