#include <optional>
#include <random>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/fakes.h"
#include "radio_link/civ_codec.h"
#include "radio_link/radio_link.h"
#include "support/civ_frames.h"
#include "support/map_grid.h"

using namespace quelm;
using namespace testframes;

namespace {




class RadioLinkTest : public ::testing::Test {
protected:
    RadioLinkTest() { port.setPortOpen(true); }

    // Fake seconds that pass while `action` runs.
    double elapsed(const std::function<void()>& action)
    {
        const double t0 = clock.now();
        action();
        return clock.now() - t0;
    }

    FakeClock clock;
    FakeSerialPort port{&clock};
    MemorySettingsStore settings;
    double cmdDelay = 0.1;
    int radioAddress = 0x56;
    RadioLink link{port, clock, settings, cmdDelay, radioAddress};
};

} // namespace

TEST_F(RadioLinkTest, EverySenderWritesItsFrameInOnePiece)
{
    struct Case {
        const char* what;
        std::function<void(RadioLink&)> send;
        const char* frame;
    };
    const Case cases[] = {
        {"freq", [](RadioLink& l) { l.sendSetFreq(14074); }, "FE FE 56 E0 05 00 40 07 14 00 FD"},
        {"mode", [](RadioLink& l) { l.sendSetMode("CW"); }, "FE FE 56 E0 06 03 FD"},
        {"vfo", [](RadioLink& l) { l.sendSetVFO("A<>B"); }, "FE FE 56 E0 07 B0 FD"},
        {"step", [](RadioLink& l) { l.sendSetStep(12500); }, "FE FE 56 E0 10 06 FD"},
        {"read freq", [](RadioLink& l) { l.sendReadFreq(); }, "FE FE 56 E0 03 FD"},
        {"read mode", [](RadioLink& l) { l.sendReadMode(); }, "FE FE 56 E0 04 FD"},
        {"tx", [](RadioLink& l) { l.sendSetRXTX(true); }, "FE FE 56 E0 1C 00 01 FD"},
        {"split", [](RadioLink& l) { l.sendSetSplit(false); }, "FE FE 56 E0 0F 00 FD"},
        {"duplex", [](RadioLink& l) { l.sendSetDuplex("DUP+"); }, "FE FE 56 E0 0F 12 FD"},
        {"read S", [](RadioLink& l) { l.sendReadS(); }, "FE FE 56 E0 15 02 FD"},
        {"level", [](RadioLink& l) { l.ChangeSet("cmSQL", 128); }, "FE FE 56 E0 14 03 01 28 FD"},
        {"on/off", [](RadioLink& l) { l.sendSetOnOff("AGC", true, 2); }, "FE FE 56 E0 16 12 02 FD"},
        {"read keyer", [](RadioLink& l) { l.sendReadMemoryKeyer(4); }, "FE FE 56 E0 1A 02 04 FD"},
        {"set keyer", [](RadioLink& l) { l.sendSetMemoryKeyer(2, "AB"); }, "FE FE 56 E0 1A 02 02 41 42 FD"},
        {"read channel", [](RadioLink& l) { l.sendReadMemory(7); }, "FE FE 56 E0 1A 00 00 07 FD"},
    };
    for (const auto& c : cases) {
        port.clearWrites();
        c.send(link);
        ASSERT_EQ(port.writes().size(), 1u) << c.what;
        EXPECT_EQ(shown(port.writes()[0].bytes), shown(hex(c.frame))) << c.what;
    }
}

TEST_F(RadioLinkTest, AddressIsReadLiveFromTheWindowState)
{
    radioAddress = 0x5C;
    link.sendReadFreq();
    EXPECT_EQ(shown(port.allOutput()), shown(hex("FE FE 5C E0 03 FD")));
}

TEST_F(RadioLinkTest, OutputWaitEndsAtOnceWhenTheBufferIsEmpty)
{
    EXPECT_LT(elapsed([&] { link.sendReadS(); }), 0.01);
}

