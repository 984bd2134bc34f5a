#pragma once

// The radio's transmit side of the serial line: a queue of frames that leave
// at the byte time of the baud rate (10 bits a byte), with the line faults
// that can be armed for the next byte or frame. Pure logic: the caller passes
// the time, so nothing here sleeps.

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "simulator/radio_simulator.h"

namespace quelm::sim {

class OutputLine {
public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::nanoseconds;

    // Echo: the program's own frame heard back on the bus. Radio: a frame the
    // radio sends (answer, report, injected); only these take frame faults.
    enum class Origin { Echo, Radio };

    explicit OutputLine(int baud);
    void setBaud(int baud);
    int baud() const { return baud_; }
    Duration byteTime() const { return byteTime_; }

    void push(const Bytes& frame, Origin origin, Clock::time_point now);

    // Frame faults for the next Radio frame pushed.
    void armLate(Duration delay) { late_ = delay; }
    void armSplit(Duration gap) { split_ = gap; }
    // Byte faults: `skip` bytes after the next one still go out intact.
    void armCorrupt(std::size_t skip) { byteFaults_.push_back({skip, false}); }
    void armDrop(std::size_t skip) { byteFaults_.push_back({skip, true}); }

    // Every byte whose last bit has left the line by `now`, faults applied.
    Bytes takeDue(Clock::time_point now);
    // Told of each frame (each half of a split one) as takeDue lets its last
    // byte go, with the moment that byte had left by the line's own pacing:
    // the ideal time, however late takeDue is asked.
    using SentHook = std::function<void(const Bytes& frame, Origin origin, Clock::time_point lastByteLeft)>;
    void setSentHook(SentHook hook) { sentHook_ = std::move(hook); }
    // When the next byte will have left; nullopt with nothing queued.
    std::optional<Clock::time_point> nextDue() const;
    bool empty() const { return queue_.empty(); }
    void clear();

private:
    struct Item {
        Bytes bytes;
        std::size_t sent = 0;
        Clock::time_point notBefore;
        Duration gapBefore{0};  // quiet time after the previous item ends
        Origin origin = Origin::Radio;
    };
    struct ByteFault {
        std::size_t skip;
        bool drop;
    };

    Clock::time_point startOf(const Item& item) const;
    // The byte as it reaches the far end; nullopt when it is lost.
    std::optional<std::uint8_t> applyByteFaults(std::uint8_t byte);

    int baud_;
    Duration byteTime_;
    std::deque<Item> queue_;
    Clock::time_point lineFree_{};
    std::optional<Duration> late_;
    std::optional<Duration> split_;
    std::vector<ByteFault> byteFaults_;
    SentHook sentHook_;
};

}  // namespace quelm::sim
