// The configure dialog, the about box and the dialog framework, driven in-process.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "DialogScript.h"
#include "SectionCanvas.h"
#include "framework/CDialog.h"
#include "host/ConfigDialog.h"
#include "host/RunConfigureDialog.h"
#include "host/SaverApp.h"
#include "host/WebPageAddress.h"
#include "resources/resource.h"

namespace {

const std::string kCaption = "3D Vellumar ScreenSaver";

// The application object of a configure run, with the title InitInstance would set.
struct ConfigureApp {
    ConfigureApp() { app.title = "3D Vellumar"; }
    SaverApp app;
};

HWND ConfigWindow()
{
    return ThreadDialogWith(IDC_HOME_PAGE);
}

// The about box: the dialog with an OK button and no home-page button.
HWND AboutWindow()
{
    for (HWND dialog : ThreadDialogs()) {
        if (GetDlgItem(dialog, IDOK) && !GetDlgItem(dialog, IDC_HOME_PAGE))
            return dialog;
    }
    return nullptr;
}

POINT Centre(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT PrimaryWorkArea()
{
    RECT workArea;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    return workArea;
}

void Click(HWND dialog, int controlId)
{
    SendMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

DialogScript::Step PostSystemCommand(WPARAM command)
{
    return OnShown(ConfigWindow, [command](HWND window) { PostMessageA(window, WM_SYSCOMMAND, command, 0); });
}

std::string MenuItemText(HMENU menu, int position)
{
    char text[256] = "";
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

} // namespace

TEST(ConfigDialog, OpensWithTheCaptionBlankTopLineAboutItemFocusOnTheHomePageAndTheProgramIcon)
{
    DrainQueue();
    ConfigureApp configure;
    ConfigDialog dialog;
    std::string caption, topLine, homePageText, lastItem;
    UINT lastItemId = 0, itemBeforeState = 0;
    bool focusOnHomePage = false, homePageIsDefault = false;
    HWND owner = reinterpret_cast<HWND>(1);
    POINT centre{};
    LRESULT dragIcon = 0;
    DialogScript script({OnShown(ConfigWindow, [&](HWND window) {
        caption = WindowText(window);
        dragIcon = SendMessageA(window, WM_QUERYDRAGICON, 0, 0);
        topLine = WindowText(GetDlgItem(window, IDC_VERSION_TEXT));
        homePageText = WindowText(GetDlgItem(window, IDC_HOME_PAGE));
        homePageIsDefault = LOWORD(SendMessageA(window, DM_GETDEFID, 0, 0)) == IDC_HOME_PAGE;
        focusOnHomePage = GetFocus() == GetDlgItem(window, IDC_HOME_PAGE);
        owner = GetWindow(window, GW_OWNER);
        centre = Centre(window);
        const HMENU menu = GetSystemMenu(window, FALSE);
        const int count = GetMenuItemCount(menu);
        lastItem = MenuItemText(menu, count - 1);
        lastItemId = GetMenuItemID(menu, count - 1);
        itemBeforeState = GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION);
        PressKey(VK_ESCAPE);
    })});
    EXPECT_EQ(IDCANCEL, dialog.DoModal());

    EXPECT_EQ(kCaption, caption);  // the template says "Vellumar"
    EXPECT_EQ("", topLine);        // the template says "ScreenSaver 1.0 "
    EXPECT_EQ(VELLUMAR_HOME_PAGE_ADDRESS, homePageText);
    EXPECT_TRUE(homePageIsDefault);
    EXPECT_TRUE(focusOnHomePage);
    EXPECT_EQ(nullptr, owner);
    EXPECT_EQ("&About 3D Vellumar ScreenSaver", lastItem);
    EXPECT_EQ(16u, lastItemId);
    EXPECT_TRUE(itemBeforeState & MF_SEPARATOR);
    const HICON programIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELLUMAR));
    ASSERT_NE(nullptr, programIcon);
    EXPECT_EQ(reinterpret_cast<LRESULT>(programIcon), dragIcon);
    // No owner: centred on the work area.
    const RECT workArea = PrimaryWorkArea();
    EXPECT_NEAR((workArea.left + workArea.right) / 2, centre.x, 1);
    EXPECT_NEAR((workArea.top + workArea.bottom) / 2, centre.y, 1);
    EXPECT_EQ(-1, DrainQueue());  // not the main window here: no quit message
}

