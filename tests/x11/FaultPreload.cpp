// Faults the X server does not make on demand, for the saver's tests: loaded with LD_PRELOAD,
// it stands in for a few Xlib calls as VELLUMAR_FAULT says.
//   unmapped-window   XMapRaised does nothing: the saver's own window never appears, as when
//                     the server could not make it
//   stray-error       XShmDetach (dropping the image for a new size) also sends a request
//                     that fails, so an X error arrives outside any trap just before the next
//                     image is made
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace {

bool FaultIs(const char* name)
{
    const char* fault = std::getenv("VELLUMAR_FAULT");
    return fault && std::strcmp(fault, name) == 0;
}

template <typename Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int XMapRaised(Display* display, Window window)
{
    if (FaultIs("unmapped-window"))
        return 1;
    return Real<int (*)(Display*, Window)>("XMapRaised")(display, window);
}

extern "C" Bool XShmDetach(Display* display, XShmSegmentInfo* segment)
{
    if (FaultIs("stray-error"))
        XMapWindow(display, 0x1fffffff);  // an id no client has: BadWindow
    return Real<Bool (*)(Display*, XShmSegmentInfo*)>("XShmDetach")(display, segment);
}
