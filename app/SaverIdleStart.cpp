#include "SaverIdleStart.h"

#include "platform/AsciiCase.h"
#include "platform/Platform.h"
#include "settings/TConfig.h"
#include "shell/ReportErrors.h"

#include <algorithm>

namespace kdx {

namespace {

platform::Services& Os() { return platform::Current(); }

std::string SystemSaverValue()
{
    const auto key = Os().registry->OpenKey(reg::DesktopKey);
    if (!key)
        return std::string();
    const platform::RegString value = key->QueryString(reg::ScreenSaverValue);
    return value.status == platform::RegRead::Ok ? value.value : std::string();
}

} // namespace

bool NamesCompanion(const std::string& value)
{
    std::string name = value;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    const std::size_t folder = name.find_last_of("\\/");
    if (folder != std::string::npos)
        name.erase(0, folder + 1);
    return EqualAscii(name, files::CompanionSaver);
}

SaverIdleStart::SaverIdleStart()
{
    if (platform::IScreenSaverTimer* timer = Os().screenSaverTimer)
        watching_ = timer->Watch([this] { ReportErrors([this] { TimerFired(); }); });
}

SaverIdleStart::~SaverIdleStart()
{
    if (watching_)
        Os().screenSaverTimer->Watch(nullptr);
}

void SaverIdleStart::TimerFired()
{
    platform::IScreenSaverTimer* timer = Os().screenSaverTimer;
    if (!timer || !NamesCompanion(SystemSaverValue()))
        return;
    if (timer->CompanionRunning() || timer->DesktopSaverPresent())
        return;
    // The same start as "Execute Screensaver": the shell finds the companion by its bare name.
    Os().shell->Execute("open", files::CompanionSaver, "");
}

} // namespace kdx