TEST(ConfigDialog, QuitEndsWithOkAndEnterOnItToo)
{
    DrainQueue();
    ConfigureApp configure;
    {
        ConfigDialog dialog;
        DialogScript script({OnShown(ConfigWindow, [](HWND window) { Click(window, IDC_QUIT); })});
        EXPECT_EQ(IDOK, dialog.DoModal());
    }
    {
        ConfigDialog dialog;
        bool focusOnQuit = false;
        DialogScript script({
            OnShown(ConfigWindow, [](HWND) { PressKey(VK_TAB); }),
            Now([&] {
                focusOnQuit = GetFocus() == GetDlgItem(ConfigWindow(), IDC_QUIT);
                PressKey(VK_RETURN);
            }),
        });
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_TRUE(focusOnQuit);
    }
}

TEST(ConfigDialog, SystemCommands16To31OpenTheAboutBoxOwnedByAndCentredOverTheDialog)
{
    DrainQueue();
    ConfigureApp configure;
    ConfigDialog dialog;
    configure.app.m_pMainWnd = &dialog;  // as in configure mode: the about box's default owner
    int opened = 0, ownedByConfig = 0, configDisabled = 0, centred = 0, configBackAndEnabled = 0;
    std::string aboutCaption;
    std::vector<DialogScript::Step> steps;
    for (WPARAM command = 16; command <= 31; ++command) {
        steps.push_back(PostSystemCommand(command));
        steps.push_back(OnShown(AboutWindow, [&](HWND about) {
            const HWND config = ConfigWindow();
            ++opened;
            aboutCaption = WindowText(about);
            ownedByConfig += GetWindow(about, GW_OWNER) == config;
            configDisabled += !IsWindowEnabled(config);
            const POINT aboutCentre = Centre(about), configCentre = Centre(config);
            centred += std::abs(aboutCentre.x - configCentre.x) <= 1 &&
                       std::abs(aboutCentre.y - configCentre.y) <= 1;
            Click(about, IDOK);
        }));
        steps.push_back(Now([&] {
            const HWND config = ConfigWindow();
            configBackAndEnabled += !AboutWindow() && config && IsWindowEnabled(config);
        }));
    }
    steps.push_back(OnShown(ConfigWindow, [](HWND window) { Click(window, IDC_QUIT); }));
    DialogScript script(std::move(steps));
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(16, opened);
    EXPECT_EQ(16, ownedByConfig);
    EXPECT_EQ(16, configDisabled);
    EXPECT_EQ(16, centred);
    EXPECT_EQ(16, configBackAndEnabled);
    EXPECT_EQ("About Saver", aboutCaption);
    DrainQueue();
}

