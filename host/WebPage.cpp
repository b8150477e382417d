#include "host/WebPage.h"

#include "host/WebPageCommand.h"

#include <windows.h>

namespace {

// Closes a registry key when the scope ends, if it was opened.
class OpenKey {
public:
    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey()
    {
        if (key)
            RegCloseKey(key);
    }
    HKEY key = nullptr;
};

} // namespace

void open_web_page(std::string address)
{
    OpenKey classesRoot;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, nullptr, &classesRoot.key) != ERROR_SUCCESS)
        return;
    // Read access only: a standard user may not open keys under HKEY_CLASSES_ROOT for writing.
    OpenKey command;
    if (RegOpenKeyExA(classesRoot.key, "htmlfile\\shell\\open\\command", 0, KEY_READ,
                      &command.key) != ERROR_SUCCESS)
        return;

    char name[256];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    char data[kWebPageCommandSize];
    DWORD dataSize = sizeof data;
    const LONG status = RegEnumValueA(command.key, 0, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    // ERROR_MORE_DATA leaves the buffers' contents undefined: nothing of them is used.
    if (status != ERROR_SUCCESS)
        return;

    char commandLine[kWebPageCommandSize];
    if (!BuildWebPageCommand(data, sizeof data, dataSize, address, commandLine))
        return;
    WinExec(commandLine, SW_SHOW);
}

bool is_win9x_platform()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version call checks this size");
    if (!GetVersionExA(&version))
        return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}
