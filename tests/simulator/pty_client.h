#pragma once

// The far end of the simulator's line, as a program would hold it: the slave
// device opened with plain POSIX calls and set raw.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simulator/radio_simulator.h"

namespace quelm::sim::testing {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

inline Bytes hex(const std::string& text)
{
    auto b = fromHex(text);
    EXPECT_TRUE(b.has_value()) << "bad hex in test: " << text;
    return b.value_or(Bytes{});
}

class PtyClient {
public:
    explicit PtyClient(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0) {
            termios t{};
            tcgetattr(fd_, &t);
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~PtyClient() { close(); }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    void send(const Bytes& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    void send(const std::string& hexText) { send(hex(hexText)); }

    // Bytes until `count` have come or the timeout has passed.
    Bytes readBytes(std::size_t count, Ms timeout = 1000ms)
    {
        Bytes out;
        const auto deadline = SteadyClock::now() + timeout;
        while (out.size() < count && readSome(out, deadline)) {
        }
        return out;
    }

    // Whatever arrives within the window (for "nothing more comes").
    Bytes readFor(Ms window)
    {
        Bytes out;
        const auto deadline = SteadyClock::now() + window;
        while (readSome(out, deadline)) {
        }
        return out;
    }

    // Frames (runs ending in FD) until `n` have come or the timeout has passed.
    std::vector<Bytes> readFrames(std::size_t n, Ms timeout = 1000ms)
    {
        std::vector<Bytes> frames;
        const auto deadline = SteadyClock::now() + timeout;
        while (frames.size() < n) {
            Bytes chunk;
            if (!readSome(chunk, deadline, 1))
                break;
            pending_.push_back(chunk[0]);
            if (chunk[0] == 0xFD) {
                frames.push_back(pending_);
                pending_.clear();
            }
        }
        return frames;
    }

    // Sends one frame and takes its echo and the answer.
    Bytes ask(const std::string& hexText)
    {
        const Bytes frame = hex(hexText);
        send(frame);
        auto frames = readFrames(2);
        EXPECT_EQ(frames.size(), 2u) << "for " << hexText;
        if (frames.size() < 2)
            return {};
        EXPECT_EQ(frames[0], frame) << "echo of " << hexText;
        return frames[1];
    }

    // The result of the last read: 0 at end of file, -1 with errno otherwise.
    ssize_t lastRead() const { return last_; }

private:
    bool readSome(Bytes& out, SteadyClock::time_point deadline, std::size_t max = 512)
    {
        const auto left = std::chrono::duration_cast<Ms>(deadline - SteadyClock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0)
            return false;
        std::uint8_t buf[512];
        last_ = ::read(fd_, buf, std::min<std::size_t>(max, sizeof buf));
        if (last_ <= 0)
            return false;
        out.insert(out.end(), buf, buf + last_);
        return true;
    }

    int fd_ = -1;
    ssize_t last_ = 0;
    Bytes pending_;
};

// A running simulator and one client on its line.
class SimulatorTest : public ::testing::Test {
protected:
    explicit SimulatorTest(SimulatorOptions o = fastOptions()) : sim(std::move(o)) {}

    static SimulatorOptions fastOptions()
    {
        SimulatorOptions o;
        o.baudRate = 38400;
        return o;
    }

    void SetUp() override
    {
        sim.start();
        client = std::make_unique<PtyClient>(sim.devicePath());
        ASSERT_TRUE(client->isOpen());
    }

    RadioSimulator sim;
    std::unique_ptr<PtyClient> client;
};

}  // namespace quelm::sim::testing
