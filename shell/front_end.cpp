#include "shell/front_end.hpp"

#include "board/setup.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"

#include <utility>

namespace blockdrop {

double FrontEnd::Rnd()
{
    if (draws_.empty())
        return random_.next();
    return draws_[next_draw_++ % draws_.size()];
}

void FrontEnd::rehearse(std::vector<double> draws, std::chrono::milliseconds period)
{
    draws_ = std::move(draws);
    next_draw_ = 0;
    period_ = period;
}

void FrontEnd::reload(Form1& form)
{
    load_window(form, *this);
    const Time now = this->now();
    if (period_.count() > 0 && form.Clock.Enabled)
        game_.grid.start(now, period_);
    else
        game_.grid.follow(form.Clock, now);
    paint(form);
}

void FrontEnd::key_down(int key_code, int shift)
{
    if (in_tick_ || game_.grid.paused())
        return;
    const Form1 before = game_.form;
    Form_KeyDown(game_.form, key_code, shift);
    if (!(game_.form == before))
        paint(game_.form);
}

bool FrontEnd::tick(Time now)
{
    if (in_tick_ || !game_.form.Clock.Enabled || !game_.grid.take(now))
        return false;
    run_tick();
    return true;
}

void FrontEnd::run_tick()
{
    // Set for the whole tick: a platform whose message box dispatches the
    // window's own events meanwhile must not run a key or a tick inside it.
    // A platform whose box or End unwinds the tick by an exception (to
    // replay it later) gets the flag cleared; one that leaves by other means
    // keeps it set, as the game is over then.
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    };
    in_tick_ = true;
    {
        const Clear clear{in_tick_};
        Clock_Timer(game_.form, *this);
    }
    paint(game_.form);
}

int FrontEnd::wait_ms(Time now) const
{
    return game_.form.Clock.Enabled ? game_.grid.wait_ms(now) : -1;
}

} // namespace blockdrop
