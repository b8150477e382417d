#include "x11/X11Saver.h"

#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/CommandLineOptions.h"
#include "common/MonotonicClock.h"
#include "common/MessageText.h"
#include "common/MouseRule.h"
#include "imaging/BitmapFile.h"
#include "x11/DesktopPicture.h"
#include "x11/ErrorTrap.h"
#include "x11/MonitorList.h"
#include "x11/PictureScaling.h"
#include "x11/QuitSignals.h"
#include "x11/RandrMonitors.h"

namespace {

constexpr int kEnded = kExitDone;
constexpr int kDisplayFailed = kExitFailed;
constexpr int kCannotDraw = kExitBadInput;
constexpr int kContinue = -1;
// How long the server may take to show a window of ours; a window that never appears (one the
// server could not make) must not keep the saver waiting for ever.
constexpr int kWindowAppearsMs = 5000;

} // namespace

X11Saver::X11Saver(Display* display, const SaverOptions& options)
    : display(display), options(options), root(DefaultRootWindow(display))
{
}

X11Saver::~X11Saver()
{
    image.reset();
    if (gc)
        XFreeGC(display, gc);
    if (ownWindow && target)
        XDestroyWindow(display, target);
    if (blankCursor)
        XFreeCursor(display, blankCursor);
    XSync(display, False);
}

int X11Saver::Run()
{
    int status = kContinue;
    switch (options.target) {
    case SaverTarget::Standalone:
        status = PrepareStandalone();
        break;
    case SaverTarget::Root:
        status = PrepareRoot();
        break;
    case SaverTarget::Window:
        status = PrepareWindow();
        break;
    }
    if (status != kContinue)
        return status;
    // The animation takes the picture over: it is held once, until a window of another program
    // changes size (see Resize).
    if (!StartOn(std::move(picture)))
        return kDisplayFailed;
    picture = PixelPicture{};
    status = Loop();
    if (options.target == SaverTarget::Root)
        GiveBackRoot();
    return status;
}

void X11Saver::GiveBackRoot()
{
    // The desktop as it was photographed, at the root's present size.
    const int width = animation.Width(), height = animation.Height();
    if (!image || width < 1 || height < 1)
        return;
    const PixelPicture& first = picture.pixels.empty() ? animation.Picture() : picture;
    const PixelPicture scaled =
        width == first.width && height == first.height ? PixelPicture{} : ScalePicture(first, width, height);
    image->Show(target, gc, (scaled.pixels.empty() ? first : scaled).pixels.data());
}

int X11Saver::CheckTarget(Visual* targetVisual, int targetDepth, int width, int height)
{
    ImagePixelFormat format;
    std::string error;
    if (!FrameImage::FormatFor(display, targetVisual, targetDepth, format, error))
        return Report(kSaverName, kCannotDraw, error);
    if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return Report(kSaverName, kCannotDraw, "the window is " + std::to_string(width) + " x " + std::to_string(height) +
                                       "; the water covers 1 to " + std::to_string(kMaxBitmapSide) +
                                       " pixels a side");
    visual = targetVisual;
    depth = targetDepth;
    return kContinue;
}

