#pragma once

#include <QTemporaryDir>

#include "platform/fakes.h"
#include "platform/platform.h"
#include "platform/waits.h"
#include "platform/wave_device.h"

// Every platform layer faked, with a temporary program folder.
struct FakePlatform {
    quelm::FakeClock clock;
    quelm::FakeEventPump events{clock};
    quelm::Waits waits{clock, events};
    quelm::FakeSerialPort serial{&clock};
    quelm::MemorySettingsStore settings;
    quelm::RecordingMessageBox messages;
    quelm::ModeMachineWaveDevice wave;
    QTemporaryDir folder;
    quelm::Platform platform{serial, clock, events, waits, settings, messages, wave, folder.path()};
};
