#include "installer/InstallerApp.h"

namespace {

// The saver file carries no directory: the control panel resolves it from the current
// directory, which the launcher leaves as it found it.
constexpr char kInstallCommand[] = "rundll32.exe desk.cpl,InstallScreenSaver vellumar.scr";

InstallerApp theInstaller;

} // namespace

InstallerApp::InstallerApp() = default;

InstallerApp::~InstallerApp() = default;

bool InstallerApp::InitInstance()
{
    // The result is not looked at: whatever the control panel shows is the platform's, and
    // the launcher reports nothing.
    WinExec(kInstallCommand, SW_HIDE);
    return false;
}
