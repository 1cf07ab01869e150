#pragma once
// What the benchmarks share.

#include <ctime>

namespace trevalon {

// The calling thread's CPU time in seconds: what the work costs on a machine that other jobs
// keep busy.
inline double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace trevalon
