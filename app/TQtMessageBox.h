#pragma once
#include "shell/MessageBox.h"

namespace kdx {

// The agent's message boxes, for the layers below the forms.
class TQtMessageBox final : public IMessageBox {
public:
    int Show(const std::string& caption, const std::string& text, MessageIcon icon) override;
};

} // namespace kdx
