#include "x11/RandrMonitors.h"

#include <X11/Xlibint.h>
#include <X11/extensions/randrproto.h>

#include <cstdint>

namespace {

// More monitors than anyone has: a reply this long is not believed.
constexpr CARD32 kLongestReplyWords = 1 << 16;

bool RandrVersionAtLeast15(Display* display, int opcode)
{
    Display* dpy = display;  // the name Xlib's request macros expect
    LockDisplay(display);
    xRRQueryVersionReq* request;
    GetReq(RRQueryVersion, request);
    request->reqType = static_cast<CARD8>(opcode);
    request->randrReqType = X_RRQueryVersion;
    request->majorVersion = 1;
    request->minorVersion = 5;
    xRRQueryVersionReply reply;
    const bool answered = _XReply(display, reinterpret_cast<xReply*>(&reply), 0, xTrue) != 0;
    UnlockDisplay(display);
    SyncHandle();
    return answered && (reply.majorVersion > 1 || (reply.majorVersion == 1 && reply.minorVersion >= 5));
}

} // namespace

std::vector<MonitorArea> QueryRandrMonitors(Display* display, Window root)
{
    std::vector<MonitorArea> monitors;
    int opcode = 0, firstEvent = 0, firstError = 0;
    if (!XQueryExtension(display, "RANDR", &opcode, &firstEvent, &firstError) ||
        !RandrVersionAtLeast15(display, opcode))
        return monitors;

    Display* dpy = display;
    LockDisplay(display);
    xRRGetMonitorsReq* request;
    GetReq(RRGetMonitors, request);
    request->reqType = static_cast<CARD8>(opcode);
    request->randrReqType = X_RRGetMonitors;
    request->window = static_cast<CARD32>(root);
    request->get_active = xTrue;
    xRRGetMonitorsReply reply;
    std::vector<uint8_t> body;
    if (_XReply(display, reinterpret_cast<xReply*>(&reply), 0, xFalse)) {
        if (reply.length <= kLongestReplyWords) {
            body.resize(static_cast<size_t>(reply.length) * 4);
            _XRead(display, reinterpret_cast<char*>(body.data()), static_cast<long>(body.size()));
        } else {
            _XEatDataWords(display, reply.length);
        }
    }
    UnlockDisplay(display);
    SyncHandle();
    if (!body.empty())
        ParseMonitorList(body.data(), body.size(), reply.nmonitors, monitors);
    return monitors;
}
