#include "MessageBox.h"

#include <cstdio>

namespace kdx {

namespace {
IMessageBox* installed = nullptr;
}

IMessageBox* CurrentMessageBox() { return installed; }

void SetMessageBox(IMessageBox* box) { installed = box; }

void ReportError(const std::string& text)
{
    if (installed)
        installed->Show(ProgramTitle, text, MessageIcon::Error);
    else
        std::fprintf(stderr, "%s: %s\n", ProgramTitle, text.c_str());
}

} // namespace kdx
