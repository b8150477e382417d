#include "framework/CDataExchange.h"

#include "framework/CDialog.h"

namespace {

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

} // namespace

void DDX_Text(CDataExchange* exchange, int controlId, std::string& value)
{
    const HWND control = GetDlgItem(exchange->dialog->GetSafeHwnd(), controlId);
    if (!control)
        return;
    if (exchange->saveAndValidate) {
        value = WindowText(control);
    } else if (WindowText(control) != value) {
        // Setting only on a change spares the control a repaint that would flicker.
        SetWindowTextA(control, value.c_str());
    }
}
