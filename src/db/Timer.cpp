#include "db/Timer.h"

#include <sys/time.h>

#include <cstdio>

double wallClockSeconds() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  return double(tv.tv_sec) + double(tv.tv_usec) / 1000000.0;
}

double (*Timer::now)() = wallClockSeconds;

void Timer::reset() {
  elapsed = 0.0;
  running = 0;
}

void Timer::start() {
  if (running == 0) {
    startTime = now();
    running = 1;
  }
}

void Timer::stop() {
  if (running == 1) {
    elapsed += now() - startTime;
    running = 0;
  }
}

float Timer::getTime() {
  if (running == 1) {
    elapsed += now() - startTime;
    startTime = now();
  }
  return float(elapsed);
}

void Timer::show() {
  if (running == 1) elapsed += now() - startTime;
  std::printf("cost time : %.2lf seconds\n", elapsed);
  if (running == 1) startTime = now();
}

// Constructed in this order at start-up; totalTime is read after them.
Timer t_ripupPath, t_addPath, t_modifyCost, t_mazeKernel;
std::clock_t totalTime = std::clock();

double cpuSecondsBetween(std::clock_t from, std::clock_t to) { return double(to - from) / 1000000.0; }

double cpuSecondsSinceStart() { return cpuSecondsBetween(totalTime, std::clock()); }

void printCPUTime() {
  std::printf("CPU: ripupPath ");
  t_ripupPath.show();
  std::printf("CPU: addPath ");
  t_addPath.show();
  std::printf("CPU: modifyCost ");
  t_modifyCost.show();
  std::printf("CPU: mazeKernel ");
  t_mazeKernel.show();
  std::printf("\n");
  std::fflush(stdout);
}

void printGPUTime() {}
