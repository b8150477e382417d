#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "Win32TestSupport.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"

namespace {

constexpr UINT kThrowMessage = WM_APP + 1;
constexpr UINT kCountMessage = WM_APP + 2;

const char* TestWindowClass()
{
    static const char* name = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = CWnd::WindowProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VellumarFrameworkTest";
        RegisterClassA(&windowClass);
        return "VellumarFrameworkTest";
    }();
    return name;
}

struct Record {
    bool postNcDestroyCalled = false;
    bool mainWindowClearedBefore = false;
    bool quitPendingBefore = false;
    bool hadNoWindowInPostNcDestroy = false;
    int counted = 0;
};

class TestWindow : public CWnd {
public:
    explicit TestWindow(Record& record, bool failCreate = false, bool throwInCreate = false)
        : record(record), failCreate(failCreate), throwInCreate(throwInCreate)
    {
    }

    bool CreateHidden(HWND parent = nullptr)
    {
        RECT rect{0, 0, 100, 80};
        return Create(0, TestWindowClass(), "test", parent ? WS_CHILD : WS_POPUP, rect, parent, 0);
    }

    std::intptr_t OnCreate(std::uintptr_t, std::intptr_t)
    {
        if (throwInCreate)
            throw std::runtime_error("creation");
        return failCreate ? -1 : Default();
    }
    std::intptr_t OnThrow(std::uintptr_t, std::intptr_t) { throw std::runtime_error("handler"); }
    std::intptr_t OnCount(std::uintptr_t wParam, std::intptr_t) { record.counted += static_cast<int>(wParam); return 41 + record.counted; }
    // Does its own work, then lets the window's default procedure store the text.
    std::intptr_t OnSetText(std::uintptr_t, std::intptr_t) { ++record.counted; return Default(); }

protected:
    void PostNcDestroy() override
    {
        record.postNcDestroyCalled = true;
        record.mainWindowClearedBefore = AfxGetApp() && AfxGetApp()->m_pMainWnd == nullptr;
        MSG message;
        record.quitPendingBefore = PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
        record.hadNoWindowInPostNcDestroy = m_hWnd == nullptr;
    }

private:
    Record& record;
    bool failCreate;
    bool throwInCreate;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestWindow, CWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_MESSAGE(kThrowMessage, OnThrow)
    ON_MESSAGE(kCountMessage, OnCount)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

// Ends its own life in its last hook, as the saver's windows do, and leaves its storage
// poisoned: any write to the object after that hook shows.
class SelfEndingWindow : public CWnd {
public:
    explicit SelfEndingWindow(bool& ended) : ended(ended) {}

protected:
    void PostNcDestroy() override
    {
        bool& flag = ended;
        void* storage = this;
        this->~SelfEndingWindow();
        std::memset(storage, 0xA5, sizeof(SelfEndingWindow));
        flag = true;
    }

private:
    bool& ended;
};

class QuitCodeApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

}  // namespace

TEST(Framework, DestroyingTheMainWindowPostsQuitAndClearsItBeforePostNcDestroy)
{
    DrainQueue();
    QuitCodeApp app;
    Record record;
    TestWindow window(record);
    ASSERT_TRUE(window.CreateHidden());
    app.m_pMainWnd = &window;
    ASSERT_TRUE(window.DestroyWindow());
    EXPECT_TRUE(record.postNcDestroyCalled);
    EXPECT_TRUE(record.mainWindowClearedBefore);
    EXPECT_TRUE(record.quitPendingBefore);
    EXPECT_TRUE(record.hadNoWindowInPostNcDestroy);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(nullptr, window.m_hWnd);
    EXPECT_EQ(0, DrainQueue());
}

// WM_CLOSE's default processing destroys the window inside its own handler, so the last
// hook runs only once that outer handler has returned.
TEST(Framework, AnObjectThatEndsInItsLastHookIsNotTouchedAfterIt)
{
    alignas(SelfEndingWindow) unsigned char storage[sizeof(SelfEndingWindow)];
    bool ended = false;
    auto* window = new (storage) SelfEndingWindow(ended);
    RECT rect{0, 0, 100, 80};
    ASSERT_TRUE(window->Create(0, TestWindowClass(), "test", WS_POPUP, rect, nullptr, 0));
    const HWND handle = window->m_hWnd;
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(IsWindow(handle));
    for (size_t i = 0; i < sizeof storage; ++i)
        ASSERT_EQ(0xA5, storage[i]) << "byte " << i << " written after the object ended";
}

