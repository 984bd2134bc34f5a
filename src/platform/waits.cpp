#include "platform/waits.h"

#include <algorithm>
#include <cmath>

namespace quelm {

void Waits::commandPause(double seconds)
{
    const double t0 = clock_.now();
    for (;;) {
        const double elapsed = std::fabs(clock_.now() - t0);
        events_.serveEvents(std::clamp(seconds - elapsed, 0.0, 0.005));
        if (std::fabs(clock_.now() - t0) > seconds)
            return;
    }
}

void Waits::quietWait(double seconds)
{
    const double t0 = clock_.now();
    while (std::fabs(clock_.now() - t0) <= seconds)
        clock_.sleep(kSlice);
}

bool Waits::quietWaitUntil(double timeout, const std::function<bool()>& done)
{
    const double t0 = clock_.now();
    for (;;) {
        if (done())
            return true;
        if (std::fabs(clock_.now() - t0) > timeout)
            return false;
        clock_.sleep(kSlice);
    }
}

bool Waits::servingWaitUntil(double timeout, const std::function<bool()>& done)
{
    const double t0 = clock_.now();
    for (;;) {
        if (done())
            return true;
        if (timeout >= 0 && std::fabs(clock_.now() - t0) > timeout)
            return false;
        events_.serveEvents(0.005);
    }
}

} // namespace quelm
