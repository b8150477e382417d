#include "framework/CDialog.h"

#include "framework/CWinApp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND_CODE(IDOK, BN_CLICKED, HandleOk)
    ON_COMMAND_CODE(IDCANCEL, BN_CLICKED, HandleCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId(templateId), parent(parent) {}

CDialog::~CDialog() = default;

HWND CDialog::DefaultOwner() const
{
    HWND owner = parent ? parent->GetSafeHwnd() : nullptr;
    if (!parent) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd != this)
            owner = app->m_pMainWnd->GetSafeHwnd();
    }
    // A dialog is owned by a top-level window, never by a child.
    return owner ? GetAncestor(owner, GA_ROOT) : nullptr;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), DefaultOwner(),
                           DialogProcedure, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange exchange{this, saveAndValidate};
    try {
        DoDataExchange(&exchange);
    } catch (...) {
        return false;
    }
    return true;
}

void CDialog::CenterWindow()
{
    if (!m_hWnd)
        return;
    RECT dialogRect;
    GetWindowRect(m_hWnd, &dialogRect);

    const HWND owner = GetWindow(m_hWnd, GW_OWNER);
    const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);

    HWND displayWindow = overOwner ? owner : nullptr;
    if (!displayWindow) {
        CWinApp* app = AfxGetApp();
        displayWindow = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(displayWindow, MONITOR_DEFAULTTOPRIMARY), &monitor))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    const RECT workArea = monitor.rcWork;

    RECT centre = workArea;
    if (overOwner)
        GetWindowRect(owner, &centre);

    const LONG width = dialogRect.right - dialogRect.left;
    const LONG height = dialogRect.bottom - dialogRect.top;
    LONG x = (centre.left + centre.right) / 2 - width / 2;
    LONG y = (centre.top + centre.bottom) / 2 - height / 2;
    // Back inside the work area; the top-left corner wins when the dialog is larger.
    if (x + width > workArea.right)
        x = workArea.right - width;
    if (x < workArea.left)
        x = workArea.left;
    if (y + height > workArea.bottom)
        y = workArea.bottom - height;
    if (y < workArea.top)
        y = workArea.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;  // the dialog stays open, as it would with a value that does not validate
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

std::intptr_t CDialog::HandleInitDialog(std::uintptr_t, std::intptr_t)
{
    return OnInitDialog() ? TRUE : FALSE;
}

std::intptr_t CDialog::HandleOk(std::uintptr_t, std::intptr_t)
{
    OnOK();
    return 0;
}

std::intptr_t CDialog::HandleCancel(std::uintptr_t, std::intptr_t)
{
    OnCancel();
    return 0;
}

LRESULT CDialog::DefWindowProcedure(UINT, WPARAM, LPARAM)
{
    passedBack = true;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandle(window);
    auto* dialog = static_cast<CDialog*>(wnd);
    if (!dialog) {
        // Nothing before WM_INITDIALOG needs the object (only WM_SETFONT comes earlier); the
        // initialisation message carries it.
        if (message != WM_INITDIALOG || lParam == 0)
            return FALSE;
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->AttachWindow(window);
    }
    return dialog->DialogMessage(window, message, wParam, lParam);
}

INT_PTR CDialog::DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool outerPassedBack = passedBack;
    passedBack = false;
    const LRESULT result = HandleMessage(message, wParam, lParam);
    // Once the object has let go of the window (WM_NCDESTROY, here or in a message this one
    // sent) it may be gone: nothing of it is touched, and the window needs no answer.
    if (CWnd::FromHandle(window) != this)
        return FALSE;
    const bool passed = passedBack;
    passedBack = outerPassedBack;
    if (passed)
        return FALSE;

    switch (message) {
    // These messages take the procedure's return value as their result.
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
