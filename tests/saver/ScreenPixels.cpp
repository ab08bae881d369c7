// Prints the colour of points of the X screen as the user sees them, one "#RRGGBB" a line:
// what the screensaver tests check instead of saving and decoding whole screenshots.
// Usage: screen_pixels X,Y [X,Y ...]     the colour of each point
//        screen_pixels --lit X,Y,W,H     how many pixels of the rectangle are not black
//        screen_pixels --saver           "on" while the X server's own screen saver is on, else "off"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "screen_pixels: no X server\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    if (argc == 2 && std::string(argv[1]) == "--saver") {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        const bool on = info && XScreenSaverQueryInfo(display, root, info) && info->state == ScreenSaverOn;
        std::printf("%s\n", on ? "on" : "off");
        XFree(info);
        return 0;
    }
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    if (argc == 3 && std::string(argv[1]) == "--lit") {
        XImage* image = std::sscanf(argv[2], "%d,%d,%u,%u", &x, &y, &width, &height) == 4
            ? XGetImage(display, root, x, y, width, height, AllPlanes, ZPixmap)
            : nullptr;
        if (!image)
            return 1;
        long lit = 0;
        for (unsigned row = 0; row < height; ++row)
            for (unsigned column = 0; column < width; ++column)
                lit += (XGetPixel(image, int(column), int(row)) & 0xFFFFFF) != 0;
        std::printf("%ld\n", lit);
        XDestroyImage(image);
        return 0;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        XImage* image = nullptr;
        if (std::sscanf(argv[i], "%d,%d", &x, &y) == 2)
            image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) {
            std::printf("none\n");
            status = 1;
            continue;
        }
        const unsigned long pixel = XGetPixel(image, 0, 0);
        std::printf("#%02lX%02lX%02lX\n", (pixel & image->red_mask) >> 16, (pixel & image->green_mask) >> 8,
            pixel & image->blue_mask);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return status;
}
