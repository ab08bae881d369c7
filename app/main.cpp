// The agent's entry point. The settings store is what exists so far: the program locates
// its install folder and settings file, and reports what the companion screensaver will read.
#include "settings/TConfig.h"

#include <exception>
#include <iostream>

int main()
{
    try {
        kdx::TConfig config;
        kdx::TMisc misc;
        kdx::TSavers savers;
        kdx::TWallpaper wallpaper;
        config.LoadMisc(misc);
        config.LoadSavers(savers);
        config.LoadWallpaper(wallpaper);
        std::cout << "Kaleidra Agent\n"
                  << "Settings file: " << config.IniFile->FileName() << "\n"
                  << "Screensavers in the random list: " << savers.Items.size() << "\n"
                  << "Wallpapers in the random list: " << wallpaper.Items.size() << "\n"
                  << "Hot keys: Ctrl + Alt + " << misc.ActivateHotKey << ", Ctrl + Alt + " << misc.ExecuteHotKey
                  << "\n";
        config.ReleaseFile();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
    }
    return 0;
}
