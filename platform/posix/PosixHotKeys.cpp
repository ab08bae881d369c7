#include "PosixHotKeys.h"

#include "platform/Platform.h"
#include "platform/posix/session/DesktopSession.h"
#include "platform/posix/x11/X11Connection.h"

namespace kdx::platform::posix {

namespace {

std::string ProgramFile() { return Current().system->ModuleFileName(); }

} // namespace

PosixHotKeys::Probes PosixHotKeys::SessionProbes()
{
    return {[] { return X11Display() && !CurrentSession().wayland; }, [] { return PortalHotKeys::Offered(); },
        [] { return KdeHotKeys::Offered(); }, [] { return GnomeShortcuts::Offered(); }};
}

PosixHotKeys::PosixHotKeys(Probes probes)
    : gnome_(ProgramFile),
      lines_(ProgramFile),
      candidates_ {{&x11_, std::move(probes.x11Session)}, {&portal_, std::move(probes.portal)},
          {&kde_, std::move(probes.kdeService)}, {&gnome_, std::move(probes.gnomeShortcuts)},
          {&lines_, [] { return true; }}},
      chosen_(candidates_.size())
{
    portal_.OnRefused([this] { PortalRefused(); });
}

void PosixHotKeys::ChooseFrom(std::size_t first)
{
    chosen_ = candidates_.size() - 1; // the lines, when nothing else applies
    for (std::size_t i = first; i + 1 < candidates_.size(); ++i)
        if (candidates_[i].applies()) {
            chosen_ = i;
            return;
        }
}

IHotKeys& PosixHotKeys::Chosen()
{
    if (chosen_ == candidates_.size())
        ChooseFrom(0);
    return *candidates_[chosen_].way;
}

void PosixHotKeys::PortalRefused()
{
    if (candidates_[chosen_].way != &portal_)
        return;
    ChooseFrom(chosen_ + 1);
    IHotKeys& next = Chosen();
    for (const auto& [owner, key] : registered_)
        next.RegisterHotKey(owner.first, owner.second, key.first, key.second);
}

bool PosixHotKeys::RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey)
{
    registered_[{window, id}] = {modifiers, virtualKey};
    return Chosen().RegisterHotKey(window, id, modifiers, virtualKey);
}

bool PosixHotKeys::UnregisterHotKey(WindowHandle window, int id)
{
    registered_.erase({window, id});
    return Chosen().UnregisterHotKey(window, id);
}

void PosixHotKeys::DropHotKey(WindowHandle window, int id)
{
    registered_.erase({window, id});
    Chosen().DropHotKey(window, id);
}

void PosixHotKeys::SetHandler(WindowHandle window, Handler handler)
{
    // Every way keeps it, so that setting it needs no choice yet, and a way chosen later has it.
    for (const Candidate& candidate : candidates_)
        candidate.way->SetHandler(window, handler);
}

void PosixHotKeys::DescribeHotKey(WindowHandle window, int id, const HotKeyAction& action)
{
    for (const Candidate& candidate : candidates_)
        candidate.way->DescribeHotKey(window, id, action);
}

bool PosixHotKeys::GlobalKeysAvailable() { return Chosen().GlobalKeysAvailable(); }
HotKeyWay PosixHotKeys::Way() { return Chosen().Way(); }
bool PosixHotKeys::DesktopShortcutsAllowed() { return Chosen().DesktopShortcutsAllowed(); }
void PosixHotKeys::AllowDesktopShortcuts(bool allowed) { Chosen().AllowDesktopShortcuts(allowed); }

HotKeyLines PosixHotKeys::ConfigurationLines(const std::vector<HotKeyBinding>& keys)
{
    return lines_.ConfigurationLines(keys);
}

} // namespace kdx::platform::posix
