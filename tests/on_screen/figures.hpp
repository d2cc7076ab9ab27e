#pragma once

#include "tests/on_screen/x_session.hpp"

#include <vector>

// Summaries of timings and sizes for the benchmark and the soak. Samples
// that could not be measured are NaN and are left out.
namespace blockdrop::window_testing {

double ms_between(Clock::time_point from, Clock::time_point to);

// Nanoseconds a process has spent on a CPU (the first field of schedstat).
double cpu_ns(pid_t pid);

// NaN when there are no samples.
double median(std::vector<double> values);

// The p-th percentile, 0 < p <= 1, by the nearest-rank method; NaN when
// there are no samples.
double percentile(std::vector<double> values, double p);

// The largest magnitude, 0 when there are no samples.
double worst(const std::vector<double>& values);

} // namespace blockdrop::window_testing