TEST(ConfigDialog, OtherSystemCommandsDoNotOpenTheAboutBox)
{
    DrainQueue();
    ConfigureApp configure;
    ConfigDialog dialog;
    int aboutSeen = 0;
    bool openAfterOthers = false;
    const auto lookForAbout = Now([&] { aboutSeen += AboutWindow() != nullptr; });
    DialogScript script({
        PostSystemCommand(32),
        lookForAbout,
        PostSystemCommand(15),
        lookForAbout,
        PostSystemCommand(0x30),
        lookForAbout,
        Now([&] { openAfterOthers = ConfigWindow() != nullptr; }),
        // The Close command goes on to default processing: the cancel action.
        PostSystemCommand(SC_CLOSE),
        lookForAbout,
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(openAfterOthers);
    EXPECT_EQ(0, aboutSeen);
}

TEST(ConfigDialog, AboutBoxEndsWithEscapeAndCanBeOpenedAgain)
{
    DrainQueue();
    ConfigureApp configure;
    ConfigDialog dialog;
    configure.app.m_pMainWnd = &dialog;
    int opened = 0, focusOnOk = 0;
    const auto seeAbout = OnShown(AboutWindow, [&](HWND about) {
        ++opened;
        focusOnOk += GetFocus() == GetDlgItem(about, IDOK);
        PressKey(VK_ESCAPE);
    });
    DialogScript script({
        PostSystemCommand(16),
        seeAbout,
        PostSystemCommand(16),
        seeAbout,
        OnShown(ConfigWindow, [](HWND) { PressKey(VK_ESCAPE); }),
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(2, opened);
    EXPECT_EQ(2, focusOnOk);
    DrainQueue();
}

namespace {

// Counts WM_ICONERASEBKGND sent to one window, and whether each came with a device context.
struct IconEraseWatch {
    static inline HWND window = nullptr;
    static inline int sent = 0;
    static inline int withDeviceContext = 0;

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->hwnd == window && message->message == WM_ICONERASEBKGND) {
            ++sent;
            withDeviceContext += message->wParam != 0;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

} // namespace

TEST(ConfigDialog, PaintsItsIconOnlyWhenMinimised)
{
    DrainQueue();
    ConfigureApp configure;
    ConfigDialog dialog;
    const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, IconEraseWatch::Hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    IconEraseWatch::sent = IconEraseWatch::withDeviceContext = 0;
    bool iconic = false;
    int sentWhileNormal = -1, sentWhileMinimised = -1;
    // Sent directly: a minimised window has an empty client area, so nothing invalidates it.
    auto repaint = [](HWND window) { SendMessageA(window, WM_PAINT, 0, 0); };
    // All in one step: wine (with no window manager) restores the window soon afterwards.
    DialogScript script({OnShown(ConfigWindow, [&](HWND window) {
        IconEraseWatch::window = window;
        repaint(window);
        sentWhileNormal = IconEraseWatch::sent;
        ShowWindow(window, SW_MINIMIZE);
        iconic = IsIconic(window) != FALSE;
        repaint(window);
        sentWhileMinimised = IconEraseWatch::sent;
        ShowWindow(window, SW_RESTORE);
        PressKey(VK_ESCAPE);
    })});
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    UnhookWindowsHookEx(hook);
    IconEraseWatch::window = nullptr;
    EXPECT_EQ(0, sentWhileNormal);
    EXPECT_TRUE(iconic);
    EXPECT_GE(sentWhileMinimised, 1);
    EXPECT_EQ(IconEraseWatch::sent, IconEraseWatch::withDeviceContext);
}

namespace {

// A picture of `width` x `height` in one colour, drawn into by `paint`.
std::vector<uint32_t> Painted(int width, int height, const std::function<void(HDC)>& paint)
{
    SectionCanvas canvas(width, height, 0x00FF00FFu);
    paint(canvas.Dc());
    return canvas.Pixels();
}

} // namespace

// An odd difference of client and icon sizes rounds up: a 33 x 40 client area puts a 32 x 32
// icon at (1, 4).
TEST(ConfigDialog, TheMinimisedIconIsTheProgramIconCentredRoundingUp)
{
    ConfigureApp configure;
    const ConfigDialog dialog;
    const int iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
    const int width = iconWidth + 1, height = iconHeight + 8;
    const HICON programIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELLUMAR));
    const auto shown = Painted(width, height, [&](HDC dc) { dialog.PaintMinimisedIcon(dc, RECT{0, 0, width, height}); });
    const auto expected = Painted(width, height, [&](HDC dc) { DrawIcon(dc, 1, 4, programIcon); });
    EXPECT_TRUE(shown == expected);
    EXPECT_FALSE(shown == Painted(width, height, [](HDC) {}));
}

TEST(RunConfigureDialog, RunsAsTheMainWindowWithoutOwnerAndLeavesTheQuitMessage)
{
    DrainQueue();
    ConfigureApp configure;
    bool mainWindowWasDialog = false;
    HWND owner = reinterpret_cast<HWND>(1);
    DialogScript script({OnShown(ConfigWindow, [&](HWND window) {
        mainWindowWasDialog = configure.app.m_pMainWnd && configure.app.m_pMainWnd->m_hWnd == window;
        owner = GetWindow(window, GW_OWNER);
        PressKey(VK_ESCAPE);
    })});
    RunConfigureDialog();
    EXPECT_TRUE(mainWindowWasDialog);
    EXPECT_EQ(nullptr, owner);
    EXPECT_EQ(nullptr, configure.app.m_pMainWnd);
    EXPECT_EQ(0, DrainQueue());  // the main-window rule's quit message, code 0
}

// --- The dialog framework, with a dialog of its own on template 102 -----------------------

namespace {

class TextDialog : public CDialog {
public:
    explicit TextDialog(CWnd* parent = nullptr) : CDialog(IDD_CONFIG, parent) {}
    std::string text;
    bool throwInInit = false;

protected:
    void DoDataExchange(CDataExchange* exchange) override { DDX_Text(exchange, IDC_VERSION_TEXT, text); }
    bool OnInitDialog() override
    {
        if (throwInInit)
            throw std::runtime_error("initialisation failed");
        return CDialog::OnInitDialog();
    }
};

HWND TextDialogWindow()
{
    return ThreadDialogWith(IDC_VERSION_TEXT);
}

} // namespace

// OK (template 102 has no OK button: the command comes as Enter on one would send it) reads
// the control back; Escape ends without the exchange.
TEST(CDialog, DataExchangeSetsTheControlAndOnlyOkReadsItBack)
{
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Escape");
        DrainQueue();
        TextDialog dialog;
        dialog.text = "first";
        std::string shown;
        DialogScript script({OnShown(TextDialogWindow, [&](HWND window) {
            shown = WindowText(GetDlgItem(window, IDC_VERSION_TEXT));
            SetDlgItemTextA(window, IDC_VERSION_TEXT, "changed");
            if (ok)
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            else
                PressKey(VK_ESCAPE);
        })});
        EXPECT_EQ(ok ? IDOK : IDCANCEL, dialog.DoModal());
        EXPECT_EQ("first", shown);
        EXPECT_EQ(ok ? "changed" : "first", dialog.text);
    }
}

TEST(CDialog, ExceptionInAHandlerStaysInsideTheDialog)
{
    DrainQueue();
    TextDialog dialog;
    dialog.throwInInit = true;
    bool shown = false;
    DialogScript script({OnShown(TextDialogWindow, [&](HWND window) {
        shown = window != nullptr;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    })});
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_TRUE(shown);
}

namespace {

constexpr UINT kDestroyNow = WM_APP + 7;

// Runs Default() on `dialog` with the stack below the caller, where the frames of the
// messages it sent before lay, filled with zeros; whether it wrote anywhere there.
__attribute__((noinline)) bool DefaultWritesIntoEndedFrames(CDialog& dialog)
{
    volatile unsigned char below[256 * 1024];
    for (auto& byte : below)
        byte = 0;
    dialog.Default();
    for (auto& byte : below)
        if (byte != 0)
            return true;
    return false;
}

// Destroys its window inside a handler and then asks for default processing; ends its own
// life in its last hook and leaves its storage poisoned, so any later write to it shows.
class SelfDestroyingDialog : public CDialog {
public:
    struct Record {
        bool destroyed = false;
        bool wroteIntoEndedFrames = false;
    };
    explicit SelfDestroyingDialog(Record& record) : CDialog(IDD_CONFIG), record(record) {}

protected:
    void PostNcDestroy() override
    {
        void* storage = this;
        this->~SelfDestroyingDialog();
        std::memset(storage, 0xA5, sizeof(SelfDestroyingDialog));
    }

private:
    std::intptr_t OnDestroyNow(std::uintptr_t, std::intptr_t)
    {
        record.destroyed = ::DestroyWindow(m_hWnd);  // WM_NCDESTROY comes and goes in here
        record.wroteIntoEndedFrames = DefaultWritesIntoEndedFrames(*this);
        return 0;
    }

    Record& record;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfDestroyingDialog, CDialog)
    ON_MESSAGE(kDestroyNow, OnDestroyNow)
END_MESSAGE_MAP()

} // namespace

TEST(CDialog, NothingOfAMessageOutlivesItsFrameOrTheDialog)
{
    DrainQueue();
    alignas(SelfDestroyingDialog) unsigned char storage[sizeof(SelfDestroyingDialog)];
    SelfDestroyingDialog::Record record;
    auto* dialog = new (storage) SelfDestroyingDialog(record);
    DialogScript script({OnShown(TextDialogWindow, [](HWND window) { PostMessageA(window, kDestroyNow, 0, 0); })});
    dialog->DoModal();
    ASSERT_TRUE(record.destroyed);
    EXPECT_FALSE(record.wroteIntoEndedFrames) << "the frame of WM_NCDESTROY is still marked for default processing";
    for (size_t i = 0; i < sizeof storage; ++i)
        ASSERT_EQ(0xA5, storage[i]) << "byte " << i << " written after the dialog ended";
}

TEST(CDialog, MissingTemplateGivesMinusOne)
{
    class NoTemplate : public CDialog {
    public:
        NoTemplate() : CDialog(4321) {}
    } dialog;
    EXPECT_EQ(-1, dialog.DoModal());
}

namespace {

// A plain visible top-level window to own dialogs.
struct OwnerWindow {
    OwnerWindow(int x, int y, int width, int height)
    {
        wnd.m_hWnd = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                                     width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    CWnd wnd;  // destroys the window at the end
};

} // namespace

TEST(CDialog, OwnerIsTheParentOrElseTheMainWindow)
{
    DrainQueue();
    OwnerWindow parent(100, 100, 400, 300), mainWindow(150, 150, 300, 200);
    ASSERT_NE(nullptr, parent.wnd.m_hWnd);
    ConfigureApp configure;
    configure.app.m_pMainWnd = &mainWindow.wnd;
    HWND owner = nullptr;
    const auto recordOwner = OnShown(TextDialogWindow, [&](HWND window) {
        owner = GetWindow(window, GW_OWNER);
        PressKey(VK_ESCAPE);
    });
    {
        TextDialog dialog(&parent.wnd);
        DialogScript script({recordOwner});
        dialog.DoModal();
        EXPECT_EQ(parent.wnd.m_hWnd, owner);
    }
    {
        TextDialog dialog;
        DialogScript script({recordOwner});
        dialog.DoModal();
        EXPECT_EQ(mainWindow.wnd.m_hWnd, owner);
    }
    configure.app.m_pMainWnd = nullptr;
}

TEST(CDialog, CentresOverAVisibleOwnerElseOverTheWorkAreaAndStaysInside)
{
    DrainQueue();
    const RECT workArea = PrimaryWorkArea();
    OwnerWindow owner(200, 150, 500, 400);
    ASSERT_NE(nullptr, owner.wnd.m_hWnd);
    TextDialog dialog(&owner.wnd);
    POINT overOwner{}, overWorkArea{}, ownerCentre{};
    RECT nearEdge{};
    DialogScript script({OnShown(TextDialogWindow, [&](HWND window) {
        dialog.CenterWindow();
        overOwner = Centre(window);
        ownerCentre = Centre(owner.wnd.m_hWnd);

        ShowWindow(owner.wnd.m_hWnd, SW_HIDE);
        dialog.CenterWindow();
        overWorkArea = Centre(window);

        // An owner hanging off the bottom-right corner: the dialog is pulled back inside.
        SetWindowPos(owner.wnd.m_hWnd, nullptr, workArea.right - 60, workArea.bottom - 40, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        dialog.CenterWindow();
        GetWindowRect(window, &nearEdge);
        PressKey(VK_ESCAPE);
    })});
    dialog.DoModal();
    EXPECT_NEAR(ownerCentre.x, overOwner.x, 1);
    EXPECT_NEAR(ownerCentre.y, overOwner.y, 1);
    EXPECT_NEAR((workArea.left + workArea.right) / 2, overWorkArea.x, 1);
    EXPECT_NEAR((workArea.top + workArea.bottom) / 2, overWorkArea.y, 1);
    EXPECT_EQ(workArea.right, nearEdge.right);
    EXPECT_EQ(workArea.bottom, nearEdge.bottom);
}
