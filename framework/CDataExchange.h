#pragma once
#include <windows.h>

#include <string>

class CDialog;

// One run of a dialog's data exchange: into the controls (saveAndValidate false) or out of
// them into the dialog's members (true).
struct CDataExchange {
    CDialog* dialog;
    bool saveAndValidate;
};

// Binds a control's text to a string member. Into the control, the text is set only when it
// differs from what the control shows; out of it, the control's whole text is read. A control
// the dialog does not have is left out.
void DDX_Text(CDataExchange* exchange, int controlId, std::string& value);
