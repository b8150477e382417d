#include "framework/CWinApp.h"

#include "framework/CWnd.h"

namespace {
CWinApp* theApplication = nullptr;
}

CWinApp::CWinApp()
{
    theApplication = this;
}

CWinApp::~CWinApp()
{
    if (theApplication == this)
        theApplication = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

int CWinApp::ExitInstance()
{
    return quitCode;
}

int CWinApp::Run()
{
    MSG message;
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            quitCode = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            quitCode = 1;  // the queue is unusable; nothing more can arrive
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp()
{
    return theApplication;
}

int AfxWinMain(HINSTANCE instance)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = instance;
    try {
        if (!app->InitInstance())
            return app->ExitInstance();
        return app->Run();
    } catch (...) {
        return 1;
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return AfxWinMain(instance);
}
