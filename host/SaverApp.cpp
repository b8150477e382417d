#include "host/SaverApp.h"

#include <windows.h>

#include "host/CommandLine.h"
#include "host/RunConfigureDialog.h"
#include "host/SaverWindow.h"
#include "water/DrawWindow.h"

namespace {

bool IsLeadByteInAnsiCodePage(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace

SaverApp::SaverApp() = default;

SaverApp::~SaverApp() = default;

bool SaverApp::IsPreviewMode()
{
    const auto* app = dynamic_cast<const SaverApp*>(AfxGetApp());
    return app && app->mode == "p";
}

bool SaverApp::InitInstance()
{
    title = "3D Vellumar";
    const std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA(), IsLeadByteInAnsiCodePage);
    switch (ChooseSaverMode(arguments, IsLeadByteInAnsiCodePage)) {
    case SaverMode::Configure:
        RunConfigureDialog();
        return false;
    case SaverMode::Preview:
        return StartPreview(arguments);
    case SaverMode::FullScreen:
        return StartFullScreen();
    }
    return false;
}

bool SaverApp::StartPreview(const std::vector<std::string>& arguments)
{
    mode = "p";
    // A 32-bit handle from the command line becomes a full handle by sign extension.
    const HWND host = reinterpret_cast<HWND>(HandleValueToPointerWidth(PreviewHostValue(arguments)));
    // Without a live host there is nothing to draw in: a child of a handle that is no window
    // could be created (wine allows it) and would never be told to end. The desktop window is
    // no preview box either: a child of it would cover the screen and outlive every session.
    if (!host || !IsWindow(host) || host == GetDesktopWindow())
        return false;

    auto* window = new DrawWindow(true);
    RECT client{};
    GetClientRect(host, &client);
    if (!window->PrepareAndCreate(0, WS_CHILD | WS_VISIBLE, client, host)) {
        delete window;  // no window was made, so it will never delete itself
        return false;
    }
    m_pMainWnd = window;
    return true;
}

bool SaverApp::StartFullScreen()
{
    auto* window = new SaverWindow;
    if (!window->CreateFullScreen()) {
        delete window;
        return false;
    }
    m_pMainWnd = window;
    return true;
}