TEST_F(RadioLinkTest, OutputWaitGivesUpAfterCmdDelayOnAStuckBuffer)
{
    port.setOutBufferStuck(true);
    const double t = elapsed([&] { link.sendReadS(); });
    EXPECT_GT(t, 0.1);
    EXPECT_LT(t, 0.11);
    cmdDelay = 0.3;
    const double longer = elapsed([&] { link.sendSetMode("USB"); });
    EXPECT_GT(longer, 0.3);
    EXPECT_LT(longer, 0.31);
}

TEST_F(RadioLinkTest, FrequencyCommandWaitsAFurtherCmdDelayAfterTheOutputWait)
{
    const double free = elapsed([&] { link.sendSetFreq(7050); });
    EXPECT_GT(free, 0.1);
    EXPECT_LT(free, 0.11);
    EXPECT_GT(clock.now() - port.writes().back().time, 0.1);

    port.setOutBufferStuck(true);
    const double stuck = elapsed([&] { link.sendSetFreq(7050); });
    EXPECT_GT(stuck, 0.2);
    EXPECT_LT(stuck, 0.22);
}

TEST_F(RadioLinkTest, WaitsSleepRatherThanSpin)
{
    port.setOutBufferStuck(true);
    link.sendSetFreq(7050);
    // About one clock reading per millisecond slice of the 0.2 s of waits.
    EXPECT_LT(clock.reads(), 600);
}

TEST_F(RadioLinkTest, LevelIsStoredBeforeTheFrameAndEvenWhenTheWriteFails)
{
    link.ChangeSet("cmAF", 0);
    EXPECT_EQ(settings.getSetting("Quelm", "Slider", "cmAF", "unset"), " 0");

    port.setWriteFails("cable pulled");
    EXPECT_THROW(link.ChangeSet("cmSQL", 128), SerialError);
    EXPECT_EQ(settings.getSetting("Quelm", "Slider", "cmSQL", "unset"), " 128");
}

TEST_F(RadioLinkTest, SerialFailuresReachTheCaller)
{
    port.setWriteFails("gone");
    EXPECT_THROW(link.sendSetFreq(7050), SerialError);
    EXPECT_THROW(link.sendReadS(), SerialError);
    port.setReadFails("gone");
    port.queueInput(hex("FE FE E0 56 FB FD"));
    EXPECT_THROW(link.RadioReadFrame(), SerialError);
}

TEST_F(RadioLinkTest, RitSendsNothingAndWaitsForNothing)
{
    port.setOutBufferStuck(true);
    EXPECT_LT(elapsed([&] { link.sendSetOnOff("RIT", true); }), 0.01);
    EXPECT_TRUE(port.writes().empty());
}

TEST_F(RadioLinkTest, ChannelWriteComesFromTheGridRow)
{
    link.sendSetMemory(5);
    EXPECT_TRUE(port.writes().empty()) << "no grid, nothing to send";

    MapGrid grid;
    link.setMemoryGrid(&grid);
    grid.setCellText(12, 1, "Rpt");
    grid.setCellNumber(12, 2, 145500);
    grid.setCellText(12, 3, "FM");
    grid.setCellNumber(12, 4, 88.5);
    grid.setCellNumber(12, 5, 145600);
    grid.setCellText(12, 6, "FM");
    grid.setCellText(12, 7, "none");
    grid.setCellText(12, 8, "DUP-");
    grid.setCellText(12, 9, "Yes");
    link.sendSetMemory(12);
    ASSERT_EQ(port.writes().size(), 1u);
    EXPECT_EQ(shown(port.writes()[0].bytes),
              shown(hex("FE FE 56 E0 1A 00 00 12 03 00 00 50 45 01 05 01 12 00 08 85 00 08 85"
                        " 00 00 60 45 01 05 01 10 00 08 85 00 08 85 52 50 54 20 20 20 20 20 20 FD")));

    grid.lastRow = 50;
    link.sendSetMemory(51);
    link.sendSetMemory(0);
    EXPECT_EQ(port.writes().size(), 1u) << "rows the sheet does not have send nothing";
}

// The reader.

TEST_F(RadioLinkTest, FrameSplitAcrossPassesIsCollected)
{
    port.queueInput(hex("FE FE E0 56 03"));
    port.queueInputAt(clock.now() + 0.05, hex("00 00 05 07 00 FD"));
    QString text;
    const double t = elapsed([&] { text = link.RadioReadFrame(); });
    EXPECT_EQ(text, "10:  7050000");
    EXPECT_LT(t, 0.06);
}

