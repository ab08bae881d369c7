#include "Errors.h"

namespace kdx {

std::string FormatText(const char* text, const std::string& arg)
{
    std::string out(text);
    for (const char* mark : {"%s", "%d"}) {
        const size_t at = out.find(mark);
        if (at != std::string::npos)
            return out.replace(at, 2, arg);
    }
    return out;
}

void Raise(const char* text, const std::string& arg) { throw EKaleidraError(FormatText(text, arg)); }

void RaiseCannotOpen(const std::string& path, const std::string& problem)
{
    throw EKaleidraError(FormatText(texts::CannotOpenFile, path) + (problem.empty() ? "" : ": " + problem));
}

} // namespace kdx
