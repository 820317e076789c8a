// Stopwatches on a fake clock: what a second start keeps and what show prints.
#include <gtest/gtest.h>

#include <string>

#include "db/Timer.h"

namespace {

double fakeNow = 0.0;
double fakeClock() { return fakeNow; }

// Swaps the fake clock in for one test and puts the wall clock back.
struct FakeClock {
  FakeClock() { Timer::now = fakeClock; }
  ~FakeClock() { Timer::now = wallClockSeconds; }
};

std::string shown(Timer& t) {
  testing::internal::CaptureStdout();
  t.show();
  return testing::internal::GetCapturedStdout();
}

TEST(Timer, SecondStartKeepsTheFirstStartTime) {
  FakeClock clock;
  Timer t;
  fakeNow = 100.0;
  t.start();
  fakeNow = 103.0;
  t.start();
  fakeNow = 104.5;
  t.stop();
  EXPECT_EQ(t.elapsed, 4.5);
}

// Two decimals; a running timer shows the time so far and keeps counting from the show on.
TEST(Timer, ShowPrintsTwoDecimalsAndKeepsARunningTimerGoing) {
  FakeClock clock;
  Timer t;
  EXPECT_EQ(shown(t), "cost time : 0.00 seconds\n");
  fakeNow = 10.0;
  t.start();
  fakeNow = 11.256;
  EXPECT_EQ(shown(t), "cost time : 1.26 seconds\n");
  fakeNow = 12.5;
  t.stop();
  EXPECT_DOUBLE_EQ(t.elapsed, 2.5);
  EXPECT_EQ(shown(t), "cost time : 2.50 seconds\n");
}

}  // namespace
