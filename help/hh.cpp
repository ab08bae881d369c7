#include "hh.h"

#include "platform/Platform.h"
#include "settings/TConfig.h"

namespace kdx {

namespace {

hh::Control control;

platform::IHelpControl& System() { return *platform::Current().helpControl; }

bool FileExists(const std::string& path) { return platform::Current().files->FileExists(path); }

} // namespace

const hh::Control& hh::Loaded() { return control; }

std::string HelpControlPath()
{
    const platform::RegString value = System().ClassesRootDefault(hh::ControlKey);
    if (value.status != platform::RegRead::Ok || value.value.empty() || !FileExists(value.value))
        return {};
    return value.value;
}

void LoadHelpControl()
{
    if (control.Handle)
        return;
    const std::string path = HelpControlPath();
    if (path.empty() || !FileExists(path))
        return;
    const platform::IHelpControl::Module handle = System().LoadLibrary(path);
    if (!handle)
        return;
    control.Handle = handle;
    control.HtmlHelpA = System().ProcAddress(handle, "HtmlHelpA");
    control.HtmlHelpW = System().ProcAddress(handle, "HtmlHelpW");
    control.HtmlHelp = System().ProcAddress(handle, "HtmlHelpA");
}

void UnloadHelpControl()
{
    if (!control.Handle)
        return;
    System().FreeLibrary(control.Handle);
    control = {};
}

std::string HelpFilePath()
{
    std::string folder = ProgramFolder(platform::Current().system->ModuleFileName());
    if (folder.empty() || folder.back() != platform::PathDelim)
        folder += platform::PathDelim;
    return folder + texts::HelpFile;
}

void OpenHelpFile() { platform::Current().shell->Execute("open", HelpFilePath(), ""); }

void ShowHelpTopic(const std::string& topic)
{
    if (!control.HtmlHelp) {
        OpenHelpFile();
        return;
    }
    System().CallHtmlHelp(control.HtmlHelp, HelpFilePath() + topic, hh::HH_DISPLAY_TOPIC, 0);
}

THelpControlScope::THelpControlScope()
{
    if (hh::HelpControlAutoLoad)
        LoadHelpControl();
}

THelpControlScope::~THelpControlScope() { UnloadHelpControl(); }

} // namespace kdx
