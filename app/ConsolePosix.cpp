#include "AgentCommandLine.h"

#include <cstdio>

namespace kdx {

namespace {

void WriteLine(std::FILE* stream, const std::string& text)
{
    std::fputs(text.c_str(), stream);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stream);
    std::fflush(stream);
}

class StandardStreams final : public IConsole {
public:
    void Out(const std::string& text) override { WriteLine(stdout, text); }
    void Error(const std::string& text) override { WriteLine(stderr, text); }
};

} // namespace

IConsole& StartingConsole()
{
    static StandardStreams console;
    return console;
}

} // namespace kdx
