#pragma once
#include <X11/Xlib.h>

#include <string>

#include "imaging/PixelPicture.h"

// The picture the water lies over, in the saver's bottom-up layout.
class DesktopPicture {
public:
    enum class Outcome { Taken, Failed, Quit };

    // Reads the given area of a drawable of `visual` and `depth` (a TrueColor visual the saver
    // supports). The area must lie inside the drawable.
    static bool Capture(Display* display, Drawable drawable, Visual* visual, int depth, int x, int y, int width,
                        int height, PixelPicture& picture, std::string& error);

    // What XScreenSaver's image modes show: its helper xscreensaver-getimage paints a snapshot
    // of the desktop (or, as the user's settings say, a picture file or colour bars) onto a
    // pixmap of the window's size, which is then read. The daemon has blanked the screen
    // before it starts a mode, so the window itself holds nothing to read.
    static Outcome FromXScreenSaver(Display* display, Window window, Visual* visual, int depth, int width, int height,
                                    PixelPicture& picture, std::string& error);
};
