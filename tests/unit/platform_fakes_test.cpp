// The fakes carry logic that other tests rely on: timed input, a stuck output
// buffer, failures on demand, the wave device's mode machine.

#include <QSignalSpy>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/fakes.h"
#include "platform/wave_device.h"

using namespace quelm;

TEST(FakeSerialPort, RecordsEachFrameWithItsTime)
{
    FakeClock clock;
    FakeSerialPort port(&clock);
    port.setPortOpen(true);
    clock.set(5.0);
    port.output(QByteArray::fromHex("FEFE56E003FD"));
    clock.set(5.25);
    port.output(QByteArray::fromHex("FEFE56E004FD"));
    ASSERT_EQ(port.writes().size(), 2u);
    EXPECT_EQ(port.writes()[0].time, 5.0);
    EXPECT_EQ(port.writes()[1].time, 5.25);
    EXPECT_EQ(port.allOutput(), QByteArray::fromHex("FEFE56E003FDFEFE56E004FD"));
    EXPECT_EQ(port.outBufferCount(), 0);
}

TEST(FakeSerialPort, InputArrivesInPiecesWhenTheClockReachesThem)
{
    FakeClock clock;
    clock.set(10.0);
    FakeSerialPort port(&clock);
    port.setPortOpen(true);
    port.queueInput(QByteArray::fromHex("FEFE"));
    port.queueInputAt(10.5, QByteArray::fromHex("E056FBFD"));
    EXPECT_EQ(port.inBufferCount(), 2);
    EXPECT_EQ(port.input(), 0xFE);
    EXPECT_EQ(port.input(), 0xFE);
    EXPECT_EQ(port.input(), -1);
    clock.set(10.5);
    EXPECT_EQ(port.inBufferCount(), 4);
    EXPECT_EQ(port.input(), 0xE0);
    EXPECT_EQ(port.inputReads(), 4);
}

TEST(FakeSerialPort, StuckOutputBufferKeepsTheLastFrame)
{
    FakeSerialPort port;
    port.setPortOpen(true);
    port.setOutBufferStuck(true);
    EXPECT_EQ(port.outBufferCount(), 0);
    port.output(QByteArray(7, 'x'));
    EXPECT_EQ(port.outBufferCount(), 7);
    port.setOutBufferStuck(false);
    EXPECT_EQ(port.outBufferCount(), 0);
}

TEST(FakeSerialPort, FailsOnDemandAndOnAClosedPort)
{
    FakeSerialPort port;
    port.setCommPortPath(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_THROW(port.inBufferCount(), SerialError);
    EXPECT_THROW(port.outBufferCount(), SerialError);
    EXPECT_THROW(port.input(), SerialError);
    EXPECT_THROW(port.output("x"), SerialError);

    port.setOpenFails(QStringLiteral("busy"));
    try {
        port.setPortOpen(true);
        FAIL() << "opened";
    } catch (const SerialError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("/dev/ttyUSB0")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("busy")));
    }
    EXPECT_FALSE(port.portOpen());
    port.setOpenFails({});
    port.setPortOpen(true);
    EXPECT_EQ(port.openCount(), 1);
    EXPECT_THROW(port.setPortOpen(true), SerialError) << "already open";
    EXPECT_THROW(port.setCommPort(2), SerialError) << "no change while open";

    port.setWriteFails(QStringLiteral("cable pulled"));
    EXPECT_THROW(port.output("x"), SerialError);
    EXPECT_TRUE(port.writes().empty());
    port.setReadFails(QStringLiteral("cable pulled"));
    EXPECT_THROW(port.inBufferCount(), SerialError);
    EXPECT_THROW(port.input(), SerialError);
}

TEST(FakeSerialPort, TakesWhatTheRealPortTakes)
{
    FakeSerialPort port;
    port.setCommPort(3);
    EXPECT_EQ(port.commPort(), 3);
    EXPECT_EQ(port.portName(), "COM3");
    EXPECT_THROW(port.setCommPort(0), SerialError);
    EXPECT_EQ(port.commPort(), 3);
    port.setSettings(QStringLiteral("4800,n,8,2"));
    EXPECT_THROW(port.setSettings(QStringLiteral("4800,q,8,2")), SerialError);
    EXPECT_EQ(port.settings(), "4800,n,8,2");
}

