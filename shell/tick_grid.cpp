#include "shell/tick_grid.hpp"

#include "board/form.hpp"

#include <climits>

namespace blockdrop {

void TickGrid::start(Time now, std::chrono::milliseconds interval)
{
    // A clock with no period would fire on every pass of the event loop.
    interval_ = interval.count() > 0 ? Duration(interval) : Duration(std::chrono::milliseconds(1));
    deadline_ = now + interval_;
    running_ = true;
}

void TickGrid::follow(const Timer& clock, Time now)
{
    if (clock.Enabled)
        start(now, std::chrono::milliseconds(clock.Interval));
    else
        stop();
}

bool TickGrid::take(Time now)
{
    if (!running_ || now < deadline_)
        return false;
    const auto missed = (now - deadline_) / interval_;
    deadline_ += (missed + 1) * interval_;
    return true;
}

int TickGrid::wait_ms(Time now) const
{
    if (!running_)
        return -1;
    if (now >= deadline_)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - now).count();
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

} // namespace blockdrop