int X11Saver::PrepareStandalone()
{
    const int screen = DefaultScreen(display);
    const MonitorArea area =
        PrimaryMonitorArea(QueryRandrMonitors(display, root), DisplayWidth(display, screen), DisplayHeight(display, screen));
    int status = CheckTarget(DefaultVisual(display, screen), DefaultDepth(display, screen), area.width, area.height);
    if (status != kContinue)
        return status;
    // The desktop is photographed before the window exists, so the picture shows it without the saver.
    std::string error;
    if (!DesktopPicture::Capture(display, root, visual, depth, area.x, area.y, area.width, area.height, picture, error))
        return Report(kSaverName, kDisplayFailed, error);

    // An empty cursor hides the pointer over the window.
    const char empty[1] = {0};
    const Pixmap dot = XCreateBitmapFromData(display, root, empty, 1, 1);
    XColor black{};
    blankCursor = XCreatePixmapCursor(display, dot, dot, &black, &black, 0, 0);
    XFreePixmap(display, dot);

    XSetWindowAttributes attributes{};
    // No background: until the first frame the screen keeps showing the desktop.
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.override_redirect = True;
    attributes.colormap = DefaultColormap(display, screen);
    attributes.cursor = blankCursor;
    attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | EnterWindowMask |
                            StructureNotifyMask | ExposureMask;
    target = XCreateWindow(display, root, area.x, area.y, static_cast<unsigned>(area.width),
                           static_cast<unsigned>(area.height), 0, depth, InputOutput, visual,
                           CWBackPixmap | CWBorderPixel | CWOverrideRedirect | CWColormap | CWCursor | CWEventMask,
                           &attributes);
    ownWindow = true;
    XStoreName(display, target, "Vellumar");
    XClassHint hint{const_cast<char*>("vellumar"), const_cast<char*>("Vellumar")};
    XSetClassHint(display, target, &hint);
    XMapRaised(display, target);
    switch (AwaitMapped()) {
    case Awaited::Came:
        break;
    case Awaited::Quit:
        return kEnded;
    case Awaited::TimedOut:
        return Report(kSaverName, kDisplayFailed, "the window did not appear within " + std::to_string(kWindowAppearsMs / 1000) +
                                          " s");
    }
    GrabInput();
    return kContinue;
}

X11Saver::Awaited X11Saver::AwaitMapped()
{
    const int64_t end = MonotonicNs() + int64_t{kWindowAppearsMs} * 1000000;
    for (;;) {
        // Other events stay queued for the main loop.
        XEvent event;
        if (XCheckTypedWindowEvent(display, target, MapNotify, &event))
            return Awaited::Came;
        if (QuitSignals::Raised())
            return Awaited::Quit;
        const int64_t left = end - MonotonicNs();
        if (left <= 0)
            return Awaited::TimedOut;
        pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {QuitSignals::WakeDescriptor(), POLLIN, 0}};
        poll(watched, 2, static_cast<int>((left + 999999) / 1000000));
        XPending(display);  // reads what came
    }
}

void X11Saver::GrabInput()
{
    // Keys go to the saver wherever the focus was; another client's grab may need a moment to end.
    bool keyboard = false;
    for (int attempt = 0; attempt < 50 && !keyboard; ++attempt) {
        keyboard = XGrabKeyboard(display, target, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        if (!keyboard)
            usleep(20000);
    }
    if (!keyboard)
        XSetInputFocus(display, target, RevertToParent, CurrentTime);
    XGrabPointer(display, target, True, ButtonPressMask | PointerMotionMask, GrabModeAsync, GrabModeAsync, None,
                 blankCursor, CurrentTime);
    // X reports no motion for a pointer at rest under a new window; where it rests now is the
    // first position seen, so the first real move, by a single pixel, ends the saver.
    Window rootReturn, child;
    int rootX, rootY, x, y;
    unsigned int buttons;
    if (XQueryPointer(display, target, &rootReturn, &child, &rootX, &rootY, &x, &y, &buttons))
        MouseMoveCloses(mouseStartX, mouseStartY, MousePosition{x, y});
}

int X11Saver::PrepareRoot()
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, root, &attributes))
        return Report(kSaverName, kDisplayFailed, "cannot read the root window's attributes");
    const int status = CheckTarget(attributes.visual, attributes.depth, attributes.width, attributes.height);
    if (status != kContinue)
        return status;
    std::string error;
    if (!DesktopPicture::Capture(display, root, visual, depth, 0, 0, attributes.width, attributes.height, picture, error))
        return Report(kSaverName, kDisplayFailed, error);
    target = root;
    XSelectInput(display, root, StructureNotifyMask | ExposureMask);
    return kContinue;
}

