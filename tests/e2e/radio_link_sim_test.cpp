// The radio link on a real serial port against the simulated radio: every
// sender's frame reaches the radio, which echoes it and answers, and the frame
// reader turns the echo into "99:" and the answer into its reply text.

#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fakes.h"
#include "platform/serial_port_qt.h"
#include "radio_link/radio_link.h"
#include "simulator/radio_simulator.h"
#include "support/map_grid.h"
#include "support/port_alias.h"

using namespace quelm;

namespace {


sim::SimulatorOptions steadyMeter(const std::string& alias)
{
    sim::SimulatorOptions o;
    o.sMeterWanders = false;
    o.sMeterStart = 120;
    o.symlinkPath = alias;
    return o;
}

class RadioLinkSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        radio.start();
        port.setCommPortPath(QString::fromStdString(alias));
        port.setSettings(QStringLiteral("9600,n,8,1"));
        port.setPortOpen(true);
    }
    void TearDown() override
    {
        port.setPortOpen(false);
        radio.stop();
    }

    // The reply texts of the next `count` frames, reading while bytes wait as the
    // receive loop does; gives up after two seconds.
    QStringList replies(int count)
    {
        QStringList out;
        const double deadline = clock.now() + 2.0;
        while (out.size() < count && clock.now() < deadline) {
            if (port.inBufferCount() > 0)
                out << link.RadioReadFrame();
            else
                clock.sleep(0.001);
        }
        return out;
    }

    QStringList exchange(const std::function<void(RadioLink&)>& send, int count = 2)
    {
        send(link);
        return replies(count);
    }

    const std::string alias = testsupport::uniquePortAlias();
    sim::RadioSimulator radio{steadyMeter(alias)};
    SteadyClock clock;
    QtSerialPort port;
    MemorySettingsStore settings;
    double cmdDelay = 0.1;
    int radioAddress = 0x56;
    RadioLink link{port, clock, settings, cmdDelay, radioAddress};
};

const QStringList kTaken{QStringLiteral("99:"), QStringLiteral("01:")};
const QStringList kRefused{QStringLiteral("99:"), QStringLiteral("02:")};

} // namespace

TEST_F(RadioLinkSim, SettersAreTakenAndChangeTheRadio)
{
    struct Case {
        const char* what;
        std::function<void(RadioLink&)> send;
        std::function<bool(const sim::RadioState&)> changed;
    };
    const Case cases[] = {
        {"freq", [](RadioLink& l) { l.sendSetFreq(50110.5); },
         [](const sim::RadioState& s) { return s.current().frequencyHz == 50110500; }},
        {"mode", [](RadioLink& l) { l.sendSetMode("CW-R"); },
         [](const sim::RadioState& s) { return s.current().mode == 0x07; }},
        {"vfo B", [](RadioLink& l) { l.sendSetVFO("B"); },
         [](const sim::RadioState& s) { return s.selectedVfo == 1; }},
        {"vfo A", [](RadioLink& l) { l.sendSetVFO("A"); },
         [](const sim::RadioState& s) { return s.selectedVfo == 0; }},
        {"A=B", [](RadioLink& l) { l.sendSetVFO("A=B"); },
         [](const sim::RadioState& s) { return s.vfo[1].frequencyHz == s.vfo[0].frequencyHz; }},
        {"step", [](RadioLink& l) { l.sendSetStep(12500); },
         [](const sim::RadioState& s) { return s.stepCode == 0x06; }},
        {"transmit", [](RadioLink& l) { l.sendSetRXTX(true); },
         [](const sim::RadioState& s) { return s.transmitting; }},
        {"receive", [](RadioLink& l) { l.sendSetRXTX(false); },
         [](const sim::RadioState& s) { return !s.transmitting; }},
        {"split", [](RadioLink& l) { l.sendSetSplit(true); }, [](const sim::RadioState& s) { return s.split; }},
        {"duplex", [](RadioLink& l) { l.sendSetDuplex("DUP-"); },
         [](const sim::RadioState& s) { return s.duplex == 0x11; }},
        {"level", [](RadioLink& l) { l.ChangeSet("cmRFGain", 255); },
         [](const sim::RadioState& s) { return s.levels.at(0x0A) == 255; }},
        {"switch", [](RadioLink& l) { l.sendSetOnOff("NB", true); },
         [](const sim::RadioState& s) { return s.functions.at(0x22) == 1; }},
        {"agc", [](RadioLink& l) { l.sendSetOnOff("AGC", true, 2); },
         [](const sim::RadioState& s) { return s.functions.at(0x12) == 2; }},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exchange(c.send), kTaken) << c.what;
        EXPECT_TRUE(c.changed(radio.state())) << c.what;
    }
}

