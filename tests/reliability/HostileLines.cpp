// Runs the real saver with hostile command lines, made from a fixed seed, and tells how
// each run ended.
//
//   HostileLines.exe SAVER COUNT SEED
//
// Each line goes to CreateProcessA exactly as generated (so unbalanced quotes and stray
// bytes reach the saver as they are): random bytes, very long arguments, quotes, huge and
// negative numbers, and preview requests naming windows that are not the saver's: the
// desktop, windows of this program (visible, hidden, child, message-only), a window that
// was just destroyed, 0, -1 and 4294967295. A run may end
//   - by itself;
//   - on one key press (Escape, sent as real input) once it shows a full-screen window or
//     the configure dialog;
//   - when the window of ours it was told to draw in is destroyed (a preview box goes away).
// Anything else fails: a run still going 5 s after its key or its host went, or 8 s after
// its start with nothing to press a key on; an exit status that is an exception code; a
// saver or debugger process left behind. Prints one line per run and a summary; exits 0
// when no run failed.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Win32TestSupport.h"

namespace {

constexpr DWORD kStartLimitMs = 8000;
constexpr DWORD kEndLimitMs = 5000;
constexpr DWORD kHostHoldMs = 2000;

enum class HostKind { None, Visible, Hidden, Child, MessageOnly };

struct Line {
    std::string kind;
    std::string arguments;
    HostKind host = HostKind::None;  // a window of ours to make first; its handle replaces "%H"
};

std::string SignedHandle(HWND window)
{
    return std::to_string(static_cast<int32_t>(reinterpret_cast<uintptr_t>(window)));
}

const char* const kHostClass = "VellumarTestHostileHost";

HWND MakeHost(HostKind kind, HWND& outer)
{
    outer = nullptr;
    switch (kind) {
    case HostKind::None:
        return nullptr;
    case HostKind::Visible:
        return outer = MakeTestWindow(kHostClass, DefWindowProcA, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 150});
    case HostKind::Hidden:
        return outer = MakeTestWindow(kHostClass, DefWindowProcA, WS_POPUP, RECT{0, 0, 200, 150});
    case HostKind::Child:
        outer = MakeTestWindow(kHostClass, DefWindowProcA, WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 200});
        return MakeTestWindow(kHostClass, DefWindowProcA, WS_CHILD | WS_VISIBLE, RECT{10, 10, 130, 100}, outer);
    case HostKind::MessageOnly:
        return outer = MakeTestWindow(kHostClass, DefWindowProcA, 0, RECT{0, 0, 0, 0}, HWND_MESSAGE);
    }
    return nullptr;
}

std::string RandomBytes(std::mt19937& random, size_t count)
{
    std::string text;
    for (size_t k = 0; k < count; ++k)
        text += static_cast<char>(1 + random() % 255);
    return text;
}

std::string RandomFrom(std::mt19937& random, const char* alphabet, size_t count)
{
    const size_t size = std::strlen(alphabet);
    std::string text;
    for (size_t k = 0; k < count; ++k)
        text += alphabet[random() % size];
    return text;
}

