#include "hh.h"

#include "platform/Platform.h"
#include "settings/Errors.h"
#include "settings/TConfig.h"

namespace kdx {

namespace {

hh::Control control;

platform::IHelpControl& System() { return *platform::Current().helpControl; }

bool FileExists(const std::string& path) { return platform::Current().files->FileExists(path); }

std::string AgentFolder() { return ProgramFolder(platform::Current().system->ModuleFileName()); }

// A topic names its page after "::/", as the compiled help file's topics do.
std::string PageOfTopic(const std::string& topic)
{
    const std::string marker = "::/";
    if (topic.rfind(marker, 0) == 0 && topic.size() > marker.size())
        return topic.substr(marker.size());
    return texts::ContentsPage;
}

void OpenHelp(const std::string& topic)
{
    const std::string page = HelpPagePath(topic);
    if (page.empty()) {
        platform::Current().shell->Execute("open", HelpFilePath(), "");
        return;
    }
    if (!FileExists(page))
        Raise(texts::CannotOpenFile, page);
    platform::Current().shell->Execute("open", page, "");
}

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
    std::string folder = AgentFolder();
    if (folder.empty() || folder.back() != platform::PathDelim)
        folder += platform::PathDelim;
    return folder + texts::HelpFile;
}

std::string HelpPagePath(const std::string& topic)
{
    const std::string folder = platform::Current().system->HelpFolderFor(AgentFolder());
    return folder.empty() ? folder : folder + platform::PathDelim + PageOfTopic(topic);
}

void OpenHelpFile() { OpenHelp({}); }

void ShowHelpTopic(const std::string& topic)
{
    if (!control.HtmlHelp) {
        OpenHelp(topic);
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
