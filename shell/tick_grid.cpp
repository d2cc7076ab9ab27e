#include "shell/tick_grid.hpp"

#include "board/form.hpp"

#include <climits>

namespace blockdrop {

void TickGrid::start(Time now, std::chrono::milliseconds interval)
{
    // A clock with no period would fire on every pass of the event loop.
    interval_ = interval.count() > 0 ? Duration(interval) : Duration(std::chrono::milliseconds(1));
    deadline_ = now + interval_;
    left_ = interval_;
    running_ = true;
}

void TickGrid::pause(Time now)
{
    if (paused_)
        return;
    paused_ = true;
    left_ = deadline_ > now ? deadline_ - now : Duration::zero();
}

void TickGrid::resume(Time now)
{
    if (!paused_)
        return;
    paused_ = false;
    deadline_ = now + left_;
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
    if (!running_ || paused_ || now < deadline_)
        return false;
    const auto missed = (now - deadline_) / interval_;
    deadline_ += (missed + 1) * interval_;
    return true;
}

void TickGrid::restore(const Saved& saved)
{
    running_ = saved.running;
    paused_ = saved.paused;
    deadline_ = Time(saved.deadline);
    left_ = saved.left;
    interval_ = saved.interval;
}

int TickGrid::wait_ms(Time now) const
{
    if (!running_ || paused_)
        return -1;
    if (now >= deadline_)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - now).count();
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

} // namespace blockdrop
