#pragma once

namespace quelm {

// Monotonic seconds: the waits compare differences only, so a wait never ends
// early when the time of day wraps at midnight. Tests inject a fake.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() = 0;
    // Gives up the processor for about this long (fake clocks just advance).
    virtual void sleep(double seconds) = 0;
};

class SteadyClock final : public Clock {
public:
    double now() override;
    void sleep(double seconds) override;
};

} // namespace quelm
