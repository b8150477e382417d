#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "GdiTestSupport.h"
#include "SectionCanvas.h"
#include "Win32TestSupport.h"
#include "host/SaverApp.h"
#include "host/SaverWindow.h"
#include "resources/resource.h"
#include "water/DrawWindow.h"

namespace {

// Counts and removes the WM_CLOSE messages posted to `window`.
int TakeCloses(HWND window)
{
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
        ++count;
    return count;
}

LPARAM Position(int x, int y)
{
    return MAKELPARAM(x, y);
}

// A saver window that tells when it is deleted and which messages reach its default
// processing, with their wParam.
class ObservedSaverWindow : public SaverWindow {
public:
    explicit ObservedSaverWindow(bool& deleted) : deleted(deleted) {}
    ~ObservedSaverWindow() override { deleted = true; }

    bool PassedOn(UINT message, WPARAM wParam) const { return defaulted.count({message, wParam}) != 0; }

protected:
    LRESULT DefWindowProcedure(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        defaulted.insert({message, wParam});
        return SaverWindow::DefWindowProcedure(message, wParam, lParam);
    }

private:
    bool& deleted;
    std::set<std::pair<UINT, WPARAM>> defaulted;
};

// A saver window with the full-screen preparation, but small and hidden so that it does
// not take the activation from the test.
struct SaverFixture : ::testing::Test {
    void SetUp() override
    {
        DrainQueue();
        window = new ObservedSaverWindow(deleted);
        const RECT rect{0, 0, 64, 48};
        ASSERT_TRUE(window->PrepareAndCreate(0, WS_POPUP, rect, nullptr));
        handle = window->m_hWnd;
    }
    void TearDown() override
    {
        if (IsWindow(handle))
            DestroyWindow(handle);
        DrainQueue();
    }
    int Send(UINT message, WPARAM wParam, LPARAM lParam = 0)
    {
        SendMessageA(handle, message, wParam, lParam);
        return TakeCloses(handle);
    }

    bool deleted = false;
    ObservedSaverWindow* window = nullptr;
    HWND handle = nullptr;
};

}  // namespace

TEST_F(SaverFixture, KeysAndButtonsPostOneCloseEachAndGoOnToDefaultProcessing)
{
    const std::pair<UINT, WPARAM> closing[] = {{WM_KEYDOWN, VK_SPACE},      {WM_KEYDOWN, 'A'},
                                              {WM_SYSKEYDOWN, VK_MENU},    {WM_SYSKEYDOWN, VK_F10},
                                              {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_MBUTTONDOWN, MK_MBUTTON},
                                              {WM_RBUTTONDOWN, MK_RBUTTON}};
    for (const auto& [message, wParam] : closing) {
        EXPECT_EQ(1, Send(message, wParam)) << message;
        EXPECT_TRUE(window->PassedOn(message, wParam)) << message;
    }
    // Releases, the wheel and the extra buttons do not end the saver.
    EXPECT_EQ(0, Send(WM_KEYUP, VK_SPACE));
    EXPECT_EQ(0, Send(WM_SYSKEYUP, VK_MENU));
    EXPECT_EQ(0, Send(WM_LBUTTONUP, 0));
    EXPECT_EQ(0, Send(WM_RBUTTONUP, 0));
    EXPECT_EQ(0, Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)));
    EXPECT_EQ(0, Send(WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1)));
    // The close is only posted: the window is still there.
    EXPECT_TRUE(IsWindow(handle));
}

TEST_F(SaverFixture, FirstMousePositionIsKeptAndAnyOtherCloses)
{
    EXPECT_EQ(0, Send(WM_MOUSEMOVE, 0, Position(700, 20)));
    EXPECT_TRUE(window->PassedOn(WM_MOUSEMOVE, 0));
    EXPECT_EQ(700, window->mouseStartX);
    EXPECT_EQ(20, window->mouseStartY);
    EXPECT_EQ(0, Send(WM_MOUSEMOVE, 0, Position(700, 20)));
    EXPECT_EQ(1, Send(WM_MOUSEMOVE, 0, Position(701, 20)));
    EXPECT_EQ(1, Send(WM_MOUSEMOVE, 0, Position(700, 21)));
    EXPECT_EQ(700, window->mouseStartX);
    EXPECT_EQ(0, Send(WM_MOUSEMOVE, 0, Position(700, 20)));
}

