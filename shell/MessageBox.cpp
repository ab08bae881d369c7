#include "MessageBox.h"

namespace kdx {

namespace {
IMessageBox* installed = nullptr;
}

IMessageBox* CurrentMessageBox() { return installed; }

void SetMessageBox(IMessageBox* box) { installed = box; }

} // namespace kdx
