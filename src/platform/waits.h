#pragma once

#include <functional>

#include "platform/clock.h"
#include "platform/event_pump.h"

namespace quelm {

class Waits {
public:
    Waits(Clock& clock, EventPump& events) : clock_(clock), events_(events) {}

    // The command pause: serves pending window events, at least once, until more
    // than `seconds` have passed.
    void commandPause(double seconds);

    // Waits `seconds` serving no window events, sleeping in short slices.
    void quietWait(double seconds);

    // Serving no window events, waits until `done` is true or more than `timeout`
    // seconds have passed; returns the last result of `done`.
    bool quietWaitUntil(double timeout, const std::function<bool()>& done);

    // Serving window events, waits until `done` is true or more than `timeout`
    // seconds have passed (timeout < 0: no limit); returns the last result of `done`.
    bool servingWaitUntil(double timeout, const std::function<bool()>& done);

    Clock& clock() { return clock_; }
    EventPump& events() { return events_; }

    // Length of one sleep inside the quiet waits.
    static constexpr double kSlice = 0.001;

private:
    Clock& clock_;
    EventPump& events_;
};

} // namespace quelm