std::vector<Line> MakeLines(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    HWND destroyed = MakeTestWindow(kHostClass, DefWindowProcA, WS_POPUP, RECT{0, 0, 10, 10});
    const std::string destroyedHandle = HandleText(destroyed);
    DestroyWindow(destroyed);
    const std::string desktop = HandleText(GetDesktopWindow());
    const std::string desktopSigned = SignedHandle(GetDesktopWindow());

    const char* switches[] = {"/p", "-p", "/preview", "/P", "/s", "/a", "/c:", "/c", "", "/sp", "p"};
    const char* quoteLines[] = {
        "\"/p",           "\"/p\" \"",     "/p \"12 34\"",   "\"\" /p",       "\\\"/c\\\"",     "\"/s",
        "/p\"123\"",      "\"\\\"\" /p 1", "\"/c:1234\"",    "/\"p\" 5",      "\"/p 5\"",       "\"\"\"\"\"",
        "\" \" /p",       "/p \"\" 7",     "\\\\\"/p\"",     "\"/s\" \"/p\"", "'/p' '1'",       "/p 1\"2\"3",
        "\"/p\"\"/c\"",   "\\",            "\"",             "\"\t\"",        "/s \"unended",   "\"/p \\\" 9",
    };
    const char* numbers[] = {"99999999999999999999", "-99999999999999999999", "2147483647", "2147483648",
                             "-2147483648",          "-2147483649",           "4294967296", "18446744073709551615",
                             "+7",                   "-0",                    "0x10",       " 123abc",
                             "\t-5",                 "00000000000000000000042", "--5",      "+-5",
                             "1e9",                  "4294967295",            "-1",         "0"};

    std::vector<Line> lines;
    for (size_t index = 0; index < count; ++index) {
        Line line;
        switch (index % 6) {
        case 0:
            line.kind = "random-bytes";
            line.arguments = RandomBytes(random, 1 + random() % 60);
            break;
        case 1: {
            line.kind = "long-argument";
            const size_t length = 1000 + random() % 29000;
            switch (random() % 6) {
            case 0: line.arguments = "/s " + std::string(length, 'A'); break;
            case 1: line.arguments = "/p " + std::string(length, '9'); break;
            case 2: line.arguments = std::string(length, 'x') + " /p 1"; break;
            case 3: line.arguments = std::string(length, '"'); break;
            case 4: line.arguments = "/p" + std::string(length, ' ') + "123"; break;
            default: line.arguments = RandomFrom(random, "abdefghijklmnoqrstuvwxyz/-\\\" 0123456789", length);
            }
            break;
        }
        case 2:
            line.kind = "quotes";
            if (random() % 2)
                line.arguments = quoteLines[random() % (sizeof quoteLines / sizeof quoteLines[0])];
            else
                line.arguments = RandomFrom(random, "\"\\ /ps1c\t", 1 + random() % 20);
            break;
        case 3:
            line.kind = "numbers";
            line.arguments = std::string(switches[random() % (sizeof switches / sizeof switches[0])]) + " " +
                             numbers[random() % (sizeof numbers / sizeof numbers[0])];
            if (random() % 3 == 0)
                line.arguments = "/p " + std::string(random() % 2 ? "-" : "") + RandomFrom(random, "0123456789", 1 + random() % 25);
            break;
        default: {
            line.kind = "handles";
            const std::string previewSwitch = random() % 3 ? "/p " : "-p ";
            switch (index / 6 % 12) {
            case 0: line.arguments = previewSwitch + desktop; break;
            case 1: line.arguments = previewSwitch + desktopSigned + " /x"; break;
            case 2: line.arguments = previewSwitch + "%H"; line.host = HostKind::Visible; break;
            case 3: line.arguments = previewSwitch + "%H"; line.host = HostKind::Hidden; break;
            case 4: line.arguments = previewSwitch + "%H"; line.host = HostKind::Child; break;
            case 5: line.arguments = previewSwitch + "%H"; line.host = HostKind::MessageOnly; break;
            case 6: line.arguments = previewSwitch + destroyedHandle; break;
            case 7: line.arguments = previewSwitch + "0"; break;
            case 8: line.arguments = previewSwitch + "-1"; break;
            case 9: line.arguments = previewSwitch + "4294967295"; break;
            case 10: line.arguments = "/c:" + desktop; break;
            default: line.arguments = "/s " + desktop; break;
            }
        }
        }
        lines.push_back(line);
    }
    return lines;
}

std::string Printable(const std::string& text)
{
    std::string shown;
    for (unsigned char c : text) {
        if (shown.size() >= 70) {
            shown += "...(" + std::to_string(text.size()) + " bytes)";
            break;
        }
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return shown;
}

struct Shown {
    DWORD processId;
    HWND fullScreen = nullptr;
    HWND dialog = nullptr;
    HWND other = nullptr;
};

BOOL CALLBACK FindShown(HWND window, LPARAM data)
{
    auto* shown = reinterpret_cast<Shown*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != shown->processId || !IsWindowVisible(window))
        return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    RECT rect{};
    GetWindowRect(window, &rect);
    if (std::strcmp(className, "#32770") == 0)
        shown->dialog = window;
    else if (rect.left <= 0 && rect.top <= 0 && rect.right >= GetSystemMetrics(SM_CXSCREEN) &&
             rect.bottom >= GetSystemMetrics(SM_CYSCREEN))
        shown->fullScreen = window;
    else
        shown->other = window;
    return TRUE;
}

// The child the saver made in our window, when it made one.
BOOL CALLBACK FindChildOf(HWND window, LPARAM data)
{
    auto* shown = reinterpret_cast<Shown*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == shown->processId)
        shown->other = window;
    return TRUE;
}

void PressEscape()
{
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = VK_ESCAPE;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Saver or debugger processes that are still there.
std::string Leftovers()
{
    std::string found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return "no process list";
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, "Vellumar.scr") == 0 || _stricmp(entry.szExeFile, "winedbg.exe") == 0)
            found += std::string(found.empty() ? "" : " ") + entry.szExeFile;
    CloseHandle(snapshot);
    return found;
}

struct Outcome {
    std::string how;
    bool failed = false;
    DWORD status = 0;
};

