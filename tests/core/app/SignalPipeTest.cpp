#include <gtest/gtest.h>
#include <signal.h>

#include "core/app/SignalPipe.h"

namespace tervil {
namespace {

TEST(SignalPipe, SignalsArriveAsBytesInOrder) {
  TSignalPipe pipe({SIGTERM, SIGHUP});
  ASSERT_GE(pipe.ReadFd(), 0);
  EXPECT_TRUE(pipe.TakeSignals().empty());
  ::raise(SIGHUP);
  ::raise(SIGTERM);
  EXPECT_EQ(pipe.TakeSignals(), (std::vector<int>{SIGHUP, SIGTERM}));
  EXPECT_TRUE(pipe.TakeSignals().empty());
}

TEST(SignalPipe, DefaultHandlingReturnsWhenItGoes) {
  { TSignalPipe pipe({SIGHUP}); }
  struct sigaction action {};
  ::sigaction(SIGHUP, nullptr, &action);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace tervil
