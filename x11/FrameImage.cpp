#include "x11/FrameImage.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "x11/ErrorTrap.h"

FrameImage::FrameImage(Display* display, Visual* visual, int depth) : display(display), visual(visual), depth(depth)
{
}

FrameImage::~FrameImage()
{
    Release();
}

bool FrameImage::FormatFor(Display* display, Visual* visual, int depth, ImagePixelFormat& format, std::string& error)
{
    if (visual->c_class != TrueColor) {
        static const char* const kClassNames[] = {"StaticGray", "GrayScale", "StaticColor",
                                                  "PseudoColor", "TrueColor", "DirectColor"};
        const int visualClass = visual->c_class;
        error = std::string("the window's visual is ") +
                (visualClass >= 0 && visualClass <= 5 ? kClassNames[visualClass] : "of an unknown class") +
                " with depth " + std::to_string(depth) + "; only 24- and 32-bit TrueColor visuals are supported";
        return false;
    }
    int bitsPerPixel = 0;
    int count = 0;
    if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
        for (int k = 0; k < count; ++k)
            if (formats[k].depth == depth)
                bitsPerPixel = formats[k].bits_per_pixel;
        XFree(formats);
    }
    return ImagePixelFormat::Describe(depth, bitsPerPixel, static_cast<uint32_t>(visual->red_mask),
                                      static_cast<uint32_t>(visual->green_mask),
                                      static_cast<uint32_t>(visual->blue_mask),
                                      ImageByteOrder(display) == MSBFirst, format, error);
}

void FrameImage::Release()
{
    if (!image)
        return;
    if (shared) {
        XShmDetach(display, &segment);
        XSync(display, False);
        shmdt(segment.shmaddr);
    } else {
        std::free(image->data);
    }
    image->data = nullptr;
    XDestroyImage(image);
    image = nullptr;
    shared = false;
    segment = XShmSegmentInfo{};
}

bool FrameImage::CreateShared(int32_t width, int32_t height)
{
    image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment,
                            static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image)
        return false;
    const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment.shmid < 0) {
        XDestroyImage(image);
        image = nullptr;
        return false;
    }
    segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    // Marked for removal as soon as it is attached here, before anything waits on the server:
    // the segment then goes away with the last process attached to it, however this one
    // ends. Linux still lets the server attach a segment so marked while we hold it.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (segment.shmaddr == reinterpret_cast<char*>(-1)) {
        XDestroyImage(image);
        image = nullptr;
        return false;
    }
    image->data = segment.shmaddr;
    segment.readOnly = False;
    ErrorTrap trap(display);
    const bool attached = XShmAttach(display, &segment) && !trap.Failed();
    if (!attached) {
        // A server on another machine, or one that refuses this client's memory.
        shmdt(segment.shmaddr);
        image->data = nullptr;
        XDestroyImage(image);
        image = nullptr;
        segment = XShmSegmentInfo{};
        return false;
    }
    shared = true;
    return true;
}

bool FrameImage::Create(int32_t width, int32_t height, std::string& error)
{
    Release();
    if (!FormatFor(display, visual, depth, format, error))
        return false;
    if (XShmQueryExtension(display) && CreateShared(width, height))
        return true;
    image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (image) {
        image->data = static_cast<char*>(
            std::calloc(static_cast<size_t>(image->bytes_per_line), static_cast<size_t>(height)));
        if (image->data)
            return true;
        XDestroyImage(image);
        image = nullptr;
    }
    error = "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) + " image";
    return false;
}

void FrameImage::Send(Drawable drawable, GC gc, int x, int y, int width, int height)
{
    if (shared)
        XShmPutImage(display, drawable, gc, image, x, y, x, y, static_cast<unsigned>(width),
                     static_cast<unsigned>(height), False);
    else
        XPutImage(display, drawable, gc, image, x, y, x, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    XSync(display, False);
}

void FrameImage::Show(Drawable drawable, GC gc, const uint32_t* frame)
{
    if (!image)
        return;
    format.WriteFlipped(frame, image->width, image->height, reinterpret_cast<uint8_t*>(image->data),
                        static_cast<size_t>(image->bytes_per_line));
    Send(drawable, gc, 0, 0, image->width, image->height);
}

uint32_t* FrameImage::DrawableRows()
{
    if (!image || !format.IsRgbAsIs() || image->bytes_per_line != image->width * 4 ||
        reinterpret_cast<uintptr_t>(image->data) % alignof(uint32_t) != 0)
        return nullptr;
    return reinterpret_cast<uint32_t*>(image->data);
}

void FrameImage::ShowDrawn(Drawable drawable, GC gc)
{
    if (image)
        Send(drawable, gc, 0, 0, image->width, image->height);
}

void FrameImage::ShowAgain(Drawable drawable, GC gc, int x, int y, int width, int height)
{
    if (!image)
        return;
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + width, image->width), bottom = std::min(y + height, image->height);
    if (right > left && bottom > top)
        Send(drawable, gc, left, top, right - left, bottom - top);
}
