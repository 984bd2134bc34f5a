#pragma once

// The program's own layers as the real program builds them (real serial port,
// clock, waits and event loop), for end-to-end tests and benchmarks against the
// simulator. The settings store and the message boxes are in memory so a test
// can read them and restart the program on the same state.

#include <functional>
#include <memory>
#include <string>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include "front_panel/quelm.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/fakes.h"
#include "platform/serial_port_qt.h"
#include "platform/waits.h"
#include "platform/wave_device.h"
#include "simulator/radio_simulator.h"

namespace testsupport {

// Runs the Qt event loop for `ms`, sleeping between events as the program does.
inline void serveFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Serves the Qt event loop until `done` holds or `ms` have passed.
inline bool eventually(const std::function<bool()>& done, int ms = 3000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        serveFor(5);
    }
    return true;
}

// A simulated radio behind a link of the test's own, its S-meter standing still
// at `sMeter` so that the polled readings are predictable.
inline quelm::sim::SimulatorOptions steadyRadio(const std::string& alias, int sMeter)
{
    quelm::sim::SimulatorOptions o;
    o.sMeterWanders = false;
    o.sMeterStart = sMeter;
    o.symlinkPath = alias;
    return o;
}

struct LiveProgram {
    LiveProgram(quelm::MemorySettingsStore& settings, const QString& folder) : settings(settings), folder(folder) {}

    quelm::MemorySettingsStore& settings;
    QString folder;
    quelm::SteadyClock clock;
    quelm::QtEventPump events;
    quelm::Waits waits{clock, events};
    quelm::QtSerialPort serial;
    quelm::RecordingMessageBox messages;
    quelm::ModeMachineWaveDevice wave;
    quelm::Platform platform{serial, clock, events, waits, settings, messages, wave, folder};
    std::unique_ptr<quelm::Quelm> window;

    bool load()
    {
        window = std::make_unique<quelm::Quelm>(platform);
        return window->Form_Load();
    }
};

} // namespace testsupport
