#include "SaverCommandLine.h"
#include "platform/AsciiCase.h"

#include <cerrno>
#include <cstdlib>

namespace kdx::saver {

namespace {

bool ParseWindow(const std::string& text, unsigned long long& window)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value == 0)
        return false;
    window = value;
    return true;
}

} // namespace

SaverCommand ParseSaverCommand(const std::vector<std::string>& args, SaverMode withoutSwitch)
{
    if (args.empty())
        return {withoutSwitch};
    const std::string& first = args[0];
    if (first.size() < 2 || (first[0] != '/' && first[0] != '-'))
        return {SaverMode::Usage};
    const char letter = LowerAscii(first[1]);
    // What follows the letter: nothing, ":<window>" or "<window>".
    std::string rest = first.substr(2);
    if (!rest.empty() && rest[0] == ':')
        rest.erase(0, 1);
    const std::size_t extra = args.size() - 1;
    switch (letter) {
    case 's':
        return {rest.empty() && extra == 0 ? SaverMode::Run : SaverMode::Usage};
    case 'a':
        return {SaverMode::Password};
    case 'c':
        // Windows names the window that asks; the agent's window opens on its own.
        return {SaverMode::Configure};
    case 'p': {
        SaverCommand command {SaverMode::Preview};
        const bool joined = !rest.empty() && extra == 0;
        const bool apart = rest.empty() && extra == 1;
        if ((joined && ParseWindow(rest, command.window)) || (apart && ParseWindow(args[1], command.window)))
            return command;
        return {SaverMode::Usage};
    }
    default:
        return {SaverMode::Usage};
    }
}

} // namespace kdx::saver
