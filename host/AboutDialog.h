#pragma once
#include "framework/CDialog.h"

// The about box (template 100), shown from the configure dialog's system menu. With no parent
// given, its owner is the application's main window: the configure dialog.
class AboutDialog : public CDialog {
public:
    AboutDialog();
    ~AboutDialog() override;

protected:
    bool OnInitDialog() override;
};
