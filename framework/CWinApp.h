#pragma once
#include <windows.h>

#include "framework/CObject.h"

class CWnd;

// The application: exactly one object of a class derived from CWinApp exists, constructed
// statically before WinMain. WinMain (in CWinApp.cpp) calls InitInstance once; false ends the
// program with ExitInstance's value, true runs the message loop until WM_QUIT and ends with
// ExitInstance's value, the quit code.
class CWinApp : public CObject {
public:
    CWinApp();
    ~CWinApp() override;

    virtual bool InitInstance();
    // The exit status: the code of the quit message that ended the loop, 0 without a loop.
    virtual int ExitInstance();

    // The message loop; returns ExitInstance's value.
    int Run();

    // The main window. When that window is destroyed the framework posts a quit message with
    // code 0 and clears this pointer, before the window's PostNcDestroy.
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;

protected:
    int quitCode = 0;
};

// The one application object, or null before it is constructed and after it is destroyed.
CWinApp* AfxGetApp();

// What WinMain does, for the application object that exists.
int AfxWinMain(HINSTANCE instance);