TEST_F(RadioLinkTest, RestArrivingAfterCmdDelayIsLost)
{
    port.queueInput(hex("FE FE E0 56 03"));
    port.queueInputAt(clock.now() + 0.15, hex("00 00 05 07 00 FD"));
    EXPECT_EQ(link.RadioReadFrame(), "00:");
    clock.advance(0.1);
    EXPECT_EQ(link.RadioReadFrame(), "00:") << "the rest does not start with FE FE";
    EXPECT_EQ(port.inBufferCount(), 0);
}

TEST_F(RadioLinkTest, TwoFramesWaitingAreTakenOneByOne)
{
    const QByteArray second = hex("FE FE E0 56 15 02 01 20 FD");
    port.queueInput(hex("FE FE 56 E0 15 02 FD") + second);
    EXPECT_EQ(link.RadioReadFrame(), "99:");
    EXPECT_EQ(port.inBufferCount(), second.size());
    EXPECT_EQ(link.RadioReadFrame(), "40:  120");
    EXPECT_EQ(port.inBufferCount(), 0);
}

TEST_F(RadioLinkTest, FrameIsTakenFromTheFirstByteWithoutSearchingForThePreamble)
{
    // A stray byte before an OK: the reader does not hunt for FE FE, so the whole
    // run up to the FD is one malformed frame and the OK is lost with it.
    port.queueInput(hex("00 FE FE E0 56 FB FD FE FE E0 56 FA FD"));
    EXPECT_EQ(link.RadioReadFrame(), "00:");
    EXPECT_EQ(link.RadioReadFrame(), "02:");
}

TEST_F(RadioLinkTest, EchoThenAnswerAsTheRadioSendsThem)
{
    port.queueInput(hex("FE FE 56 E0 03 FD FE FE E0 56 03 00 10 07 14 00 FD"));
    EXPECT_EQ(link.RadioReadFrame(), "99:");
    EXPECT_EQ(link.RadioReadFrame(), "10:  14071000");
}

TEST_F(RadioLinkTest, BytesWithoutEndGiveMalformedAfterCmdDelay)
{
    port.queueInput(hex("FE FE E0 56 03 00 00"));
    QString text;
    const double t = elapsed([&] { text = link.RadioReadFrame(); });
    EXPECT_EQ(text, "00:");
    EXPECT_GE(t, 0.1);
    EXPECT_LT(t, 0.11);
    EXPECT_EQ(port.inBufferCount(), 0) << "the bytes taken are dropped";
}

TEST_F(RadioLinkTest, FloodWithoutEndStopsAtTheBufferBound)
{
    port.queueInput(QByteArray(3000, '\x41'));
    EXPECT_EQ(link.RadioReadFrame(), "00:");
    EXPECT_EQ(port.inBufferCount(), 3000 - RadioLink::kFrameSlots);
    EXPECT_EQ(port.inputReads(), RadioLink::kFrameSlots);
}

TEST_F(RadioLinkTest, EndJustInsideTheBoundIsStillRead)
{
    // FD as the 1001st byte: position 1000 is the last slot, and the frame is
    // complete (its end position is not one the radio uses, so it is malformed).
    port.queueInput(QByteArray(1000, '\x41') + hex("FD FE FE E0 56 FB FD"));
    EXPECT_EQ(link.RadioReadFrame(), "00:");
    EXPECT_EQ(link.RadioReadFrame(), "01:");
}

