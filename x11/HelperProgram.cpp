#include "x11/HelperProgram.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <cstring>

#include "x11/QuitSignals.h"

extern char** environ;

namespace {

const char* const kHelperFolders[] = {"/usr/libexec/xscreensaver", "/usr/lib/xscreensaver"};

int64_t MonotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

bool IsExecutableFile(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

// Waits for the child to end, up to `waitMs` and, when `untilQuit`, until a quit signal; true
// when it ended, with its wait status.
bool Reap(pid_t child, int waitMs, bool untilQuit, int& status)
{
    const int64_t end = MonotonicMs() + waitMs;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child)
            return true;
        if (done < 0 && errno != EINTR) {
            status = -1;  // not ours to wait for: no success to report
            return true;
        }
        if (MonotonicMs() >= end || (untilQuit && QuitSignals::Raised()))
            return false;
        // The pipe wakes the wait at once when a quit signal comes; once it has, only time counts.
        pollfd wake{untilQuit ? QuitSignals::WakeDescriptor() : -1, POLLIN, 0};
        poll(&wake, 1, 10);
    }
}

void Stop(pid_t child)
{
    int status = 0;
    kill(child, SIGTERM);
    if (!Reap(child, 1000, false, status)) {
        kill(child, SIGKILL);
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

} // namespace

std::string HelperProgram::Find(const std::string& name, const char* searchPath)
{
    if (searchPath) {
        const std::string folders = searchPath;
        size_t start = 0;
        for (;;) {
            const size_t colon = folders.find(':', start);
            const std::string folder = folders.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
            // An empty entry is the current folder, which a screen saver should not run programs from.
            if (!folder.empty() && folder[0] == '/' && IsExecutableFile(folder + "/" + name))
                return folder + "/" + name;
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
    }
    for (const char* folder : kHelperFolders)
        if (IsExecutableFile(std::string(folder) + "/" + name))
            return std::string(folder) + "/" + name;
    return {};
}

HelperProgram::Outcome HelperProgram::Run(const std::vector<std::string>& arguments, int timeoutMs, std::string& detail)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The helper starts with the signal handling a program expects, not the saver's.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP})
        sigaddset(&defaults, signal);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t child = -1;
    const int failure = posix_spawn(&child, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) {
        detail = std::string("cannot start it: ") + std::strerror(failure);
        return Outcome::Failed;
    }

    int status = 0;
    if (!Reap(child, timeoutMs, true, status)) {
        const bool quit = QuitSignals::Raised();
        Stop(child);
        detail = quit ? "stopped" : "it took longer than " + std::to_string(timeoutMs / 1000) + " s";
        return quit ? Outcome::Quit : Outcome::TimedOut;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return Outcome::Succeeded;
    detail = WIFEXITED(status) ? "it ended with status " + std::to_string(WEXITSTATUS(status))
                               : "it was ended by signal " + std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return Outcome::Failed;
}
