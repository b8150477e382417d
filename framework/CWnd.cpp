#include "framework/CWnd.h"

#include "framework/CWinApp.h"

BEGIN_MESSAGE_MAP(CWnd, MessageTarget)
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd) {
        // The object is going: its window must not call back into it.
        const HWND window = m_hWnd;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == this)
            app->m_pMainWnd = nullptr;
        ::DestroyWindow(window);
    }
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (!window || !IsWindow(window))
        return nullptr;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId())
        return nullptr;  // another program's user data is no object of ours
    return reinterpret_cast<CWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool CWnd::Create(DWORD extendedStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, HWND parent, UINT_PTR childId)
{
    if (m_hWnd)
        return false;
    creating = true;
    const HWND window = CreateWindowExA(extendedStyle, className, windowName, style, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, parent,
                                        reinterpret_cast<HMENU>(childId), GetModuleHandleA(nullptr), this);
    creating = false;
    if (!window) {
        m_hWnd = nullptr;
        return false;
    }
    return true;
}

bool CWnd::DestroyWindow()
{
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_hWnd && ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProcedure(current.message, current.wParam, current.lParam);
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::DefWindowProcedure(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_hWnd ? DefWindowProcA(m_hWnd, message, wParam, lParam) : 0;
}

void CWnd::AttachWindow(HWND window)
{
    m_hWnd = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CWnd::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* wnd = reinterpret_cast<CWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!wnd && message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        wnd = create ? static_cast<CWnd*>(create->lpCreateParams) : nullptr;
        if (wnd)
            wnd->AttachWindow(window);
    }
    if (!wnd)
        return DefWindowProcA(window, message, wParam, lParam);
    return wnd->HandleMessage(message, wParam, lParam);
}

LRESULT CWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CurrentMessage outer = current;  // handlers may send messages to their own window
    current = {message, wParam, lParam};
    ++messageDepth;
    std::intptr_t result = 0;
    try {
        if (!DispatchToMap(*this, message, wParam, lParam, result))
            result = Default();
    } catch (...) {
        // An exception must not unwind through the platform's code. A window whose creation
        // handling threw is not created.
        result = (message == WM_CREATE) ? -1 : (message == WM_NCCREATE) ? FALSE : 0;
    }
    current = outer;
    if (message == WM_NCDESTROY)
        AfterLastMessage();
    if (--messageDepth == 0 && lastMessageSeen) {
        // The object's last hook, which may delete it: nothing of it is touched afterwards.
        lastMessageSeen = false;
        try {
            PostNcDestroy();
        } catch (...) {
        }
    }
    return result;
}

void CWnd::AfterLastMessage()
{
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
    // Main-window rule: the program ends when its main window goes, before the object's
    // last hook can delete it.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        PostQuitMessage(0);
        app->m_pMainWnd = nullptr;
    }
    // A failed creation leaves the object to the caller, which Create tells.
    lastMessageSeen = !creating;
}