TEST_F(RadioLinkTest, ReceivedChannelIsWrittenIntoTheGrid)
{
    civ::ChannelRow row;
    row.text[1] = "Rpt";
    row.text[3] = "FM";
    row.text[9] = "Yes";
    row.number[2] = 145500;
    QByteArray answer = civ::setChannelFrame(0x56, 12, row);
    answer[2] = static_cast<char>(0xE0);
    answer[3] = static_cast<char>(0x56);

    port.queueInput(answer);
    EXPECT_EQ(link.RadioReadFrame(), "70: ") << "nobody receives it yet";

    MapGrid grid;
    grid.setCellText(12, 5, "old TX");
    link.setMemoryGrid(&grid);
    port.queueInput(answer);
    EXPECT_EQ(link.RadioReadFrame(), "70: ");
    EXPECT_EQ(grid.cellText(12, 1), "RPT      ");
    EXPECT_EQ(grid.cellNumber(12, 2), 145500);
    EXPECT_EQ(grid.cellText(12, 3), "FM");
    EXPECT_EQ(grid.cellText(12, 5), "");
    EXPECT_EQ(grid.cellText(12, 9), "Yes");

    // A channel the sheet has no row for is dropped.
    answer[7] = 0x00;
    grid.cells.clear();
    port.queueInput(answer);
    EXPECT_EQ(link.RadioReadFrame(), "70: ");
    EXPECT_TRUE(grid.cells.empty());
}

// The receive tick's reader: frames that have wholly arrived, never a wait.

namespace {

// What a tick takes: every frame that has wholly arrived.
QStringList tick(RadioLink& link)
{
    QStringList texts;
    while (const std::optional<QString> s = link.takeArrivedFrame())
        texts << *s;
    return texts;
}

} // namespace

TEST_F(RadioLinkTest, TickReaderTakesTheSameFramesAsTheWaitingReaderWhateverTheChunks)
{
    // Answers, reports, an echo, a foreign radio, a malformed length, an NG,
    // a memory channel, a keyer text and a frame that does not start with FE FE.
    QByteArray stream = hex("FE FE 56 E0 03 FD FE FE E0 56 03 00 10 07 14 00 FD FE FE 00 56 01 03 01 FD"
                            "FE FE E0 58 03 00 10 07 14 00 FD FE FE E0 56 03 00 00 05 07 00 00 00 FD"
                            "FE FE E0 56 FA FD FE FE E0 56 15 02 01 20 FD 13 37 00 FD");
    stream += hex("FE FE E0 56 1A 00 00 01") + QByteArray(38, '\0') + hex("FD");
    stream += hex("FE FE E0 56 1A 02 01") + QByteArray("CQ TEST").leftJustified(50, ' ') + hex("FD");
    stream += hex("FE FE 00 56 00 00 00 05 07 00 FD");

    port.queueInput(stream);
    QStringList expected;
    while (port.inBufferCount() > 0)
        expected << link.RadioReadFrame();
    ASSERT_EQ(expected.size(), 11);

    std::mt19937 rng(746);
    for (int round = 0; round < 50; ++round) {
        // The stream arrives in random pieces, one piece before each 10 ms tick.
        std::uniform_int_distribution<int> piece(1, 24);
        QStringList taken;
        const double start = clock.now();
        int ticks = 0;
        for (qsizetype at = 0; at < stream.size();) {
            const int n = piece(rng);
            port.queueInput(stream.mid(at, n));
            at += n;
            taken += tick(link);
            clock.advance(0.01);
            ++ticks;
        }
        taken += tick(link);
        EXPECT_EQ(taken, expected) << "round " << round;
        EXPECT_NEAR(clock.now() - start, 0.01 * ticks, 1e-6) << "a tick waited";
        EXPECT_EQ(port.inBufferCount(), 0);
    }
}

TEST_F(RadioLinkTest, TickReaderLeavesAFrameWhoseEndHasNotComeForALaterTick)
{
    port.queueInput(hex("FE FE E0 56 03 00 00"));
    const double t0 = clock.now();
    EXPECT_EQ(link.takeArrivedFrame(), std::nullopt);
    EXPECT_EQ(clock.now(), t0) << "no wait";
    EXPECT_EQ(port.inBufferCount(), 7) << "nothing taken";

    clock.advance(0.05);
    port.queueInput(hex("05 07 00 FD"));
    EXPECT_EQ(link.takeArrivedFrame(), QString("10:  7050000"));
}

