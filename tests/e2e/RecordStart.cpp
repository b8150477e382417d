// Stands in for a program that Vellumar or the installer starts (a browser, rundll32.exe):
// appends how it was started to a log next to itself, named after itself with ".log" for
// ".exe", and ends at once without a window. Three lines per start:
//   command: <the command line exactly as the process received it>
//   directory: <its current directory>
//   show: <the show state it was started with, in decimal>
#include <windows.h>

#include <string>

namespace {

std::string OwnLogPath()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string logPath(path, length < MAX_PATH ? length : 0);
    const std::string::size_type dot = logPath.find_last_of('.');
    if (dot != std::string::npos && logPath.find_first_of("\\/", dot) == std::string::npos)
        logPath.erase(dot);
    return logPath + ".log";
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show)
{
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    const std::string record = std::string("command: ") + GetCommandLineA() + "\r\ndirectory: " + directory +
                               "\r\nshow: " + std::to_string(show) + "\r\n";

    const HANDLE log = CreateFileA(OwnLogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(log);
    return ok && written == record.size() ? 0 : 1;
}
