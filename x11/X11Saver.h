#pragma once
#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>

#include "imaging/PixelPicture.h"
#include "x11/FrameImage.h"
#include "x11/SaverOptions.h"
#include "animation/TickSchedule.h"
#include "animation/WaterAnimation.h"

// The saver on one X display: finds or makes the window it draws on, takes the picture, and
// runs the animation on the clock (or replays a tick list) until it is asked to end.
class X11Saver {
public:
    X11Saver(Display* display, const SaverOptions& options);
    ~X11Saver();
    X11Saver(const X11Saver&) = delete;
    X11Saver& operator=(const X11Saver&) = delete;

    // The exit status: 0 when the saver ended as it should, 2 for a window or visual it
    // cannot draw on, 1 when the display failed. Messages go to stderr, one line each.
    int Run();

private:
    enum class Awaited { Came, TimedOut, Quit };

    int PrepareStandalone();
    Awaited AwaitMapped();
    int PrepareRoot();
    int PrepareWindow();
    int CheckTarget(Visual* targetVisual, int targetDepth, int width, int height);
    void GrabInput();
    // Starts the animation on `start`, shows it and begins its ticks (or replays them).
    bool StartOn(PixelPicture start);
    void Present();
    void GiveBackRoot();
    void Replay();
    int Loop();
    void HandleEvent(const XEvent& event);
    void Resize(int width, int height);
    bool TargetStillExists();
    int WatchStrayErrors();

    Display* display;
    SaverOptions options;
    Window root;
    Window target = 0;
    bool ownWindow = false;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    Cursor blankCursor = 0;
    std::unique_ptr<FrameImage> image;
    // As taken at the start, until the animation takes it over (its Picture(), put back on the
    // root at the end); kept again once a window changes size, to scale every new size from it.
    PixelPicture picture;
    WaterAnimation animation;
    std::optional<TickSchedule> schedule;
    int32_t mouseStartX = -1;
    int32_t mouseStartY = -1;
    bool ending = false;
    int endStatus = 0;  // the exit status once `ending` is set
    int exposedLeft = 0, exposedTop = 0, exposedRight = 0, exposedBottom = 0;
    bool exposed = false;
};