TEST_F(SaverFixture, LosingTheActivationCloses)
{
    EXPECT_EQ(1, Send(WM_ACTIVATE, WA_INACTIVE));
    EXPECT_EQ(1, Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, TRUE)));  // while minimised
    EXPECT_EQ(0, Send(WM_ACTIVATE, WA_ACTIVE));
    EXPECT_EQ(0, Send(WM_ACTIVATE, WA_CLICKACTIVE));
    EXPECT_TRUE(window->PassedOn(WM_ACTIVATE, WA_INACTIVE));
    EXPECT_EQ(1, Send(WM_ACTIVATEAPP, FALSE));
    EXPECT_EQ(0, Send(WM_ACTIVATEAPP, TRUE));
    EXPECT_TRUE(window->PassedOn(WM_ACTIVATEAPP, FALSE));
    // The caption refuses to look inactive; becoming active is the default procedure's.
    EXPECT_EQ(FALSE, SendMessageA(handle, WM_NCACTIVATE, FALSE, 0));
    EXPECT_FALSE(window->PassedOn(WM_NCACTIVATE, FALSE));
    SendMessageA(handle, WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(window->PassedOn(WM_NCACTIVATE, TRUE));
    EXPECT_EQ(0, TakeCloses(handle));
}

// Wine's default procedure does nothing with SC_SCREENSAVE either: what tells is whether the
// command reaches it.
TEST_F(SaverFixture, ScreenSaveAndCloseCommandsStopHereOthersGoOn)
{
    EXPECT_EQ(0, SendMessageA(handle, WM_SYSCOMMAND, SC_SCREENSAVE, 0));
    EXPECT_EQ(0, SendMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0));
    EXPECT_FALSE(window->PassedOn(WM_SYSCOMMAND, SC_SCREENSAVE));
    EXPECT_FALSE(window->PassedOn(WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(0, TakeCloses(handle));
    const WPARAM unknownCommand = 0xF1F0;
    SendMessageA(handle, WM_SYSCOMMAND, unknownCommand, 0);
    EXPECT_TRUE(window->PassedOn(WM_SYSCOMMAND, unknownCommand));
}

TEST_F(SaverFixture, TheCursorIsHidden)
{
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    EXPECT_EQ(TRUE, SendMessageA(handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(nullptr, GetCursor());
}

TEST_F(SaverFixture, CloseDestroysAndTheWindowsOwnQuitEndsTheProgramWithZero)
{
    // The default processing of WM_CLOSE destroys the window, WM_DESTROY posts the quit
    // message and the object deletes itself. (It is not the main window here, so the quit
    // message is the window's own, not the main-window rule's.)
    SaverApp app;
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(deleted);
    EXPECT_EQ(0, DrainQueue());
}

// The real full-screen window, briefly: top-most, a visible popup over exactly the primary
// screen, with the three timers running.
TEST(SaverWindow, FullScreenIsATopMostPopupOverThePrimaryScreenWithItsThreeTimers)
{
    DrainQueue();
    SaverApp app;
    auto* saver = new SaverWindow;
    ASSERT_TRUE(saver->CreateFullScreen());
    const HWND full = saver->m_hWnd;
    EXPECT_TRUE(GetWindowLongA(full, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE),
              GetWindowLongA(full, GWL_STYLE) & (WS_POPUP | WS_VISIBLE | WS_CHILD | WS_CAPTION | WS_BORDER));
    RECT rect;
    GetWindowRect(full, &rect);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(EqualRect(&screen, &rect));
    std::set<WPARAM> timers;
    const DWORD started = GetTickCount();
    MSG message;
    while (timers.size() < 3 && GetTickCount() - started < 5000) {
        if (PeekMessageA(&message, full, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            timers.insert(message.wParam);
            DispatchMessageA(&message);
        } else {
            Sleep(5);
        }
    }
    EXPECT_EQ((std::set<WPARAM>{1, 2, 3}), timers);
    DestroyWindow(full);
    DrainQueue();
}

TEST_F(SaverFixture, PreparesTheWaterAndTicksLikeTheCore)
{
    HDC screen = GetDC(nullptr);
    const int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(window->IsPreview());
    EXPECT_EQ(width, window->ScreenWidth());
    EXPECT_EQ(height, window->ScreenHeight());
    EXPECT_EQ(width, window->Water().Width());
    EXPECT_EQ(1, window->Tick().tickCounter);
    EXPECT_EQ(100, window->Tick().dropSeed);

    window->AnimationTick(1);
    EXPECT_EQ(2, window->Tick().tickCounter);
    EXPECT_EQ(1, window->Water().CurrentPage());  // rendered and flipped
    window->AnimationTick(3);  // drops only
    EXPECT_EQ(3, window->Tick().tickCounter);
    EXPECT_EQ(1, window->Water().CurrentPage());
    window->AnimationTick(77);  // any other timer is a drop timer
    EXPECT_EQ(1, window->Water().CurrentPage());
    EXPECT_EQ(4, window->Tick().tickCounter);
}

namespace {

// What the window shows, top row first.
std::vector<uint32_t> WindowPixels(HWND window, int width, int height)
{
    SectionCanvas canvas(width, height);
    HDC dc = GetDC(window);
    BitBlt(canvas.Dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    return canvas.Pixels();
}

}  // namespace

// Full screen, the window shows the desktop it photographed from the moment it exists, before
// any message reaches it, and its frame again whenever it is asked to paint: never the empty
// surface a new window is given.
TEST(DrawWindowFullScreen, ShowsTheDesktopFromItsFirstMomentAndItsFrameOnEveryPaint)
{
    DrainQueue();
    const PatternScreen desktop;
    ASSERT_TRUE(desktop.IsShown());
    const int width = 64, height = 48;
    const std::vector<uint32_t> pattern = PatternPixels(width, height);
    DrawWindow window(false);
    ASSERT_TRUE(window.PrepareAndCreate(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, RECT{0, 0, width, height}, nullptr));
    EXPECT_TRUE(pattern == WindowPixels(window.m_hWnd, width, height));

    HDC dc = GetDC(window.m_hWnd);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    ReleaseDC(window.m_hWnd, dc);
    ASSERT_FALSE(pattern == WindowPixels(window.m_hWnd, width, height));
    RedrawWindow(window.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(pattern == WindowPixels(window.m_hWnd, width, height));

    // After a frame, a paint shows that frame (the water is still flat: the desktop again).
    window.AnimationTick(1);
    dc = GetDC(window.m_hWnd);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    ReleaseDC(window.m_hWnd, dc);
    RedrawWindow(window.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(pattern == WindowPixels(window.m_hWnd, width, height));
    DestroyWindow(window.m_hWnd);
    DrainQueue();
}

TEST(DrawWindowPreview, TilesBitmap132FromTheTopLeftAndEndsWithItsHost)
{
    const HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PREVIEW));
    const int tileWidth = BitmapSize(bitmap).cx, tileHeight = BitmapSize(bitmap).cy;
    const std::vector<uint32_t> tile = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    ASSERT_EQ(156, tileWidth);
    ASSERT_EQ(117, tileHeight);

    // A box of several tiles, and one smaller than a tile that shows one clipped tile.
    for (const SIZE box : {SIZE{300, 200}, SIZE{100, 80}}) {
        SCOPED_TRACE(box.cx);
        DrainQueue();
        SaverApp app;
        HWND host = MakeTestWindow("VellumarTestHost", DefWindowProcA, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                   RECT{0, 0, box.cx, box.cy});
        ASSERT_NE(nullptr, host);
        ASSERT_TRUE(app.StartPreview({"Vellumar.scr", "/p", HandleText(host)}));
        EXPECT_EQ("p", app.mode);
        auto* preview = dynamic_cast<DrawWindow*>(app.m_pMainWnd);
        ASSERT_NE(nullptr, preview);
        const HWND child = preview->m_hWnd;
        // The mode was known before the window existed: it was made without the snapshot
        // and the water.
        EXPECT_TRUE(preview->IsPreview());
        EXPECT_TRUE(preview->Water().IsEmpty());
        EXPECT_EQ(host, GetParent(child));
        EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE), GetWindowLongA(child, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_POPUP));
        RECT client, childRect;
        GetClientRect(host, &client);
        GetWindowRect(child, &childRect);
        MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&childRect), 2);
        EXPECT_TRUE(EqualRect(&client, &childRect));

        UpdateWindow(child);
        const std::vector<uint32_t> shown = WindowPixels(child, box.cx, box.cy);
        int wrong = 0;
        for (int y = 0; y < box.cy; ++y)
            for (int x = 0; x < box.cx; ++x)
                wrong += shown[y * box.cx + x] != tile[(y % tileHeight) * tileWidth + x % tileWidth];
        EXPECT_EQ(0, wrong);

        // Ticks in preview mode have nothing to move and draw nothing.
        preview->AnimationTick(1);
        preview->AnimationTick(2);
        EXPECT_EQ(3, preview->Tick().tickCounter);
        EXPECT_TRUE(shown == WindowPixels(child, box.cx, box.cy));

        DestroyWindow(host);
        EXPECT_FALSE(IsWindow(child));
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        EXPECT_EQ(0, DrainQueue());  // the main-window rule ends the program with 0
    }
}
