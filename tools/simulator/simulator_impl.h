#pragma once

// Inside of RadioSimulator: shared by the I/O thread (radio_simulator.cpp)
// and the control channel (control_commands.cpp). Everything below `mutex`
// is guarded by it.

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "simulator/civ_frames.h"
#include "simulator/output_line.h"
#include "simulator/pty_port.h"
#include "simulator/radio_model.h"
#include "simulator/radio_simulator.h"

namespace quelm::sim {

class RadioSimulator::Impl {
public:
    explicit Impl(SimulatorOptions options);
    ~Impl();

    void start();
    void stop();

    // The control channel; called with the mutex NOT held.
    std::string control(const std::string& line);

    const SimulatorOptions options;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;  // log grew, output drained, stopped
    RadioModel model;
    OutputLine line;
    PtyPort port;
    FrameAssembler assembler;
    std::vector<LoggedFrame> frames;
    std::ofstream logFile;
    std::size_t silentFrames = 0;     // frames still to ignore
    bool silentForever = false;
    bool running = false;
    std::atomic<bool> stopping{false};

private:
    void run();
    void wake();
    void serviceInput(OutputLine::Clock::time_point now);
    void serviceOutput(OutputLine::Clock::time_point now);
    void onFrame(const Bytes& frame, OutputLine::Clock::time_point now);
    void writeLog(const Bytes& frame);

    // Control commands, each with the mutex held; the reply text.
    std::string dispatch(const std::string& verb, std::istringstream& args);
    std::string cmdDial(std::istringstream& args);
    std::string cmdMode(std::istringstream& args);
    std::string cmdVfo(std::istringstream& args);
    std::string cmdLoad(std::istringstream& args);
    std::string cmdSMeter(std::istringstream& args);
    std::string cmdByteFault(const std::string& verb, std::istringstream& args);
    std::string cmdFrameFault(const std::string& verb, std::istringstream& args);
    std::string cmdGarbage(std::istringstream& args);
    std::string cmdForeign(std::istringstream& args);
    std::string cmdSilent(std::istringstream& args);
    std::string cmdPlug(bool plug);
    std::string cmdBaud(std::istringstream& args);
    std::string cmdStatus() const;
    void sendFromRadio(const Bytes& frame);

    std::thread thread_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
};

}  // namespace quelm::sim
