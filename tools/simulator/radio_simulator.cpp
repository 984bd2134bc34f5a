#include "simulator/radio_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <stdexcept>

#include "simulator/simulator_impl.h"

namespace quelm::sim {

namespace {

using Clock = OutputLine::Clock;

// With nothing to send the loop still wakes now and then; every real event
// (input, control, an open or close of the device) wakes it at once.
constexpr auto kIdleWait = std::chrono::milliseconds(50);

std::string wallClockStamp()
{
    const auto now = std::chrono::system_clock::now();
    const auto t = std::chrono::system_clock::to_time_t(now);
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1'000'000;
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%06lldZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<long long>(us));
    return buf;
}

}  // namespace

RadioSimulator::Impl::Impl(SimulatorOptions opts) : options(std::move(opts)), model(options), line(options.baudRate)
{
}

RadioSimulator::Impl::~Impl() { stop(); }

void RadioSimulator::Impl::start()
{
    std::lock_guard lock(mutex);
    if (running)
        return;
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make the simulator's wake-up pipe");
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    try {
        port.open(options.symlinkPath);
    } catch (...) {
        ::close(wakeRead_);
        ::close(wakeWrite_);
        wakeRead_ = wakeWrite_ = -1;
        throw;
    }
    if (!options.logFilePath.empty())
        logFile.open(options.logFilePath, std::ios::app);
    stopping = false;
    running = true;
    thread_ = std::thread([this] { run(); });
}

void RadioSimulator::Impl::stop()
{
    {
        std::lock_guard lock(mutex);
        if (!running)
            return;
        stopping = true;
    }
    wake();
    thread_.join();
    std::lock_guard lock(mutex);
    port.close();
    line.clear();
    assembler.reset();
    logFile.close();
    ::close(wakeRead_);
    ::close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
    running = false;
    changed.notify_all();
}

void RadioSimulator::Impl::wake()
{
    if (wakeWrite_ >= 0) {
        const char c = 1;
        [[maybe_unused]] const auto n = ::write(wakeWrite_, &c, 1);
    }
}

void RadioSimulator::Impl::run()
{
    while (!stopping) {
        pollfd fds[3] = {{wakeRead_, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLIN, 0}};
        timespec timeout{};
        {
            std::lock_guard lock(mutex);
            fds[1].fd = port.watchFd();
            fds[2].fd = port.masterFd();
            auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(kIdleWait);
            if (const auto due = line.nextDue())
                wait = std::clamp(std::chrono::duration_cast<std::chrono::nanoseconds>(*due - Clock::now()),
                                  std::chrono::nanoseconds(0), wait);
            timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
        }
        ppoll(fds, 3, &timeout, nullptr);
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        std::lock_guard lock(mutex);
        const auto now = Clock::now();
        port.serviceWatch();  // before the input: a new opener's first frame gets its answer
        serviceInput(now);
        serviceOutput(Clock::now());
        changed.notify_all();
    }
}

void RadioSimulator::Impl::serviceInput(Clock::time_point now)
{
    if (!port.isOpen())
        return;
    std::uint8_t buf[512];
    for (;;) {
        const ssize_t n = ::read(port.masterFd(), buf, sizeof buf);
        if (n <= 0)
            return;
        for (ssize_t i = 0; i < n; ++i)
            if (auto frame = assembler.feed(buf[i]))
                onFrame(*frame, now);
    }
}

void RadioSimulator::Impl::serviceOutput(Clock::time_point now)
{
    const Bytes due = line.takeDue(now);
    // A closed port loses what the radio sends, as a real line would.
    if (due.empty() || !port.isOpen() || !port.clientOpen())
        return;
    std::size_t off = 0;
    while (off < due.size()) {
        const ssize_t n = ::write(port.masterFd(), due.data() + off, due.size() - off);
        if (n <= 0)
            return;  // nobody reads and the line is full: the rest is lost
        off += static_cast<std::size_t>(n);
    }
}

void RadioSimulator::Impl::onFrame(const Bytes& frame, Clock::time_point now)
{
    frames.push_back({now, frame});
    writeLog(frame);
    if (silentForever)
        return;
    if (silentFrames > 0) {
        --silentFrames;
        return;
    }
    line.push(frame, OutputLine::Origin::Echo, now);
    if (const auto answer = model.answer(frame))
        line.push(*answer, OutputLine::Origin::Radio, now);
}

void RadioSimulator::Impl::writeLog(const Bytes& frame)
{
    if (logFile.is_open())
        logFile << wallClockStamp() << ' ' << toHex(frame) << std::endl;
}

void RadioSimulator::Impl::sendFromRadio(const Bytes& frame)
{
    line.push(frame, OutputLine::Origin::Radio, Clock::now());
    wake();
}

// ---- the public face ----

RadioSimulator::RadioSimulator(SimulatorOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

RadioSimulator::~RadioSimulator() = default;

void RadioSimulator::start() { impl_->start(); }
void RadioSimulator::stop() { impl_->stop(); }

bool RadioSimulator::running() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->running;
}

std::string RadioSimulator::devicePath() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->port.path();
}

bool RadioSimulator::clientOpen() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->port.isOpen() && impl_->port.clientOpen();
}

std::string RadioSimulator::control(const std::string& line) { return impl_->control(line); }

std::vector<LoggedFrame> RadioSimulator::log() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->frames;
}

std::size_t RadioSimulator::logSize() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->frames.size();
}

void RadioSimulator::clearLog()
{
    std::lock_guard lock(impl_->mutex);
    impl_->frames.clear();
}

bool RadioSimulator::waitForFrames(std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->frames.size() >= n; });
}

std::optional<LoggedFrame> RadioSimulator::waitForFrame(const std::function<bool(const Bytes&)>& pred,
                                                        std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(impl_->mutex);
    std::optional<LoggedFrame> found;
    std::size_t checked = 0;
    impl_->changed.wait_for(lock, timeout, [&] {
        for (; checked < impl_->frames.size(); ++checked)
            if (pred(impl_->frames[checked].bytes)) {
                found = impl_->frames[checked];
                return true;
            }
        return false;
    });
    return found;
}

bool RadioSimulator::waitForOutputDrained(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->line.empty() || !impl_->running; });
}

void RadioSimulator::onRadioFrameSent(SentHook hook)
{
    std::lock_guard lock(impl_->mutex);
    if (!hook) {
        impl_->line.setSentHook({});
        return;
    }
    impl_->line.setSentHook([hook = std::move(hook)](const Bytes& frame, OutputLine::Origin origin,
                                                     OutputLine::Clock::time_point lastByteLeft) {
        if (origin == OutputLine::Origin::Radio)
            hook(frame, lastByteLeft);
    });
}

RadioState RadioSimulator::state() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->model.state();
}

}  // namespace quelm::sim
