#include "RootWindowRoute.h"

#include "platform/posix/x11/X11Connection.h"
#include "platform/posix/x11/X11DesktopWindows.h"

namespace kdx::platform::posix {

std::string RootWindowRoute::Apply(const HandedPicture& picture)
{
    if (!X11Display())
        return "there is no X display";
    X11DesktopWindows windows;
    if (windows.IsWindowVisible(windows.FindDesktopIconsWindow()))
        return "a desktop window covers the X root window";
    painter_.Paint(picture.file, picture.layout.value_or(WallpaperLayout::Center));
    return std::string();
}

} // namespace kdx::platform::posix
