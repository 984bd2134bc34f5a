// Quelm: runs an ICOM IC-746 from the PC over CI-V.

#include <memory>

#include <QDir>

#include "app/quelm_application.h"
#include "app/stop_signals.h"
#include "front_panel/quelm.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/message_box_qt.h"
#include "platform/serial_port_qt.h"
#include "platform/settings_store.h"
#include "platform/waits.h"
#include "platform/wave_device_qt.h"
#include "radio_link/civ_codec.h"

int main(int argc, char* argv[])
{
    quelm::QuelmApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelm"));

    quelm::QtSerialPort serial;
    quelm::SteadyClock clock;
    quelm::QtEventPump events;
    quelm::Waits waits(clock, events);
    quelm::IniSettingsStore settings;
    quelm::QtMessageBox messages;
    quelm::QtWaveDevice wave;
    quelm::Platform platform{serial, clock, events, waits, settings, messages, wave,
                             QDir(QCoreApplication::applicationDirPath()).absolutePath()};
    app.setMessageBox(&messages);

    std::unique_ptr<quelm::Quelm> window;
    try {
        window = std::make_unique<quelm::Quelm>(platform);
        if (!window->Form_Load())
            return 1;
    } catch (...) {
        app.fail(std::current_exception());
        return quelm::QuelmApplication::kFailureExitCode;
    }
    // From here on a failure puts the radio in receive and writes the last radio
    // state as closing the window does.
    app.watchWindow(*window);
    // kill, Ctrl-C, the end of the session: closed as the exit key closes it.
    quelm::StopSignals stopSignals([&window](int signal) {
        window->cmExit_Click();
        QCoreApplication::exit(128 + signal);
    });
    stopSignals.writeOnSecondSignal(serial, quelm::civ::setRxTxFrame(window->st.RadioAddress, false));
    window->show();
    try {
        return app.exec();
    } catch (...) {
        app.fail(std::current_exception());
        return quelm::QuelmApplication::kFailureExitCode;
    }
}
