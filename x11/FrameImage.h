#pragma once
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <string>

#include "x11/ImagePixelFormat.h"

// The image a frame travels in to the X server: in shared memory (MIT-SHM) when the server
// can attach it, which spares the copy through the socket, otherwise a plain image sent
// with XPutImage (a remote display). One image lives as long as the drawing size does.
class FrameImage {
public:
    FrameImage(Display* display, Visual* visual, int depth);
    ~FrameImage();
    FrameImage(const FrameImage&) = delete;
    FrameImage& operator=(const FrameImage&) = delete;

    // The pixel layout of images for a TrueColor `visual` of `depth` on this display. False,
    // with `error` saying why in one line, for visuals the saver cannot draw on.
    static bool FormatFor(Display* display, Visual* visual, int depth, ImagePixelFormat& format, std::string& error);

    // Makes the image at the given size, in place of any earlier one. False when no image of
    // that size can be had.
    bool Create(int32_t width, int32_t height, std::string& error);

    // Writes a frame (bottom-up 0x00RRGGBB, the image's size) into the image, sends it to
    // `drawable` at its top-left corner and waits until the server has it, so that the image
    // may be written again.
    void Show(Drawable drawable, GC gc, const uint32_t* frame);

    // The image's rows, top-down, for frames drawn straight into it: null unless its pixels
    // are 0x00RRGGBB values as they are and its rows follow each other without padding.
    uint32_t* DrawableRows();
    // Sends the image as it was drawn to `drawable` and waits until the server has it.
    void ShowDrawn(Drawable drawable, GC gc);

    // Sends the given part of the last frame again (an exposed area).
    void ShowAgain(Drawable drawable, GC gc, int x, int y, int width, int height);

    bool UsesSharedMemory() const { return shared; }

private:
    void Release();
    bool CreateShared(int32_t width, int32_t height);
    void Send(Drawable drawable, GC gc, int x, int y, int width, int height);

    Display* display;
    Visual* visual;
    int depth;
    ImagePixelFormat format;
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    bool shared = false;
};
