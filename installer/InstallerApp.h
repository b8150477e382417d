#pragma once
#include "framework/CWinApp.h"

// The installer: asks the display control panel to install the saver file as the user's
// screen saver, and ends at once. No window, no arguments read, nothing waited for.
class InstallerApp : public CWinApp {
public:
    InstallerApp();
    ~InstallerApp() override;

    // Starts the control panel's install entry hidden and returns false, so the program ends
    // with status 0 without a message loop.
    bool InitInstance() override;
};
