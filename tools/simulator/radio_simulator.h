#pragma once

// A simulated IC-746 behind a pseudo-terminal. The program under test opens
// devicePath() as its serial port; the simulator answers as the radio at 0x56.
// It runs on a thread of its own between start() and stop(). Every member is
// safe to call from any thread.
//
//   quelm::sim::RadioSimulator sim;            // 9600 baud, S-meter wandering
//   sim.start();
//   openTheProgramOn(sim.devicePath());
//   sim.control("dial 14074000");              // turns the dial: transceive report
//   ASSERT_TRUE(sim.waitForFrames(3, std::chrono::seconds(2)));
//   auto frames = sim.log();                   // what the program sent, in order
//
// control() takes the same line commands as the quelm-sim standard input; see
// README.md beside this file.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quelm::sim {

using Bytes = std::vector<std::uint8_t>;

struct SimulatorOptions {
    int baudRate = 9600;             // output is paced at 10 bits per byte
    std::string symlinkPath;         // when set, a symbolic link to the device path
    std::string logFilePath;         // when set, every received frame is appended as hex
    std::uint32_t sMeterSeed = 746;  // the wandering S-meter is a seeded random walk
    bool sMeterWanders = true;       // false: the reading stays at sMeterStart
    int sMeterStart = 120;
};

// One frame as the simulator received it (FE FE ... FD, exactly the bytes).
struct LoggedFrame {
    std::chrono::steady_clock::time_point when;
    Bytes bytes;
};

// The 38 bytes of a memory channel after its two channel bytes, exactly as they
// stand in the channel frame: flags, RX frequency, RX mode, filter, tone flags,
// tones, TX side, nine name characters.
using ChannelContents = std::array<std::uint8_t, 38>;

struct VfoState {
    std::uint32_t frequencyHz = 14074000;
    std::uint8_t mode = 0x01;     // mode code: 00 LSB, 01 USB, 02 AM, 03 CW, 04 RTTY, 05 FM, 07 CW-R, 08 RTTY-R
    std::uint8_t filter = 0x01;   // filter byte reported with the mode (01 .. 03)
};

struct RadioState {
    std::array<VfoState, 2> vfo{};          // [0] = A, [1] = B
    int selectedVfo = 0;                    // 0 = A, 1 = B
    bool split = false;
    std::uint8_t duplex = 0x10;             // 10 off, 11 DUP-, 12 DUP+
    std::uint8_t stepCode = 0x02;           // command 10 data byte
    std::map<std::uint8_t, std::uint8_t> functions;  // command 16 sub-command -> value
    std::map<std::uint8_t, int> levels;              // command 14 sub-command -> 0..255
    bool transmitting = false;              // 1C 00
    std::array<std::optional<ChannelContents>, 100> channels{};  // index 1..99; empty = nullopt
    std::array<std::string, 5> keyer{};     // index 1..4, 50 characters each
    int sMeter = 120;
    bool sMeterWanders = true;

    const VfoState& current() const { return vfo[static_cast<std::size_t>(selectedVfo)]; }
};

class RadioSimulator {
public:
    explicit RadioSimulator(SimulatorOptions options = {});
    ~RadioSimulator();  // stops
    RadioSimulator(const RadioSimulator&) = delete;
    RadioSimulator& operator=(const RadioSimulator&) = delete;

    // Opens the pseudo-terminal pair and starts the radio's thread. Throws
    // std::runtime_error when no pseudo-terminal can be had.
    void start();
    void stop();
    bool running() const;

    // The slave side the program opens ("/dev/pts/N"); after "unplug"/"plug" a new one.
    std::string devicePath() const;
    // True while some process other than the simulator has the device open.
    bool clientOpen() const;

    // One control-channel line, e.g. "dial 14074000", "mode FM", "late 150".
    // Returns "ok", a reading ("ok 14074000"), or "error: ..." for a line it
    // cannot take (nothing changes then).
    std::string control(const std::string& line);

    // Every frame received since start (or clearLog), oldest first.
    std::vector<LoggedFrame> log() const;
    std::size_t logSize() const;
    void clearLog();
    // Until the log holds at least n frames; false on timeout.
    bool waitForFrames(std::size_t n, std::chrono::milliseconds timeout) const;
    // Until a logged frame satisfies pred; returns it, or nullopt on timeout.
    std::optional<LoggedFrame> waitForFrame(const std::function<bool(const Bytes&)>& pred,
                                            std::chrono::milliseconds timeout) const;
    // Until everything queued for output has gone out on the line; false on timeout.
    bool waitForOutputDrained(std::chrono::milliseconds timeout) const;

    // Told of each frame the radio sends (answers, reports; not the echoes) as
    // its last byte leaves, with the moment it left by the line's own pacing
    // clock: the ideal time, not when the radio's thread wrote it out. Runs on
    // the radio's thread with its lock held: it must not call the simulator.
    // An empty hook stops the telling.
    using SentHook = std::function<void(const Bytes& frame, std::chrono::steady_clock::time_point lastByteLeft)>;
    void onRadioFrameSent(SentHook hook);

    // A consistent copy of the radio's state.
    RadioState state() const;
    std::uint32_t frequencyHz() const { return state().current().frequencyHz; }
    std::uint8_t modeCode() const { return state().current().mode; }

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Helpers shared by the simulator, its tests and end-to-end tests.
std::string toHex(const Bytes& bytes);                 // "FE FE 56 E0 03 FD"
std::optional<Bytes> fromHex(const std::string& text); // accepts blanks between pairs

}  // namespace quelm::sim
