#pragma once
// The main window on the program's own real layers (serial port, clock, Qt
// event loop), with the settings store and the message boxes in memory so a
// test can read them and restart the program.

#include <functional>
#include <memory>

#include <QDeadlineTimer>
#include <QTest>

#include "front_panel/quelm.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/fakes.h"
#include "platform/serial_port_qt.h"
#include "platform/waits.h"
#include "platform/wave_device.h"

namespace testsupport {

// Serves the Qt event loop until `done` holds or `ms` have passed.
inline bool eventually(const std::function<bool()>& done, int ms = 3000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

// The program's own layers, as the real program builds them; the settings store
// and the message boxes are in memory so a test can read them and restart.
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