TEST_F(RadioLinkTest, TickReaderGivesMalformedOnceCmdDelayHasPassedWithoutEnd)
{
    port.queueInput(hex("FE FE E0 56 03 00"));
    EXPECT_EQ(tick(link), QStringList());
    for (int i = 0; i < 9; ++i) {
        clock.advance(0.01);
        EXPECT_EQ(tick(link), QStringList()) << "at " << (i + 1) * 10 << " ms";
    }
    clock.advance(0.011);
    EXPECT_EQ(tick(link), QStringList{"00:"});
    EXPECT_EQ(port.inBufferCount(), 0);

    // The rest, late, does not start with FE FE; the next frame is read again.
    port.queueInput(hex("00 05 07 00 FD FE FE E0 56 FB FD"));
    EXPECT_EQ(tick(link), (QStringList{"00:", "01:"}));
}

TEST_F(RadioLinkTest, TickReaderTakesAFloodWithoutEndAtTheBufferBoundAtOnce)
{
    port.queueInput(QByteArray(1500, '\x41'));
    const double t0 = clock.now();
    EXPECT_EQ(tick(link), QStringList{"00:"});
    EXPECT_EQ(clock.now(), t0);
    EXPECT_EQ(port.inBufferCount(), 1500 - RadioLink::kFrameSlots);
    // The rest is the start of a frame without end: taken once its time is up.
    QStringList later;
    for (int i = 0; i < 11; ++i) {
        clock.advance(0.01);
        later += tick(link);
    }
    EXPECT_EQ(later, QStringList{"00:"});
    EXPECT_EQ(port.inBufferCount(), 0);
}

TEST_F(RadioLinkTest, TickReaderSeesAPartialFrameAfreshAfterALongGap)
{
    // Seen once, then no tick for half a second (the window thread was held
    // elsewhere): the frame gets its full CmdDelay from the next look, as the
    // waiting reader started its wait when it was called.
    port.queueInput(hex("FE FE E0 56 03 00"));
    EXPECT_EQ(link.takeArrivedFrame(), std::nullopt);
    clock.advance(0.5);
    EXPECT_EQ(link.takeArrivedFrame(), std::nullopt);
    clock.advance(0.02);
    port.queueInput(hex("00 05 07 00 FD"));
    EXPECT_EQ(link.takeArrivedFrame(), QString("10:  7050000"));
}

TEST_F(RadioLinkTest, TickReaderTakesAPartialFrameEvenWhenEveryLookComesLate)
{
    // Ticks 150 ms apart (a loaded machine): each look is a long gap, yet a
    // byte without end is taken, and the frame behind it is read.
    port.queueInput(hex("00"));
    QStringList taken;
    for (int look = 0; look < 4; ++look) {
        taken += tick(link);
        clock.advance(0.15);
    }
    EXPECT_EQ(taken, QStringList{"00:"});
    port.queueInput(hex("FE FE E0 56 FB FD"));
    EXPECT_EQ(tick(link), QStringList{"01:"});
}

TEST_F(RadioLinkTest, TheWaitingReaderStillWaitsForTheEndByte)
{
    // The drains of the transfers keep the wait: the rest 50 ms later is read.
    port.queueInput(hex("FE FE E0 56 03 00"));
    EXPECT_EQ(link.takeArrivedFrame(), std::nullopt);
    port.queueInputAt(clock.now() + 0.05, hex("00 05 07 00 FD"));
    EXPECT_EQ(link.RadioReadFrame(), "10:  7050000");
}

// Whether the radio may be on the air, as the link alone can know it: keyed
// from the moment a transmit command is attempted, unkeyed only once a receive
// command has gone out.
TEST_F(RadioLinkTest, MayBeKeyedFromATransmitAttemptUntilAReceiveHasGoneOut)
{
    EXPECT_FALSE(link.mayBeKeyed());
    port.setWriteFails("device gone");
    EXPECT_THROW(link.sendSetRXTX(true), SerialError);
    EXPECT_TRUE(link.mayBeKeyed()); // part of it may have reached the radio
    EXPECT_THROW(link.sendSetRXTX(false), SerialError);
    EXPECT_TRUE(link.mayBeKeyed());
    port.setWriteFails(QString());
    link.sendSetRXTX(false);
    EXPECT_FALSE(link.mayBeKeyed());
    link.sendSetRXTX(true);
    EXPECT_TRUE(link.mayBeKeyed());
}
