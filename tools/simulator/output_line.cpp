#include "simulator/output_line.h"

#include <algorithm>

namespace quelm::sim {

OutputLine::OutputLine(int baud) : baud_(baud), byteTime_(0) { setBaud(baud); }

void OutputLine::setBaud(int baud)
{
    baud_ = std::max(baud, 1);
    byteTime_ = std::chrono::duration_cast<Duration>(std::chrono::seconds(10)) / baud_;
}

void OutputLine::push(const Bytes& frame, Origin origin, Clock::time_point now)
{
    if (frame.empty())
        return;
    Item item{frame, 0, now, Duration(0), origin};
    if (origin == Origin::Echo) {
        // The echo is the bus itself: it does not wait behind a late answer.
        const auto waiting = std::find_if(queue_.begin(), queue_.end(),
                                          [&](const Item& i) { return i.sent == 0 && i.notBefore > now; });
        queue_.insert(waiting, std::move(item));
        return;
    }
    if (origin == Origin::Radio && late_) {
        item.notBefore = now + *late_;
        late_.reset();
    }
    if (origin == Origin::Radio && split_ && frame.size() >= 2) {
        const auto half = frame.begin() + static_cast<std::ptrdiff_t>(frame.size() / 2);
        Item second{Bytes(half, frame.end()), 0, item.notBefore, *split_, origin};
        item.bytes.assign(frame.begin(), half);
        split_.reset();
        queue_.push_back(std::move(item));
        queue_.push_back(std::move(second));
        return;
    }
    queue_.push_back(std::move(item));
}

OutputLine::Clock::time_point OutputLine::startOf(const Item& item) const
{
    return std::max(lineFree_ + item.gapBefore, item.notBefore);
}

std::optional<std::uint8_t> OutputLine::applyByteFaults(std::uint8_t byte)
{
    std::optional<std::uint8_t> out = byte;
    for (auto it = byteFaults_.begin(); it != byteFaults_.end();) {
        if (it->skip > 0) {
            --it->skip;
            ++it;
            continue;
        }
        if (it->drop)
            out.reset();
        else if (out)
            out = static_cast<std::uint8_t>(*out ^ 0xFF);
        it = byteFaults_.erase(it);
    }
    return out;
}

Bytes OutputLine::takeDue(Clock::time_point now)
{
    Bytes out;
    while (!queue_.empty()) {
        Item& item = queue_.front();
        const auto start = startOf(item);
        if (now < start + byteTime_)
            break;
        const auto fit = static_cast<std::size_t>((now - start) / byteTime_);
        const std::size_t n = std::min(fit, item.bytes.size() - item.sent);
        for (std::size_t i = 0; i < n; ++i)
            if (const auto b = applyByteFaults(item.bytes[item.sent + i]))
                out.push_back(*b);
        item.sent += n;
        lineFree_ = start + byteTime_ * static_cast<long>(n);
        item.gapBefore = Duration(0);
        item.notBefore = lineFree_;
        if (item.sent < item.bytes.size())
            break;
        if (sentHook_)
            sentHook_(item.bytes, item.origin, lineFree_);
        queue_.pop_front();
    }
    return out;
}

std::optional<OutputLine::Clock::time_point> OutputLine::nextDue() const
{
    if (queue_.empty())
        return std::nullopt;
    return startOf(queue_.front()) + byteTime_;
}

void OutputLine::clear()
{
    queue_.clear();
    late_.reset();
    split_.reset();
    byteFaults_.clear();
}

}  // namespace quelm::sim
