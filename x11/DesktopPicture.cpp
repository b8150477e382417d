#include "x11/DesktopPicture.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

#include "common/MessageText.h"
#include "x11/ErrorTrap.h"
#include "x11/HelperProgram.h"
#include "x11/ImagePixelFormat.h"

namespace {

constexpr const char* kGetImageName = "xscreensaver-getimage";
// A picture from disk or from a feed can take a while; a helper that hangs must not keep
// the saver from ever starting.
constexpr int kGetImageTimeoutMs = 30000;

} // namespace

bool DesktopPicture::Capture(Display* display, Drawable drawable, Visual* visual, int depth, int x, int y, int width,
                             int height, PixelPicture& picture, std::string& error)
{
    ErrorTrap trap(display);
    XImage* image = XGetImage(display, drawable, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    std::string failure;
    if (trap.Failed(&failure) || !image) {
        if (image)
            XDestroyImage(image);
        error = "cannot read the picture: " + (failure.empty() ? std::string("no image") : failure);
        return false;
    }
    // A pixmap's image carries no colour masks: they come from the visual.
    ImagePixelFormat format;
    const bool described =
        ImagePixelFormat::Describe(depth, image->bits_per_pixel, static_cast<uint32_t>(visual->red_mask),
                                   static_cast<uint32_t>(visual->green_mask), static_cast<uint32_t>(visual->blue_mask),
                                   image->byte_order == MSBFirst, format, error);
    if (described) {
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        format.ReadFlipped(reinterpret_cast<const uint8_t*>(image->data), static_cast<size_t>(image->bytes_per_line),
                           width, height, picture.pixels.data());
    }
    XDestroyImage(image);
    return described;
}

DesktopPicture::Outcome DesktopPicture::FromXScreenSaver(Display* display, Window window, Visual* visual, int depth,
                                                         int width, int height, PixelPicture& picture,
                                                         std::string& error)
{
    const std::string helper = HelperProgram::Find(kGetImageName, std::getenv("PATH"));
    if (helper.empty()) {
        error = std::string(kGetImageName) + " is not installed (Debian package xscreensaver-data)";
        return Outcome::Failed;
    }
    const Pixmap pixmap = XCreatePixmap(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        static_cast<unsigned>(depth));
    // Black where the helper leaves anything unpainted. It draws on the pixmap over its own
    // connection, so the pixmap must exist on the server before the helper starts.
    const GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XSetForeground(display, gc, 0);
    XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFreeGC(display, gc);
    XSync(display, False);
    std::string detail;
    const HelperProgram::Outcome ran = HelperProgram::Run(
        {helper, "--display", DisplayString(display), HexForMessage(window), HexForMessage(pixmap)}, kGetImageTimeoutMs, detail);
    Outcome outcome = Outcome::Failed;
    if (ran == HelperProgram::Outcome::Quit) {
        outcome = Outcome::Quit;
    } else if (ran != HelperProgram::Outcome::Succeeded) {
        error = helper + ": " + detail;
    } else if (Capture(display, pixmap, visual, depth, 0, 0, width, height, picture, error)) {
        outcome = Outcome::Taken;
    }
    XFreePixmap(display, pixmap);
    XSync(display, False);
    return outcome;
}
