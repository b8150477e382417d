#include "host/ConfigDialog.h"

#include "framework/CWinApp.h"
#include "host/AboutDialog.h"
#include "host/ConfigDialogRules.h"
#include "host/SaverApp.h"
#include "host/WebPage.h"
#include "host/WebPageAddress.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(ConfigDialog, CDialog)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
    ON_COMMAND_CODE(IDC_HOME_PAGE, BN_CLICKED, OnHomePage)
    ON_COMMAND_CODE(IDC_QUIT, BN_CLICKED, OnQuit)
END_MESSAGE_MAP()

ConfigDialog::ConfigDialog(CWnd* parent)
    : CDialog(IDD_CONFIG, parent),
      icon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELLUMAR)))
{
}

ConfigDialog::~ConfigDialog() = default;

void ConfigDialog::DoDataExchange(CDataExchange* exchange)
{
    DDX_Text(exchange, IDC_VERSION_TEXT, versionText);
}

bool ConfigDialog::OnInitDialog()
{
    CDialog::OnInitDialog();

    const HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    char aboutText[256];
    const int aboutLength =
        LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, aboutText, sizeof aboutText);
    if (systemMenu && aboutLength > 0) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, kAboutCommand, aboutText);
    }

    const auto* app = dynamic_cast<const SaverApp*>(AfxGetApp());
    const std::string caption = (app ? app->title : std::string()) + " ScreenSaver";
    SetWindowTextA(m_hWnd, caption.c_str());

    CenterWindow();
    return true;  // the focus goes to the first tab stop, the home-page button
}

std::intptr_t ConfigDialog::OnSysCommand(std::uintptr_t command, std::intptr_t)
{
    if (IsAboutCommand(command)) {
        AboutDialog about;
        about.DoModal();
        return 0;
    }
    return Default();
}

std::intptr_t ConfigDialog::OnPaint(std::uintptr_t, std::intptr_t)
{
    if (!IsIconic(m_hWnd))
        return Default();
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    PaintMinimisedIcon(dc, client);
    EndPaint(m_hWnd, &paint);
    return 0;
}

void ConfigDialog::PaintMinimisedIcon(HDC dc, const RECT& client) const
{
    const IconOrigin origin =
        MinimisedIconOrigin(client.right - client.left, client.bottom - client.top,
                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, origin.x, origin.y, icon);
}

std::intptr_t ConfigDialog::OnQueryDragIcon(std::uintptr_t, std::intptr_t)
{
    return reinterpret_cast<std::intptr_t>(icon);
}

std::intptr_t ConfigDialog::OnHomePage(std::uintptr_t, std::intptr_t)
{
    const std::string address = VELLUMAR_HOME_PAGE_ADDRESS;
    // The Windows 95 family closes the dialog once the page is on its way; NT keeps it open.
    if (is_win9x_platform())
        OnOK();
    open_web_page(address);
    return 0;
}

std::intptr_t ConfigDialog::OnQuit(std::uintptr_t, std::intptr_t)
{
    OnOK();
    return 0;
}
