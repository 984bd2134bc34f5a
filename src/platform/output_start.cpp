#include "platform/output_start.h"

#include <algorithm>

namespace quelm::wave {

void OutputStartWatch::reset(double bufferMs)
{
    *this = OutputStartWatch();
    runMs_ = std::max(kRunMs, bufferMs + kBeyondBufferMs);
}

void OutputStartWatch::startRun(double clockMs, double playedMs)
{
    runClock_ = clockMs;
    runPlayed_ = playedMs;
}

bool OutputStartWatch::look(double clockMs, double playedMs)
{
    if (playing_)
        return true;
    if (!looked_ || playedMs < lastPlayed_) {
        // The first look, or a stream that has started over.
        looked_ = true;
        startRun(clockMs, playedMs);
        lastMoved_ = clockMs;
    } else if (playedMs > lastPlayed_) {
        // A stall ends at the look before this one, not at this one.
        if (clockMs - lastMoved_ >= kStallMs)
            startRun(lastClock_, lastPlayed_);
        lastMoved_ = clockMs;
        const double played = playedMs - runPlayed_;
        const double elapsed = clockMs - runClock_;
        if (played > elapsed + kSlackMs || played < elapsed / 2 - kSlackMs)
            startRun(clockMs, playedMs); // out of step with the clock
        else if (played >= runMs_)
            playing_ = true;
    }
    lastClock_ = clockMs;
    lastPlayed_ = playedMs;
    return playing_;
}

} // namespace quelm::wave