TEST(Framework, OtherWindowsEndWithoutQuitting)
{
    DrainQueue();
    QuitCodeApp app;
    Record mainRecord, otherRecord;
    TestWindow mainWindow(mainRecord), other(otherRecord);
    ASSERT_TRUE(mainWindow.CreateHidden());
    ASSERT_TRUE(other.CreateHidden());
    app.m_pMainWnd = &mainWindow;
    other.DestroyWindow();
    EXPECT_TRUE(otherRecord.postNcDestroyCalled);
    EXPECT_FALSE(otherRecord.quitPendingBefore);
    EXPECT_EQ(&mainWindow, app.m_pMainWnd);
    EXPECT_EQ(-1, DrainQueue());
    mainWindow.DestroyWindow();
    EXPECT_EQ(0, DrainQueue());
}

TEST(Framework, MapHandlersRunAndDefaultPassesTheMessageOn)
{
    Record record;
    TestWindow window(record);
    ASSERT_TRUE(window.CreateHidden());
    EXPECT_EQ(CWnd::FromHandle(window.m_hWnd), &window);
    EXPECT_EQ(46, SendMessageA(window.m_hWnd, kCountMessage, 5, 0));
    SetWindowTextA(window.m_hWnd, "changed");
    char text[32] = {};
    GetWindowTextA(window.m_hWnd, text, sizeof text);
    EXPECT_STREQ("changed", text);
    EXPECT_EQ(6, record.counted);
    // Unmapped messages get default processing.
    EXPECT_EQ(0, SendMessageA(window.m_hWnd, WM_APP + 9, 0, 0));
    window.DestroyWindow();
}

TEST(Framework, ExceptionsInHandlersStopAtTheWindowProcedure)
{
    Record record;
    TestWindow window(record);
    ASSERT_TRUE(window.CreateHidden());
    EXPECT_EQ(0, SendMessageA(window.m_hWnd, kThrowMessage, 0, 0));
    // The window and its object go on working.
    EXPECT_EQ(42, SendMessageA(window.m_hWnd, kCountMessage, 1, 0));
    window.DestroyWindow();
    EXPECT_TRUE(record.postNcDestroyCalled);
}

TEST(Framework, FailedCreationLeavesTheObjectToTheCaller)
{
    for (bool throwing : {false, true}) {
        SCOPED_TRACE(throwing ? "WM_CREATE throws" : "WM_CREATE answers -1");
        Record record;
        TestWindow window(record, !throwing, throwing);
        EXPECT_FALSE(window.CreateHidden());
        EXPECT_EQ(nullptr, window.m_hWnd);
        EXPECT_FALSE(record.postNcDestroyCalled);
    }
    Record record;
    TestWindow unregistered(record);
    RECT rect{0, 0, 10, 10};
    EXPECT_FALSE(unregistered.Create(0, "NoSuchVellumarClass", "", WS_POPUP, rect, nullptr, 0));
}

TEST(Framework, DeletingTheObjectDestroysItsWindow)
{
    Record record;
    HWND handle = nullptr;
    {
        TestWindow window(record);
        ASSERT_TRUE(window.CreateHidden());
        handle = window.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(record.postNcDestroyCalled);  // the object was already going
}

TEST(Framework, MessageLoopEndsWithTheQuitCode)
{
    DrainQueue();
    QuitCodeApp app;
    Record record;
    TestWindow window(record);
    ASSERT_TRUE(window.CreateHidden());
    window.PostMessage(kCountMessage, 3, 0);
    PostQuitMessage(7);
    EXPECT_EQ(7, app.Run());
    EXPECT_EQ(3, record.counted);  // messages before the quit were dispatched
    EXPECT_EQ(7, app.ExitInstance());
    window.DestroyWindow();
    DrainQueue();
}

TEST(Framework, OnlyOneApplicationObjectAtATime)
{
    EXPECT_EQ(nullptr, AfxGetApp());
    {
        QuitCodeApp app;
        EXPECT_EQ(&app, AfxGetApp());
    }
    EXPECT_EQ(nullptr, AfxGetApp());
}
