// Sets the scene for the X11 saver's tests.
//   x11-test-helper desktop PICTURE        the picture becomes the root window's background and
//                                          stays after this program ends
//   x11-test-helper window WxH+X+Y         maps a window there, prints its id, and keeps it until
//                                          SIGTERM or SIGINT
//   x11-test-helper input-only WxH+X+Y     the same with an input-only window
//   x11-test-helper window32 WxH+X+Y       the same with a window of a 32-bit TrueColor visual
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/render/PictureFile.h"
#include "x11/FrameImage.h"
#include "x11/ImagePixelFormat.h"

namespace {

volatile sig_atomic_t stop = 0;

void OnStop(int)
{
    stop = 1;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "x11-test-helper: %s\n", message.c_str());
    return 1;
}

int ShowDesktop(Display* display, const char* path)
{
    PixelPicture picture;
    std::string error;
    if (!ReadPictureFile(path, picture, error))
        return Fail(error);
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    ImagePixelFormat format;
    if (!FrameImage::FormatFor(display, DefaultVisual(display, screen), DefaultDepth(display, screen), format, error))
        return Fail(error);
    XImage* image = XCreateImage(display, DefaultVisual(display, screen), static_cast<unsigned>(DefaultDepth(display, screen)),
                                 ZPixmap, 0, nullptr, static_cast<unsigned>(picture.width),
                                 static_cast<unsigned>(picture.height), 32, 0);
    std::vector<char> data(static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(picture.height));
    image->data = data.data();
    format.WriteFlipped(picture.pixels.data(), picture.width, picture.height, reinterpret_cast<uint8_t*>(image->data),
                        static_cast<size_t>(image->bytes_per_line));
    const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(picture.width),
                                        static_cast<unsigned>(picture.height), static_cast<unsigned>(DefaultDepth(display, screen)));
    const GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(picture.width),
              static_cast<unsigned>(picture.height));
    image->data = nullptr;
    XDestroyImage(image);
    XFreeGC(display, gc);
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    // The pixmap outlives this connection, as a desktop program's background does.
    XSetCloseDownMode(display, RetainPermanent);
    XSync(display, False);
    return 0;
}

enum class WindowKind { Normal, NoOutput, Argb };

int HoldWindow(Display* display, const char* geometry, WindowKind kind)
{
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    const int parsed = XParseGeometry(geometry, &x, &y, &width, &height);
    if ((parsed & (WidthValue | HeightValue)) != (WidthValue | HeightValue) || width == 0 || height == 0)
        return Fail(std::string("bad geometry ") + geometry);
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.override_redirect = True;  // no window manager in the tests; exactly where asked
    const Window root = RootWindow(display, screen);
    Window window = 0;
    if (kind == WindowKind::NoOutput) {
        window = XCreateWindow(display, root, x, y, width, height, 0, 0, InputOnly, CopyFromParent,
                               CWOverrideRedirect, &attributes);
    } else if (kind == WindowKind::Argb) {
        XVisualInfo info;
        if (!XMatchVisualInfo(display, screen, 32, TrueColor, &info))
            return Fail("no 32-bit TrueColor visual");
        attributes.colormap = XCreateColormap(display, root, info.visual, AllocNone);
        attributes.background_pixel = 0xFF000000;  // opaque black
        attributes.border_pixel = 0;
        window = XCreateWindow(display, root, x, y, width, height, 0, 32, InputOutput, info.visual,
                               CWBackPixel | CWBorderPixel | CWColormap | CWOverrideRedirect, &attributes);
    } else {
        window = XCreateWindow(display, root, x, y, width, height, 0, CopyFromParent, InputOutput, CopyFromParent,
                               CWBackPixel | CWOverrideRedirect, &attributes);
    }
    XSelectInput(display, window, StructureNotifyMask);
    XStoreName(display, window, "vellumar test host");
    XMapWindow(display, window);
    XEvent event;
    do
        XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    struct sigaction action {};
    action.sa_handler = OnStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    while (!stop) {
        while (XPending(display))
            XNextEvent(display, &event);
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 100);
    }
    XDestroyWindow(display, window);
    XSync(display, False);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc == 3 ? argv[1] : "";
    if (command != "desktop" && command != "window" && command != "input-only" && command != "window32")
        return Fail("usage: x11-test-helper desktop PICTURE | window WxH+X+Y | input-only WxH+X+Y | window32 WxH+X+Y");
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return Fail("cannot open the display");
    const int status =
        command == "desktop"      ? ShowDesktop(display, argv[2])
        : command == "input-only" ? HoldWindow(display, argv[2], WindowKind::NoOutput)
        : command == "window32"   ? HoldWindow(display, argv[2], WindowKind::Argb)
                                  : HoldWindow(display, argv[2], WindowKind::Normal);
    XCloseDisplay(display);
    return status;
}
