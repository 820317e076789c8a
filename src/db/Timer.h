#pragma once
// Wall-clock stopwatches and processor-time reports.

#include <ctime>

class Timer {
 public:
  Timer() = default;
  virtual ~Timer() {}
  void reset();
  // Starts a stopped timer; a running one keeps its start time.
  void start();
  // Adds the time since start to elapsed; a stopped timer is left alone.
  void stop();
  // Elapsed seconds; a running timer is brought up to date and keeps running.
  float getTime();
  // Prints "cost time : %.2lf seconds\n"; a running timer is brought up to date and keeps running.
  void show();

  double startTime = 0.0;  // wall clock at the last start, seconds
  double elapsed = 0.0;    // accumulated seconds
  int running = 0;         // 1 while running

  // Source of wall-clock readings in seconds; tests replace it with a fake clock.
  static double (*now)();
};

// Wall-clock seconds from gettimeofday.
double wallClockSeconds();

// Process-wide timers, never reset: path rip-up, path commit, cost-map changes around maze
// searches, and the maze searches themselves.
extern Timer t_ripupPath, t_addPath, t_modifyCost, t_mazeKernel;
// Processor clock at process start.
extern std::clock_t totalTime;

// Processor seconds since process start, and between two clock readings.
double cpuSecondsSinceStart();
double cpuSecondsBetween(std::clock_t from, std::clock_t to);

// The four process-wide timers, one labelled line each, then an empty line; flushes stdout.
void printCPUTime();
void printGPUTime();