Outcome RunLine(const std::string& saver, const Line& line)
{
    HWND outer = nullptr;
    HWND host = MakeHost(line.host, outer);
    std::string arguments = line.arguments;
    const size_t mark = arguments.find("%H");
    if (mark != std::string::npos)
        arguments.replace(mark, 2, HandleText(host));
    std::string commandLine = "\"" + saver + "\" " + arguments;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Outcome outcome;
    if (!CreateProcessA(saver.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        // Only a line longer than the platform takes (32767 characters) may fail here.
        outcome.how = commandLine.size() > 32767 ? "refused by CreateProcess (too long)" : "NOT STARTED";
        outcome.failed = commandLine.size() <= 32767;
        if (outer)
            DestroyWindow(outer);
        return outcome;
    }
    CloseHandle(process.hThread);

    const DWORD start = GetTickCount();
    bool ended = false;
    Shown shown{process.dwProcessId};
    while (!ended && GetTickCount() - start < kStartLimitMs) {
        ended = WaitPumping(process.hProcess, 100);
        if (ended)
            break;
        shown = Shown{process.dwProcessId};
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&shown));
        if (outer && !shown.fullScreen && !shown.dialog) {
            EnumChildWindows(outer, FindChildOf, reinterpret_cast<LPARAM>(&shown));
            // Once the saver draws in our window (or has had time to), the window goes.
            if (shown.other || GetTickCount() - start >= kHostHoldMs)
                break;
        }
        if (shown.fullScreen || shown.dialog)
            break;
    }

    if (ended) {
        outcome.how = "ended by itself";
    } else if (shown.fullScreen || shown.dialog) {
        // Let the window settle (wine's first mouse event comes just after it shows).
        ended = WaitPumping(process.hProcess, 150);
        if (ended) {
            outcome.how = "ended by itself";
        } else {
            SetForegroundWindow(shown.fullScreen ? shown.fullScreen : shown.dialog);
            PressEscape();
            ended = WaitPumping(process.hProcess, kEndLimitMs);
            outcome.how = shown.fullScreen ? "full screen, ended on a key" : "configure dialog, ended on a key";
            if (!ended)
                outcome.how = shown.fullScreen ? "full-screen window, key pressed" : "configure dialog, key pressed";
        }
    } else if (outer) {
        const bool drewInHost = shown.other != nullptr;
        DestroyWindow(outer);
        outer = nullptr;
        ended = WaitPumping(process.hProcess, kEndLimitMs);
        outcome.how = drewInHost ? "preview in our window, ended when it went" : "ended when our window went";
        if (!ended)
            outcome.how = "our window destroyed";
    }
    if (outer)
        DestroyWindow(outer);

    if (!ended) {
        shown = Shown{process.dwProcessId};
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&shown));
        outcome.how = "DID NOT END" + (outcome.how.empty() ? std::string() : " (" + outcome.how + ")");
        outcome.failed = true;
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &outcome.status);
    CloseHandle(process.hProcess);
    if (ended && (outcome.status & 0xC0000000u) == 0xC0000000u) {
        outcome.how = "CRASHED";
        outcome.failed = true;
    }
    // A debugger started for a crash, or a saver started by the saver, would show here.
    for (int i = 0; i < 20; ++i) {
        const std::string left = Leftovers();
        if (left.empty())
            break;
        if (i == 19) {
            outcome.how += ", LEFT BEHIND: " + left;
            outcome.failed = true;
        }
        Sleep(100);
    }
    return outcome;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: HostileLines.exe SAVER COUNT SEED\n");
        return 2;
    }
    const std::string saver = argv[1];
    const std::vector<Line> lines = MakeLines(static_cast<size_t>(std::atol(argv[2])),
                                              static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    std::map<std::string, int> tally;
    int failures = 0;
    for (size_t index = 0; index < lines.size(); ++index) {
        const DWORD start = GetTickCount();
        const Outcome outcome = RunLine(saver, lines[index]);
        std::printf("run %3zu %-13s %-45s status %lu %5lu ms  %s\n", index + 1, lines[index].kind.c_str(),
                    outcome.how.c_str(), static_cast<unsigned long>(outcome.status),
                    static_cast<unsigned long>(GetTickCount() - start), Printable(lines[index].arguments).c_str());
        std::fflush(stdout);
        ++tally[lines[index].kind + ": " + outcome.how + (outcome.status ? ", status " + std::to_string(outcome.status) : "")];
        failures += outcome.failed ? 1 : 0;
    }
    std::printf("summary: %zu lines, %d failed\n", lines.size(), failures);
    for (const auto& [how, count] : tally)
        std::printf("  %4d  %s\n", count, how.c_str());
    return failures == 0 ? 0 : 1;
}
