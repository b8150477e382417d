#include "x11/QuitSignals.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>

// A signal may come between a call that failed and the code that reads its errno; the
// handler must leave errno as it was, also when its wake-up byte no longer fits the pipe.
TEST(QuitSignalsTest, TheHandlerLeavesErrnoAsItFoundIt)
{
    ASSERT_TRUE(QuitSignals::Install());
    // The smallest pipe fills after a page of signals; the writes after that fail.
    const int pipeBytes = fcntl(QuitSignals::WakeDescriptor(), F_SETPIPE_SZ, 4096);
    ASSERT_GT(pipeBytes, 0);
    for (int k = 0; k <= pipeBytes; ++k) {
        errno = EDOM;
        raise(SIGHUP);
        ASSERT_EQ(errno, EDOM) << "after signal " << k + 1;
    }
    EXPECT_TRUE(QuitSignals::Raised());
}
