#include "host/RunConfigureDialog.h"

#include "framework/CWinApp.h"
#include "host/ConfigDialog.h"

void RunConfigureDialog()
{
    ConfigDialog dialog(nullptr);
    CWinApp* app = AfxGetApp();
    if (app)
        app->m_pMainWnd = &dialog;
    dialog.DoModal();
    // The main-window rule cleared the pointer when the window went; a dialog that was never
    // created must not stay behind as the main window either.
    if (app && app->m_pMainWnd == &dialog)
        app->m_pMainWnd = nullptr;
}
