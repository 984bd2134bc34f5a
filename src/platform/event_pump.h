#pragma once

namespace quelm {

// Serves pending window events during the waits that allow it (the command pause,
// the waits for the wave device).
class EventPump {
public:
    virtual ~EventPump() = default;
    // Serves every pending event once; when none is pending, blocks for at most
    // maxBlockSeconds waiting for one.
    virtual void serveEvents(double maxBlockSeconds) = 0;
};

class QtEventPump final : public EventPump {
public:
    void serveEvents(double maxBlockSeconds) override;
};

} // namespace quelm
