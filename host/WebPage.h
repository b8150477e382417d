#pragma once
#include <string>

// Opening a web page with the command the system registers for opening HTML files
// (HKEY_CLASSES_ROOT\htmlfile\shell\open\command). Neither function uses any application
// state, so they are free functions rather than members of the application object.

// Starts the registered command with the address glued to its end (see WebPageCommand.h) and
// does not wait for it. Starts nothing when the key or its first value cannot be read, or
// when the whole command does not fit its 256-byte buffer. Reports nothing.
void open_web_page(std::string address);

// True on the Windows 95 family (platform id VER_PLATFORM_WIN32_WINDOWS); false when the
// version cannot be read.
bool is_win9x_platform();
