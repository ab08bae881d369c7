#pragma once
#include "platform/HelpControl.h"

#include <string>

namespace kdx {

// The HTML Help control, found through the class registry and loaded by file: one per process.
namespace hh {

inline constexpr const char* ControlKey = "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";
inline constexpr unsigned HH_DISPLAY_TOPIC = 0;

struct Control {
    platform::IHelpControl::Module Handle = 0;
    void* HtmlHelpA = nullptr; // the ANSI entry
    void* HtmlHelpW = nullptr; // the wide entry
    void* HtmlHelp = nullptr; // the entry callers use: HtmlHelpA again
};

// The process's control; empty while not loaded.
const Control& Loaded();

// Load the control at program start.
inline constexpr bool HelpControlAutoLoad = true;

} // namespace hh

// The registered path of the control, or empty when the key is missing or names no file.
std::string HelpControlPath();
// Loads the control once and looks up its entries; nothing happens when it is not registered,
// missing, or does not load.
void LoadHelpControl();
void UnloadHelpControl();

// The program's help file beside the running program, whatever the current folder.
std::string HelpFilePath();
// The page that shows Topic (what follows the help file's path, such as PreferenceTopic; empty
// for the contents) where the help is installed as HTML pages; empty where it is the help file.
std::string HelpPagePath(const std::string& topic);
// Opens the help's contents: the help file with the viewer registered for it, or the contents
// page in the browser.
void OpenHelpFile();
// Shows one topic of the help, Topic being what follows the help file's path, through the
// control. Without the control the topic's page opens in the browser where the help is pages
// (Linux), and the help file itself otherwise, so the request still leads the user to the help.
// Raises "Cannot open file" when the page is missing: the help was not installed.
void ShowHelpTopic(const std::string& topic);

// Loads the control at program start (when HelpControlAutoLoad) and releases it at the end.
class THelpControlScope {
public:
    THelpControlScope();
    ~THelpControlScope();
    THelpControlScope(const THelpControlScope&) = delete;
    THelpControlScope& operator=(const THelpControlScope&) = delete;
};

namespace texts {
inline constexpr const char* MakerWebsite = "https://www.tembrix.com/";
inline constexpr const char* HelpFile = "kdx3.chm";
inline constexpr const char* PreferenceTopic = "::/preference.html";
inline constexpr const char* ContentsPage = "index.html";
} // namespace texts

} // namespace kdx
