#include "x11/QuitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace {

volatile sig_atomic_t raised = 0;
int pipeEnds[2] = {-1, -1};

void OnQuitSignal(int)
{
    // The interrupted code may be about to read errno (a poll that saw EINTR); a full pipe
    // would have the write leave EAGAIN there.
    const int interruptedErrno = errno;
    raised = 1;
    if (pipeEnds[1] >= 0)
        (void)!write(pipeEnds[1], "q", 1);
    errno = interruptedErrno;
}

} // namespace

bool QuitSignals::Install()
{
    if (pipeEnds[0] < 0 && pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    return true;
}

int QuitSignals::WakeDescriptor()
{
    return pipeEnds[0];
}

bool QuitSignals::Raised()
{
    return raised != 0;
}
