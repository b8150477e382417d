#pragma once
#include <X11/Xlib.h>

#include <vector>

#include "x11/MonitorList.h"

// The monitors the RandR extension (1.5 or later) lists for the screen of `root`, asked for in
// the protocol directly: Xlib and its extension library are the saver's only libraries, and
// the RandR client library is neither. Empty when the server has no RandR 1.5.
std::vector<MonitorArea> QueryRandrMonitors(Display* display, Window root);
