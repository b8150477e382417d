#pragma once
#include <windows.h>

#include "framework/CObject.h"
#include "framework/MessageMap.h"

// A window object: owns at most one window and receives its messages through a static
// message map (see MessageMap.h). The window class must use CWnd::WindowProcedure; the
// procedure finds the object through the window's user data, set at WM_NCCREATE from the
// creation parameter that Create passes.
//
// A derived window declares its map in its class body and defines it once:
//
//     class DrawWindow : public CWnd {
//         ...
//         std::intptr_t OnPaint(std::uintptr_t, std::intptr_t);
//         DECLARE_MESSAGE_MAP()
//     };
//
//     BEGIN_MESSAGE_MAP(DrawWindow, CWnd)
//         ON_MESSAGE(WM_PAINT, OnPaint)
//         ON_COMMAND_CODE(IDC_QUIT, BN_CLICKED, OnQuit)
//     END_MESSAGE_MAP()
//
// Handlers take (wParam, lParam) and return the message's result. A handler that wants
// default processing calls Default(), which passes on the message being handled.
class CWnd : public CObject, public MessageTarget {
public:
    CWnd();
    // A window that still exists is destroyed; it no longer reaches this object.
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object attached to `window`, or null.
    static CWnd* FromHandle(HWND window);

    // Creates the window with CreateWindowExA. True when it exists. When creation fails the
    // object stays alive and belongs to the caller; PostNcDestroy is not called for it.
    bool Create(DWORD extendedStyle, const char* className, const char* windowName, DWORD style,
                const RECT& rect, HWND parent, UINT_PTR childId);
    bool DestroyWindow();
    bool PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const;

    // Default processing of the message being handled, as it was received.
    LRESULT Default();

    // The window procedure of every window class whose windows are CWnd objects.
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The object's last hook: called after WM_NCDESTROY, when the object no longer has a
    // window. Windows created with new that own themselves delete themselves here.
    virtual void PostNcDestroy();

    // Where messages that no map handles go: DefWindowProcA. Dialogs pass them back instead.
    virtual LRESULT DefWindowProcedure(UINT message, WPARAM wParam, LPARAM lParam);

    // Connects the object to `window` so that FromHandle finds it; for windows whose
    // procedure is not WindowProcedure (dialogs), which forward to HandleMessage.
    void AttachWindow(HWND window);

    // Dispatches one message through the map; never lets an exception out. At WM_NCDESTROY
    // it applies the main-window rule and detaches the window; PostNcDestroy follows once
    // every handler of this object has returned (WM_NCDESTROY comes inside the handler whose
    // default processing destroys the window, and the object may delete itself).
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    void AfterLastMessage();

    CurrentMessage current{0, 0, 0};
    int messageDepth = 0;           // handlers of this object running now, nested ones included
    bool lastMessageSeen = false;   // WM_NCDESTROY has come: PostNcDestroy is due
    bool creating = false;  // inside Create: a failed creation leaves the object to the caller
};
