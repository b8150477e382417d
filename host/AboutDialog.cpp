#include "host/AboutDialog.h"

#include "resources/resource.h"

AboutDialog::AboutDialog() : CDialog(IDD_ABOUTBOX) {}

AboutDialog::~AboutDialog() = default;

bool AboutDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();
    return true;  // the focus goes to "OK"
}
