#include "x11/HelperProgram.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <cstring>

#include "common/MonotonicClock.h"
#include "x11/QuitSignals.h"

extern char** environ;

namespace {

const char* const kHelperFolders[] = {"/usr/libexec/xscreensaver", "/usr/lib/xscreensaver"};

bool IsExecutableFile(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

// Waits for the child to end, up to `waitMs` and, when `untilQuit`, until a quit signal; true
// when it ended. The child is left unreaped, so that its process id (its group's id) is not
// given to another process while the group may still be signalled.
bool AwaitExit(pid_t child, int waitMs, bool untilQuit)
{
    const int64_t end = MonotonicNs() + int64_t{waitMs} * 1000000;
    for (;;) {
        siginfo_t info{};
        const int waited = waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT);
        if (waited == 0 && info.si_pid == child)
            return true;
        if (waited < 0 && errno != EINTR)
            return true;  // not ours to wait for: Reap tells
        if (MonotonicNs() >= end || (untilQuit && QuitSignals::Raised()))
            return false;
        // The pipe wakes the wait at once when a quit signal comes; once it has, only time counts.
        pollfd wake{untilQuit ? QuitSignals::WakeDescriptor() : -1, POLLIN, 0};
        poll(&wake, 1, 10);
    }
}

// The child's wait status once it has ended; -1 when it cannot be had.
int Reap(pid_t child)
{
    int status = 0;
    for (;;) {
        if (waitpid(child, &status, 0) == child)
            return status;
        if (errno != EINTR)
            return -1;
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
    // In a process group of its own, so that whatever it starts ends with it.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    pid_t child = -1;
    const int failure = posix_spawn(&child, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) {
        detail = std::string("cannot start it: ") + std::strerror(failure);
        return Outcome::Failed;
    }
    // The child does it too; here as well, so that the group exists before anything signals
    // it (a child that has run its program already refuses, harmlessly).
    setpgid(child, child);
    const pid_t group = child;

    const bool ended = AwaitExit(child, timeoutMs, true);
    const bool quit = !ended && QuitSignals::Raised();
    if (!ended) {
        kill(-group, SIGTERM);
        AwaitExit(child, 1000, false);
    }
    // What is left of the group (the helper after its grace, programs it started and left
    // behind) goes now, while the unreaped helper keeps the group's id from being reused.
    kill(-group, SIGKILL);
    const int status = Reap(child);
    if (!ended) {
        detail = quit ? "stopped" : "it took longer than " + std::to_string(timeoutMs / 1000) + " s";
        return quit ? Outcome::Quit : Outcome::TimedOut;
    }
    if (status == -1) {
        detail = "its end could not be learnt";
        return Outcome::Failed;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return Outcome::Succeeded;
    detail = WIFEXITED(status) ? "it ended with status " + std::to_string(WEXITSTATUS(status))
                               : "it was ended by signal " + std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return Outcome::Failed;
}
