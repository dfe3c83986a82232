// Ctrl-C, SIGTERM, SIGHUP: the first is noted, a second ends the process at once with status
// 130; one that the program was started with ignored (a background job's) stays ignored.
#include "platform/Interruption.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>

#include <cstdio>
#include <cstdlib>

namespace Dexal {
namespace {

TEST(InterruptionDeathTest, FirstIsNotedSecondEndsAtOnce) {
  EXPECT_EXIT(
      {
        signal(SIGHUP, SIG_IGN);
        CatchInterruptions();
        raise(SIGHUP);
        std::fputs(Interrupted() ? "ignored SIGHUP noted\n" : "", stderr);
        raise(SIGTERM);
        std::fputs(Interrupted() ? "noted\n" : "not noted\n", stderr);
        raise(SIGINT);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(kExitInterrupted), "^noted\n$");
}

}  // namespace
}  // namespace Dexal
#endif