int X11Saver::PrepareWindow()
{
    const std::string named = (options.windowFromEnvironment ? std::string(kWindowVariable) + " names window "
                                                             : std::string("window ")) + HexForMessage(options.windowId);
    XWindowAttributes attributes;
    {
        ErrorTrap trap(display);
        const Status read = XGetWindowAttributes(display, options.windowId, &attributes);
        if (trap.Failed() || !read)
            return Report(kSaverName, kCannotDraw, named + ", which does not exist");
    }
    if (attributes.c_class == InputOnly)
        return Report(kSaverName, kCannotDraw, named + ", an input-only window that cannot be drawn on");
    const int status = CheckTarget(attributes.visual, attributes.depth, attributes.width, attributes.height);
    if (status != kContinue)
        return status;
    target = options.windowId;
    {
        ErrorTrap trap(display);
        XSelectInput(display, target, StructureNotifyMask | ExposureMask);
        if (trap.Failed())
            return Report(kSaverName, kCannotDraw, named + ", which went away");
    }
    std::string error;
    switch (DesktopPicture::FromXScreenSaver(display, target, visual, depth, attributes.width, attributes.height,
                                             picture, error)) {
    case DesktopPicture::Outcome::Taken:
        break;
    case DesktopPicture::Outcome::Quit:
        return kEnded;
    case DesktopPicture::Outcome::Failed: {
        // Without the helper the water lies over whatever the window shows. A helper that
        // failed halfway may have left the window unmapped (it unmaps it to photograph the
        // desktop beneath); it is shown again as it was.
        Report(kSaverName, 0, error + "; drawing over the window's own contents");
        XWindowAttributes now;
        {
            ErrorTrap trap(display);
            if (XGetWindowAttributes(display, target, &now) && !trap.Failed() && attributes.map_state != IsUnmapped &&
                now.map_state == IsUnmapped) {
                XMapWindow(display, target);
                XSync(display, False);
            }
        }
        std::string captureError;
        if (!DesktopPicture::Capture(display, target, visual, depth, 0, 0, attributes.width, attributes.height, picture,
                                     captureError)) {
            picture.width = attributes.width;
            picture.height = attributes.height;
            picture.pixels.assign(static_cast<size_t>(attributes.width) * static_cast<size_t>(attributes.height), 0);
        }
        break;
    }
    }
    if (!TargetStillExists())
        return kEnded;
    return kContinue;
}

bool X11Saver::StartOn(PixelPicture start)
{
    const int32_t width = start.width, height = start.height;
    if (!image)
        image = std::make_unique<FrameImage>(display, visual, depth);
    std::string error;
    if (!image->Create(width, height, error)) {
        Report(kSaverName, 0, error);
        return false;
    }
    // Frames drawn straight into the image spare a copy of the whole screen per frame.
    if (!animation.Start(std::move(start), image->DrawableRows())) {
        Report(kSaverName, 0,
               "not enough memory for the water at " + std::to_string(width) + " x " + std::to_string(height));
        return false;
    }
    if (!gc)
        gc = XCreateGC(display, target, 0, nullptr);
    // The picture at once: a window the daemon has blanked shows the desktop from the start.
    Present();
    if (options.replay)
        Replay();
    else
        schedule.emplace(TickSchedule::SaverTimers(), MonotonicNs());
    return true;
}

void X11Saver::Present()
{
    if (const uint32_t* frame = animation.Frame())
        image->Show(target, gc, frame);
    else
        image->ShowDrawn(target, gc);
}

void X11Saver::Replay()
{
    uint32_t frames = 0;
    for (uintptr_t timerId : options.ticks) {
        if (animation.Tick(timerId)) {
            Present();
            ++frames;
        }
    }
    XSync(display, False);
    std::printf("vellumar: replayed %zu ticks, %u frames, %dx%d, the last one is on the screen\n",
                options.ticks.size(), frames, animation.Width(), animation.Height());
    std::fflush(stdout);
}

void X11Saver::Resize(int width, int height)
{
    if (width == animation.Width() && height == animation.Height())
        return;
    if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide) {
        Report(kSaverName, 0, "the window is now " + std::to_string(width) + " x " + std::to_string(height) +
                      ", beyond what the water covers; ending");
        ending = true;
        endStatus = kDisplayFailed;
        return;
    }
    // The animation starts over at the new size, on the first picture scaled to it: from now on
    // the saver keeps that picture besides the animation's.
    if (picture.pixels.empty())
        picture = animation.Picture();
    const PixelPicture scaled =
        width == picture.width && height == picture.height ? PixelPicture{} : ScalePicture(picture, width, height);
    if (!StartOn(scaled.pixels.empty() ? picture : scaled)) {
        ending = true;  // StartOn said why
        endStatus = kDisplayFailed;
    }
}

