// Quelm: runs an ICOM IC-746 from the PC over CI-V.

#include <QApplication>
#include <QDir>

#include "front_panel/quelm.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/message_box_qt.h"
#include "platform/serial_port_qt.h"
#include "platform/settings_store.h"
#include "platform/waits.h"
#include "platform/wave_device.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelm"));

    quelm::QtSerialPort serial;
    quelm::SteadyClock clock;
    quelm::QtEventPump events;
    quelm::Waits waits(clock, events);
    quelm::IniSettingsStore settings;
    quelm::QtMessageBox messages;
    quelm::ModeMachineWaveDevice wave;
    quelm::Platform platform{serial, clock, events, waits, settings, messages, wave,
                             QDir(QCoreApplication::applicationDirPath()).absolutePath()};

    quelm::Quelm window(platform);
    if (!window.Form_Load())
        return 1;
    window.show();
    return app.exec();
}
