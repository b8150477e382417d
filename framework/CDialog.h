#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/CDataExchange.h"
#include "framework/CWnd.h"

// A modal dialog built from a dialog template resource of the program. DoModal runs it in the
// platform's modal loop, which disables the owner meanwhile; its messages go through the
// same message maps as any window's. The dialog's map binds IDOK and IDCANCEL to OnOK and
// OnCancel, and WM_INITDIALOG to OnInitDialog.
//
// In a dialog, Default() does not run the default processing at once: it marks the message
// as not handled, and the dialog manager processes it after the handler has returned. A
// handler that wants default processing therefore calls Default() last and returns its value.
class CDialog : public CWnd {
public:
    // `parent` null: the owner is the application's main window, if that is another window.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog from its template, runs it until EndDialog, destroys it and returns
    // the end code; -1 when the dialog could not be created.
    INT_PTR DoModal();

    // Marks the dialog to end with `result` once the current message has been handled.
    void EndDialog(int result);

    // Runs the data exchange: out of the controls when `saveAndValidate`, else into them.
    // False when it could not complete.
    bool UpdateData(bool saveAndValidate);

    // Centres the dialog over its owner, or, with no usable owner (none, hidden or minimised),
    // over the work area of the display that holds the application's main window; then moves
    // it back inside the work area if it sticks out.
    void CenterWindow();

protected:
    // The standard initialisation: data exchange into the controls. True lets the dialog
    // manager put the focus on the first tab stop.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* exchange);
    // Data exchange out of the controls, then the end with IDOK (1) when it succeeded.
    virtual void OnOK();
    // The end with IDCANCEL (2), without data exchange.
    virtual void OnCancel();

    LRESULT DefWindowProcedure(UINT message, WPARAM wParam, LPARAM lParam) override;

    DECLARE_MESSAGE_MAP()

private:
    std::intptr_t HandleInitDialog(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t HandleOk(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t HandleCancel(std::uintptr_t wParam, std::intptr_t lParam);

    INT_PTR DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND DefaultOwner() const;

    UINT templateId;
    CWnd* parent;
    // Set by DefWindowProcedure: the message being handled goes back to the dialog manager's
    // default processing. Each message keeps the flag of the one it interrupts in its own
    // frame; the object holds no pointer into any frame.
    bool passedBack = false;
};
