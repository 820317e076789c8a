// Stopwatch semantics against a fake clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "db/Timer.h"

namespace {

double fakeNow = 0.0;
double fakeClock() { return fakeNow; }

struct FakeClock : ::testing::Test {
  void SetUp() override {
    saved = Timer::now;
    Timer::now = fakeClock;
    fakeNow = 100.0;
  }
  void TearDown() override { Timer::now = saved; }
  double (*saved)() = nullptr;
};

TEST_F(FakeClock, SecondStartKeepsTheFirstStartTime) {
  Timer t;
  t.start();
  fakeNow = 101.0;
  t.start();
  fakeNow = 103.0;
  t.stop();
  EXPECT_DOUBLE_EQ(t.elapsed, 3.0);
  EXPECT_EQ(t.running, 0);
}

TEST_F(FakeClock, StopAndGetTimeOnAStoppedTimerChangeNothing) {
  Timer t;
  t.start();
  fakeNow = 102.0;
  t.stop();
  fakeNow = 150.0;
  t.stop();
  EXPECT_FLOAT_EQ(t.getTime(), 2.0f);
  EXPECT_DOUBLE_EQ(t.elapsed, 2.0);
}

TEST_F(FakeClock, GetTimeAndShowBringARunningTimerUpToDate) {
  Timer t;
  t.start();
  fakeNow = 101.5;
  EXPECT_FLOAT_EQ(t.getTime(), 1.5f);
  EXPECT_EQ(t.running, 1);
  fakeNow = 102.0;
  ::testing::internal::CaptureStdout();
  t.show();
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "cost time : 2.00 seconds\n");
  EXPECT_EQ(t.running, 1);
  fakeNow = 105.0;
  t.stop();  // only the time after show() is added
  EXPECT_DOUBLE_EQ(t.elapsed, 5.0);
}

TEST_F(FakeClock, ResetStopsWithoutAdding) {
  Timer t;
  t.start();
  fakeNow = 110.0;
  t.reset();
  EXPECT_EQ(t.running, 0);
  EXPECT_DOUBLE_EQ(t.elapsed, 0.0);
}

TEST(TimerReport, PrintCpuTimeListsTheFourTimers) {
  ::testing::internal::CaptureStdout();
  printCPUTime();
  const std::string out = ::testing::internal::GetCapturedStdout();
  // Labels in order, each sharing its line with a show() text, then an empty line.
  const char* labels[] = {"CPU: ripupPath cost time : ", "CPU: addPath cost time : ", "CPU: modifyCost cost time : ",
                          "CPU: mazeKernel cost time : "};
  std::size_t at = 0;
  for (const char* l : labels) {
    const std::size_t p = out.find(l, at);
    ASSERT_EQ(p, at) << out;
    at = out.find('\n', p) + 1;
  }
  EXPECT_EQ(out.substr(at), "\n");
}

}  // namespace