TEST_F(RadioLinkSim, QueriesAreAnswered)
{
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadFreq(); }), QStringList({"99:", "10:  14074000"}));
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadMode(); }), QStringList({"99:", "20: USB"}));
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadS(); }), QStringList({"99:", "40:  120"}));

    ASSERT_EQ(exchange([](RadioLink& l) { l.sendSetFreq(144300.125); }), kTaken);
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadFreq(); }), QStringList({"99:", "10:  144300125"}));
}

TEST_F(RadioLinkSim, RefusedCommandsGiveNotGood)
{
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendSetFreq(200000); }), kRefused);
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendSetMode("usb"); }), kRefused);
    // A step the table lacks leaves the command bare: the radio takes it as a
    // step query and answers with its step, a frame no reply case reads.
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendSetStep(9000); }), QStringList({"99:", ""}));
}

TEST_F(RadioLinkSim, KeyerMemoryWrittenThenReadBack)
{
    const QByteArray text = QByteArray("CQ CQ DE IK0XYZ K").leftJustified(50, ' ');
    EXPECT_EQ(exchange([&](RadioLink& l) { l.sendSetMemoryKeyer(3, text); }), kTaken);
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadMemoryKeyer(3); }),
              QStringList({"99:", "85:" + QString::fromLatin1(text)}));
}

TEST_F(RadioLinkSim, ChannelWrittenFromOneRowAndReadIntoAnother)
{
    MapGrid grid;
    link.setMemoryGrid(&grid);
    grid.setCellText(12, 1, "Rpt");
    grid.setCellNumber(12, 2, 145500);
    grid.setCellText(12, 3, "FM");
    grid.setCellNumber(12, 4, 88.5);
    grid.setCellNumber(12, 5, 145600);
    grid.setCellText(12, 6, "FM");
    grid.setCellText(12, 8, "DUP-");
    grid.setCellText(12, 9, "Yes");
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendSetMemory(12); }), kTaken);

    grid.cells.clear();
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadMemory(12); }), QStringList({"99:", "70: "}));
    EXPECT_EQ(grid.cellText(12, 1), "RPT      ");
    EXPECT_EQ(grid.cellNumber(12, 2), 145500);
    EXPECT_EQ(grid.cellText(12, 3), "FM");
    EXPECT_EQ(grid.cellNumber(12, 4), 88.5);
    EXPECT_EQ(grid.cellNumber(12, 5), 145600);
    EXPECT_EQ(grid.cellText(12, 6), "FM");
    EXPECT_EQ(grid.cellText(12, 7), "");
    EXPECT_EQ(grid.cellText(12, 8), "DUP-");
    EXPECT_EQ(grid.cellText(12, 9), "Yes");

    // An empty channel answers with a short frame that matches no case.
    grid.cells.clear();
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadMemory(40); }), QStringList({"99:", ""}));
    EXPECT_TRUE(grid.cells.empty());
}

TEST_F(RadioLinkSim, RitReachesNothing)
{
    radio.clearLog();
    link.sendSetOnOff("RIT", true);
    link.sendReadS();
    ASSERT_TRUE(radio.waitForFrames(1, std::chrono::milliseconds(1000)));
    const auto log = radio.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(sim::toHex(log[0].bytes), "FE FE 56 E0 15 02 FD");
}

TEST_F(RadioLinkSim, AnswerInTwoHalvesIsCollectedWithinCmdDelay)
{
    ASSERT_EQ(radio.control("split 40"), "ok");
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadFreq(); }), QStringList({"99:", "10:  14074000"}));
}

TEST_F(RadioLinkSim, AnswerBrokenByALongPauseIsMalformedTwice)
{
    ASSERT_EQ(radio.control("split 250"), "ok");
    EXPECT_EQ(exchange([](RadioLink& l) { l.sendReadFreq(); }, 3), QStringList({"99:", "00:", "00:"}));
}

TEST_F(RadioLinkSim, ForeignRadioAndGarbage)
{
    ASSERT_EQ(radio.control("foreign 58"), "ok");
    EXPECT_EQ(replies(1), QStringList({"99:"}));
    ASSERT_EQ(radio.control("garbage 13 37 00 FD"), "ok");
    EXPECT_EQ(replies(1), QStringList({"00:"}));
}

TEST_F(RadioLinkSim, PulledCableReachesTheCaller)
{
    ASSERT_EQ(radio.control("unplug"), "ok");
    bool failed = false;
    const double deadline = clock.now() + 2.0;
    while (!failed && clock.now() < deadline) {
        try {
            link.sendReadS();
            link.RadioReadFrame();
        } catch (const SerialError&) {
            failed = true;
        }
    }
    EXPECT_TRUE(failed);
}
