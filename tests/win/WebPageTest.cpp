// open_web_page against the prefix's HKEY_CLASSES_ROOT\htmlfile\shell\open\command, with a
// recording program of ours (record-start.exe, next to this test program) as the browser.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>

#include "DialogScript.h"
#include "host/ConfigDialog.h"
#include "host/WebPage.h"
#include "host/WebPageAddress.h"
#include "resources/resource.h"

namespace {

const char* const kCommandKey = "htmlfile\\shell\\open\\command";
const std::string kAddress = VELLUMAR_HOME_PAGE_ADDRESS;

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ReadFile(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

class WebPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = TempDirectory() + "vellumar-web-page-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        browser = folder + "\\browser.exe";
        log = folder + "\\browser.log";
        ASSERT_TRUE(CopyFileA((ProgramFolder() + "record-start.exe").c_str(), browser.c_str(), FALSE))
            << "record-start.exe must lie next to the test program";
        DeleteFileA(log.c_str());
        SaveKey();
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
    }

    void TearDown() override
    {
        RestoreKey();
        DeleteFileA(log.c_str());
        DeleteFileA(browser.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void SetValue(const char* name, DWORD type, const std::string& data)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type,
                                                reinterpret_cast<const BYTE*>(data.data()),
                                                static_cast<DWORD>(data.size())));
        RegCloseKey(key);
    }

    // A text value, stored with its terminating zero.
    void SetText(const char* name, const std::string& text)
    {
        SetValue(name, REG_SZ, std::string(text.c_str(), text.size() + 1));
    }

    // The command lines the browser was started with, waiting up to `waitMs` for `expected`
    // (a wine process can take seconds to start on a loaded machine).
    std::vector<std::string> Starts(size_t expected, DWORD waitMs = 30000)
    {
        std::vector<std::string> starts;
        for (DWORD waited = 0;; waited += 100) {
            starts.clear();
            std::istringstream lines(ReadFile(log));
            std::string line;
            while (std::getline(lines, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (line.rfind("command: ", 0) == 0)
                    starts.push_back(line.substr(9));
            }
            if (starts.size() >= expected || waited >= waitMs)
                return starts;
            Sleep(100);
        }
    }

    // The browser started once, with `command`.
    void ExpectOneStart(const std::string& command)
    {
        const auto starts = Starts(1);
        ASSERT_EQ(1u, starts.size());
        EXPECT_EQ(command, starts[0]);
    }

    // Nothing may start: a started browser writes its log well within this time.
    void ExpectNothingStarted()
    {
        Sleep(1500);
        EXPECT_TRUE(Starts(0, 0).empty()) << Starts(0, 0).front();
    }

    std::string browser, log;

private:
    void SaveKey()
    {
        char data[1024];
        DWORD size = sizeof data;
        hadDefault = RegGetValueA(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, data,
                                  &size) == ERROR_SUCCESS;
        if (hadDefault)
            savedDefault = data;
    }
    void RestoreKey()
    {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
        if (hadDefault)
            SetText(nullptr, savedDefault);
    }

    std::string folder;
    bool hadDefault = false;
    std::string savedDefault;
};

} // namespace

TEST_F(WebPage, StartsTheRegisteredTextWithTheAddressGluedOn)
{
    SetText(nullptr, "\"" + browser + "\" \"%1\" ");
    open_web_page(kAddress);
    ExpectOneStart("\"" + browser + "\" \"%1\" " + kAddress);
    EXPECT_NE(std::string::npos, ReadFile(log).find("show: 5\r\n"));  // SW_SHOW
}

TEST_F(WebPage, FirstValueIsUsedWhateverItsName)
{
    SetText("open", browser + " -named ");
    open_web_page(kAddress);
    ExpectOneStart(browser + " -named " + kAddress);
}

// The whole of a 255-character command starts; one of 256 is not started cut.
TEST_F(WebPage, CommandOfExactly255CharactersStartsAndOneMoreNothing)
{
    SetText(nullptr, browser + std::string(256 - kAddress.size() - browser.size(), ' '));
    open_web_page(kAddress);
    ExpectNothingStarted();
    const std::string text = browser + std::string(255 - kAddress.size() - browser.size(), ' ');
    SetText(nullptr, text);
    open_web_page(kAddress);
    ExpectOneStart(text + kAddress);
}

TEST_F(WebPage, DataWithoutTerminatingZeroIsReadOnlyAsFarAsItGoes)
{
    SetValue(nullptr, REG_BINARY, browser + " ");
    open_web_page(kAddress);
    ExpectOneStart(browser + " " + kAddress);
}

// The home-page button opens the page on every platform. On the Windows 95 family it also
// ends the dialog with OK; on the NT family the dialog stays open. This program runs twice:
// once as Windows NT and once as Windows 98 (see CMakeLists.txt).
TEST_F(WebPage, HomePageButtonOpensThePageAndEndsTheDialogOnlyOnTheWindows95Family)
{
    SetText(nullptr, browser + " ");
    const bool windows95Family = is_win9x_platform();
    ConfigDialog dialog;
    bool openAfterTheClick = false;
    DialogScript script({
        OnShown([] { return ThreadDialogWith(IDC_HOME_PAGE); },
                [](HWND window) { SendMessageA(GetDlgItem(window, IDC_HOME_PAGE), BM_CLICK, 0, 0); }),
        Now([&] {
            openAfterTheClick = ThreadDialogWith(IDC_HOME_PAGE) != nullptr;
            PressKey(VK_ESCAPE);
        }),
    });
    EXPECT_EQ(windows95Family ? IDOK : IDCANCEL, dialog.DoModal());
    EXPECT_EQ(!windows95Family, openAfterTheClick);
    ExpectOneStart(browser + " " + kAddress);
    DrainQueue();
}

// Only in the run as Windows 98: it must really be one.
TEST(Windows95Family, ThisRunIsOne)
{
    EXPECT_TRUE(is_win9x_platform());
}

// No key, a value larger than the buffer, a value name longer than the 256-character name
// buffer (the value cannot be read), empty text.
TEST_F(WebPage, MissingOverlongUnreadableOrEmptyCommandStartsNothing)
{
    const std::pair<std::string, std::string> values[] = {
        {"", browser + " " + std::string(300, 'x')}, {std::string(300, 'n'), browser + " "}, {"", ""}};
    open_web_page(kAddress);
    ExpectNothingStarted();
    for (const auto& [name, text] : values) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kCommandKey);
        SetText(name.empty() ? nullptr : name.c_str(), text);
        open_web_page(kAddress);
        ExpectNothingStarted();
    }
}
