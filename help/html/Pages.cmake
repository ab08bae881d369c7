# The help pages, one per topic; the Linux build installs them as they are, the Windows build
# compiles them into kdx3.chm.
set(KDX_HELP_PAGES
    index.html
    status.html
    lists.html
    screensaver.html
    flash.html
    picture.html
    wallpaper.html
    tray.html
    preference.html
    style.css
)
