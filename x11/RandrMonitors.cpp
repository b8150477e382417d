#include "x11/RandrMonitors.h"

#include <X11/extensions/Xrandr.h>

#include <memory>

namespace {

struct MonitorInfoFree {
    void operator()(XRRMonitorInfo* monitors) const { XRRFreeMonitors(monitors); }
};

bool RandrVersionAtLeast15(Display* display)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    return XRRQueryExtension(display, &eventBase, &errorBase) && XRRQueryVersion(display, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 5));
}

} // namespace

std::vector<MonitorArea> QueryRandrMonitors(Display* display, Window root)
{
    std::vector<MonitorArea> monitors;
    if (!RandrVersionAtLeast15(display))
        return monitors;
    int count = 0;
    const std::unique_ptr<XRRMonitorInfo, MonitorInfoFree> listed(XRRGetMonitors(display, root, True, &count));
    for (int k = 0; listed && k < count; ++k) {
        MonitorArea area;
        area.x = listed.get()[k].x;
        area.y = listed.get()[k].y;
        area.width = listed.get()[k].width;
        area.height = listed.get()[k].height;
        area.primary = listed.get()[k].primary != 0;
        monitors.push_back(area);
    }
    return monitors;
}
