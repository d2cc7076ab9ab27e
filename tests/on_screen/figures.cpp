#include "tests/on_screen/figures.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

namespace blockdrop::window_testing {

double cpu_ns(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = 0;
    file >> ns;
    return ns;
}
namespace {

std::vector<double> measured(std::vector<double> values)
{
    std::erase_if(values, [](double v) { return std::isnan(v); });
    std::sort(values.begin(), values.end());
    return values;
}

} // namespace

double ms_between(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values)
{
    values = measured(std::move(values));
    if (values.empty())
        return NAN;
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double percentile(std::vector<double> values, double p)
{
    values = measured(std::move(values));
    if (values.empty())
        return NAN;
    const auto index =
        static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

double worst(const std::vector<double>& values)
{
    double most = 0;
    for (const double v : values)
        most = std::max(most, std::fabs(v));
    return most;
}

} // namespace blockdrop::window_testing
