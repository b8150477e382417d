#pragma once
#include <X11/Xlib.h>

#include <vector>

#include "x11/MonitorList.h"

// The monitors the RandR extension (1.5 or later) lists for the screen of `root`, through its
// client library. Empty when the server has no RandR 1.5.
std::vector<MonitorArea> QueryRandrMonitors(Display* display, Window root);
