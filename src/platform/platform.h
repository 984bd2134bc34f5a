#pragma once

#include <QString>

#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/waits.h"
#include "platform/wave_device.h"

namespace quelm {

// Everything the program reaches outside itself, handed to the windows at
// construction: real layers in the program, fakes in the tests.
struct Platform {
    SerialPort& serial;
    Clock& clock;
    EventPump& events;
    Waits& waits;
    SettingsStore& settings;
    MessageBox& messages;
    WaveDevice& wave;
    // Where "quelm.ini", the bank files and the wave files live.
    QString programFolder;
};

} // namespace quelm
