// The band-limit message of the radio's own reports on the real program's
// layers (real message box, serial port, timers) against the simulated radio:
// the dial turned out of every band opens one box, and while it is open the
// reports go on being read and shown instead of piling up in memory.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/fakes.h"
#include "platform/message_box_qt.h"
#include "platform/serial_port_qt.h"
#include "platform/waits.h"
#include "platform/wave_device.h"
#include "simulator/radio_simulator.h"
#include "support/port_alias.h"

using namespace quelm;

namespace {

QList<QMessageBox*> openBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes << box;
    }
    return boxes;
}

void closeBoxes()
{
    for (QMessageBox* box : openBoxes())
        box->button(QMessageBox::Ok)->click();
}

} // namespace

TEST(BandBoxLive, ReportsGoOnBeingShownWhileTheBoxIsOpenAndNothingPilesUp)
{
    const std::string alias = testsupport::uniquePortAlias();
    sim::SimulatorOptions options;
    options.sMeterWanders = false;
    options.symlinkPath = alias;
    sim::RadioSimulator radio(options);
    radio.start();

    QTemporaryDir folder;
    QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n")
                  .arg(QString::fromStdString(alias))
                  .toUtf8());
    ini.close();

    SteadyClock clock;
    QtEventPump events;
    Waits waits{clock, events};
    QtSerialPort serial;
    MemorySettingsStore settings;
    QtMessageBox boxes;
    ModeMachineWaveDevice wave;
    Platform platform{serial, clock, events, waits, settings, boxes, wave, folder.path()};
    auto q = std::make_unique<Quelm>(platform);
    ASSERT_TRUE(q->Form_Load());
    q->st.VFOQrg = {14074, 14074};
    q->cmPower_Click();
    ASSERT_TRUE(isOn(q->st.PowerOn));
    q->TimerS->setEnabled(false); // the dial's reports have the line to themselves

    // The operator closes the box after a while in any case, so a tick that
    // waits inside the box cannot hold the test for ever.
    QTimer operatorCloses;
    operatorCloses.setSingleShot(true);
    QObject::connect(&operatorCloses, &QTimer::timeout, [] { closeBoxes(); });
    operatorCloses.start(6000);

    // Fifty reports a second, all outside the one band row.
    std::atomic<bool> stop{false};
    std::thread dial([&] {
        for (int i = 0; i < 400 && !stop; ++i) {
            radio.control("dial " + std::to_string(13000000 + 10 * i));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    QDeadlineTimer firstBox(3000);
    while (openBoxes().isEmpty() && !firstBox.hasExpired())
        QTest::qWait(5);
    const bool boxOpened = !openBoxes().isEmpty();

    std::set<QString> shownWhileOpen;
    int maxWaiting = 0;
    int mostBoxes = 0;
    QDeadlineTimer watch(2500);
    while (!watch.hasExpired() && !openBoxes().isEmpty()) {
        QTest::qWait(20);
        shownWhileOpen.insert(q->QRG->caption());
        mostBoxes = std::max(mostBoxes, static_cast<int>(openBoxes().size()));
        maxWaiting = std::max(maxWaiting, serial.inBufferCount());
    }
    const bool stillOpen = !openBoxes().isEmpty();
    operatorCloses.stop();
    closeBoxes();
    stop = true;
    dial.join();
    q->Form_Unload();
    radio.stop();

    ASSERT_TRUE(boxOpened);
    EXPECT_TRUE(stillOpen) << "the box was closed by the watchdog before the watch ended";
    EXPECT_EQ(mostBoxes, 1);
    // About 125 reports came in while watching; the display followed them.
    EXPECT_GT(shownWhileOpen.size(), 40u);
    // What waits in the port is a few ticks' frames (11 bytes each) on a busy
    // machine, not the 125 reports of the watch piled up.
    EXPECT_LT(maxWaiting, 20 * 11);
}