TEST(FakeClock, MovesOnlyWhenTold)
{
    FakeClock clock;
    const double t0 = clock.now();
    EXPECT_EQ(clock.now(), t0);
    clock.sleep(0.5);
    EXPECT_EQ(clock.now(), t0 + 0.5);
    clock.setStepPerRead(0.01);
    const double a = clock.now();
    EXPECT_NEAR(clock.now() - a, 0.01, 1e-9) << "a busy loop that only reads still ends";
}

TEST(FakeEventPump, RunsEventsWhenDueAndAdvancesTheClock)
{
    FakeClock clock;
    FakeEventPump pump(clock);
    QStringList order;
    const double t0 = clock.now();
    pump.post([&] { order << "later"; }, t0 + 0.01);
    pump.post([&] { order << "now"; });
    pump.setEveryServing([&] { order << "every"; });
    pump.serveEvents(0.0);
    EXPECT_EQ(order, (QStringList{"every", "now"}));
    EXPECT_NEAR(clock.now() - t0, 0.001, 1e-9);
    pump.serveEvents(0.02);
    EXPECT_EQ(order, (QStringList{"every", "now", "every"})) << "not yet due at the start of the serving";
    pump.serveEvents(0.0);
    EXPECT_EQ(order.last(), "later");
    EXPECT_EQ(pump.servings(), 3);
}

TEST(RecordingMessageBox, KeepsTextsAndRunsWhileOpen)
{
    RecordingMessageBox box;
    int during = 0;
    box.whileOpen = [&] { during = static_cast<int>(box.criticals.size() + box.warnings.size()); };
    box.critical(QStringLiteral("Band not definited! See Quelm.ini"));
    EXPECT_EQ(during, 1);
    box.warning(QStringLiteral("w"));
    EXPECT_EQ(box.criticals, QStringList{"Band not definited! See Quelm.ini"});
    EXPECT_EQ(box.warnings, QStringList{"w"});
}

TEST(ModeMachineWaveDevice, FollowsTheCommandWords)
{
    const struct {
        QStringList words;
        int mode;
    } cases[] = {
        {{}, WaveDevice::NotOpen},
        {{"record"}, WaveDevice::NotOpen}, // nothing works on a closed device
        {{"open"}, WaveDevice::Stopped},
        {{"open", "record"}, WaveDevice::Recording},
        {{"open", "record", "stop", "save"}, WaveDevice::Stopped},
        {{"open", "play"}, WaveDevice::Playing},
        {{"open", "play", "pause"}, WaveDevice::Paused},
        {{"open", "play", "pause", "pause"}, WaveDevice::Playing},
        {{"open", "play", "pause", "play"}, WaveDevice::Playing},
        {{"open", "pause"}, WaveDevice::Stopped},
        {{"open", "play", "seek"}, WaveDevice::Stopped},
        {{"open", "play", "close"}, WaveDevice::NotOpen},
        {{"open", "bogus"}, WaveDevice::Stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        ModeMachineWaveDevice wave;
        for (const QString& w : c.words)
            wave.command(w);
        EXPECT_EQ(wave.mode(), c.mode);
        EXPECT_EQ(wave.commands(), c.words);
    }
}

TEST(ModeMachineWaveDevice, PlaybackEndsWithTheCompletionSignal)
{
    ModeMachineWaveDevice wave;
    QSignalSpy done(&wave, &WaveDevice::done);
    wave.command(QStringLiteral("open"));
    wave.command(QStringLiteral("play"));
    wave.finishPlayback();
    EXPECT_EQ(wave.mode(), WaveDevice::Stopped);
    EXPECT_EQ(done.count(), 1);
}

TEST(ModeMachineWaveDevice, OpenCanFailAsForAMissingFile)
{
    ModeMachineWaveDevice wave;
    wave.setOpenFails(true);
    wave.command(QStringLiteral("open"));
    wave.command(QStringLiteral("play"));
    EXPECT_EQ(wave.mode(), WaveDevice::NotOpen);
}