bool X11Saver::TargetStillExists()
{
    ErrorTrap trap(display);
    XWindowAttributes attributes;
    const Status read = XGetWindowAttributes(display, target, &attributes);
    return !trap.Failed() && read;
}

int X11Saver::WatchStrayErrors()
{
    std::string what;
    const int code = ErrorTrap::TakeStrayError(&what);
    if (code == 0)
        return kContinue;
    // The window can go away under a running mode (the settings program closing its preview).
    if (!ownWindow && !TargetStillExists())
        return kEnded;
    return Report(kSaverName, kDisplayFailed, "X error: " + what);
}

void X11Saver::HandleEvent(const XEvent& event)
{
    switch (event.type) {
    case ConfigureNotify:
        if (event.xconfigure.window == target && !ownWindow) {
            // Only the last of a run of size changes counts.
            XConfigureEvent last = event.xconfigure;
            XEvent later;
            while (XCheckTypedWindowEvent(display, target, ConfigureNotify, &later))
                last = later.xconfigure;
            Resize(last.width, last.height);
        }
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == target)
            ending = true;
        break;
    case Expose: {
        const XExposeEvent& area = event.xexpose;
        if (area.window != target)
            break;
        if (!exposed) {
            exposedLeft = area.x;
            exposedTop = area.y;
            exposedRight = area.x + area.width;
            exposedBottom = area.y + area.height;
            exposed = true;
        } else {
            exposedLeft = std::min(exposedLeft, area.x);
            exposedTop = std::min(exposedTop, area.y);
            exposedRight = std::max(exposedRight, area.x + area.width);
            exposedBottom = std::max(exposedBottom, area.y + area.height);
        }
        if (area.count == 0) {
            image->ShowAgain(target, gc, exposedLeft, exposedTop, exposedRight - exposedLeft,
                             exposedBottom - exposedTop);
            exposed = false;
        }
        break;
    }
    case KeyPress:
        if (ownWindow)
            ending = true;
        break;
    case ButtonPress:
        // The left, middle and right buttons; not the wheel or further buttons.
        if (ownWindow && event.xbutton.button >= Button1 && event.xbutton.button <= Button3)
            ending = true;
        break;
    case MotionNotify:
        if (ownWindow && MouseMoveCloses(mouseStartX, mouseStartY, MousePosition{event.xmotion.x, event.xmotion.y}))
            ending = true;
        break;
    case EnterNotify:
        if (ownWindow &&
            MouseMoveCloses(mouseStartX, mouseStartY, MousePosition{event.xcrossing.x, event.xcrossing.y}))
            ending = true;
        break;
    default:
        break;
    }
}

int X11Saver::Loop()
{
    const int connection = ConnectionNumber(display);
    for (;;) {
        while (!ending && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            HandleEvent(event);
        }
        if (ending)
            return endStatus;
        if (QuitSignals::Raised())
            return kEnded;
        const int status = WatchStrayErrors();
        if (status != kContinue)
            return status;

        int64_t now = MonotonicNs();
        if (schedule) {
            bool frame = false;
            while (const std::optional<uintptr_t> timerId = schedule->NextDue(now))
                frame = animation.Tick(*timerId) || frame;
            if (frame)
                Present();
        }
        // Presenting waits for the server, which may have brought events along.
        if (XEventsQueued(display, QueuedAlready) > 0)
            continue;
        XFlush(display);

        timespec wait{};
        timespec* timeout = nullptr;
        if (schedule) {
            now = MonotonicNs();
            const int64_t ahead = std::max<int64_t>(schedule->NextDeadline() - now, 0);
            wait.tv_sec = static_cast<time_t>(ahead / 1000000000);
            wait.tv_nsec = static_cast<long>(ahead % 1000000000);
            timeout = &wait;
        }
        pollfd watched[2] = {{connection, POLLIN, 0}, {QuitSignals::WakeDescriptor(), POLLIN, 0}};
        if (ppoll(watched, 2, timeout, nullptr) < 0 && errno != EINTR)
            return Report(kSaverName, kDisplayFailed, "cannot wait for the X display");
        if (watched[0].revents & (POLLERR | POLLHUP))
            return Report(kSaverName, kDisplayFailed, "lost the connection to the X display");
    }
}
