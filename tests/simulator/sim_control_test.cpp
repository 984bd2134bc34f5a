// The control channel's panel commands, the log, the line's life across
// client opens and closes, the S-meter and the pacing of the output.

#include <fstream>

#include <gtest/gtest.h>

#include "pty_client.h"

namespace quelm::sim::testing {
namespace {

using ControlTest = SimulatorTest;

std::string tempFile(const std::string& name, const std::string& content)
{
    const std::string path = ::testing::TempDir() + name + "_" + std::to_string(::getpid());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

TEST_F(ControlTest, PanelChangesSendTransceiveReportsToEveryone)
{
    ASSERT_EQ(sim.control("dial 7050000"), "ok");
    EXPECT_EQ(client->readFrames(1), std::vector<Bytes>{hex("FE FE 00 56 00 00 00 05 07 00 FD")});
    ASSERT_EQ(sim.control("mode cw"), "ok");
    EXPECT_EQ(client->readFrames(1), std::vector<Bytes>{hex("FE FE 00 56 01 03 01 FD")});
    ASSERT_EQ(sim.control("vfo B"), "ok");
    EXPECT_EQ(client->readFrames(2), (std::vector<Bytes>{hex("FE FE 00 56 00 00 00 05 07 00 FD"),
                                                         hex("FE FE 00 56 01 00 01 FD")}));
    EXPECT_EQ(sim.state().selectedVfo, 1);
    EXPECT_EQ(sim.state().vfo[0].mode, 0x03);
}

TEST_F(ControlTest, RefusedPanelCommandsChangeNothingAndSendNothing)
{
    const char* refused[] = {"dial 174000001", "dial 29999", "dial 14.074", "dial", "mode 06", "mode usbx",
                             "mode FM 4", "vfo C", "smeter 256", "late -5", "baud 12", "frobnicate"};
    for (const char* line : refused)
        EXPECT_EQ(sim.control(line).rfind("error: ", 0), 0u) << line;
    EXPECT_TRUE(client->readFor(60ms).empty());
    const auto st = sim.state();
    EXPECT_EQ(st.vfo[0].frequencyHz, 14'074'000u);
    EXPECT_EQ(st.vfo[0].mode, 0x01);
    EXPECT_EQ(st.selectedVfo, 0);
}

TEST_F(ControlTest, KeyAndUnkeySwitchTheTransmitter)
{
    sim.control("key");
    EXPECT_EQ(client->ask("FE FE 56 E0 1C 00 FD"), hex("FE FE E0 56 1C 00 01 FD"));
    sim.control("unkey");
    EXPECT_FALSE(sim.state().transmitting);
}

TEST_F(ControlTest, LoadTakesTheProgramsBankFile)
{
    const std::string bank = tempFile("quelm_sim_bank",
                                      ",,,,,,,,\r\n"
                                      "RPT R6,145750,FM,,,,88.5,DUP-,Yes\r\n"
                                      "Split long name,7050.5,LSB,67.0,7150,CW,none,,No\r\n");
    EXPECT_EQ(sim.control("load " + bank), "ok 2 channels");
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 01 FD"), hex("FE FE E0 56 1A 00 00 01 FF FD"));
    // Written as the program's own channel write would be: repeater tone flag and
    // DUP-, 88.5 Hz in an unused tone, 144.3 MHz USB for an absent TX side.
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 02 FD"),
              hex("FE FE E0 56 1A 00 00 02 01 00 00 75 45 01 05 01 11 00 08 85 00 08 85 "
                  "00 00 30 44 01 01 01 10 00 08 85 00 08 85 52 50 54 20 52 36 20 20 20 FD"));
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 03 FD"),
              hex("FE FE E0 56 1A 00 00 03 02 00 05 05 07 00 00 01 02 00 08 85 00 06 70 "
                  "00 00 15 07 00 03 01 10 00 08 85 00 08 85 53 50 4C 49 54 20 4C 4F 4E FD"));
}

TEST_F(ControlTest, ABadBankFileLoadsNothing)
{
    sim.control("load " + tempFile("quelm_sim_good", "A,14074,USB\n"));
    const char* bad[] = {"B,14074,USB\nC,abc,USB\n", "B,200000,USB\n", "B,14074,XYZ\n", "B,14074,USB,sixty\n"};
    for (const char* content : bad) {
        const auto reply = sim.control("load " + tempFile("quelm_sim_bad", content));
        EXPECT_EQ(reply.rfind("error: line ", 0), 0u) << content << " gave " << reply;
    }
    EXPECT_EQ(sim.control("load /nonexistent/MEM_x.ini").rfind("error: ", 0), 0u);
    const auto st = sim.state();
    ASSERT_TRUE(st.channels[1].has_value());
    EXPECT_FALSE(st.channels[2].has_value());
}

TEST_F(ControlTest, LogHoldsEveryReceivedFrameInOrder)
{
    client->ask("FE FE 56 E0 03 FD");
    client->ask("FE FE 56 E0 06 05 FD");
    client->send("FE FE 58 E0 04 FD");
    ASSERT_TRUE(sim.waitForFrames(3, 1000ms));
    const auto log = sim.log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].bytes, hex("FE FE 56 E0 03 FD"));
    EXPECT_EQ(log[1].bytes, hex("FE FE 56 E0 06 05 FD"));
    EXPECT_EQ(log[2].bytes, hex("FE FE 58 E0 04 FD"));
    EXPECT_LE(log[0].when, log[1].when);
    const auto found = sim.waitForFrame([](const Bytes& b) { return b.size() > 4 && b[4] == 0x06; }, 10ms);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->bytes, log[1].bytes);
    sim.clearLog();
    EXPECT_FALSE(sim.waitForFrames(1, 20ms));
}

TEST(SimulatorLogFile, WritesEachFrameAsHexWithATime)
{
    const std::string path = tempFile("quelm_sim_log", "");
    SimulatorOptions o;
    o.logFilePath = path;
    o.baudRate = 38400;
    RadioSimulator sim(o);
    sim.start();
    PtyClient c(sim.devicePath());
    c.ask("FE FE 56 E0 03 FD");
    c.ask("FE FE 56 E0 15 02 FD");
    sim.stop();
    std::ifstream in(path);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_TRUE(first.ends_with(" FE FE 56 E0 03 FD")) << first;
    EXPECT_TRUE(second.ends_with(" FE FE 56 E0 15 02 FD")) << second;
    EXPECT_GE(first.size(), std::string("2026-01-01 00:00:00.000000Z FE FE 56 E0 03 FD").size());
}

TEST(SimulatorLine, NothingPilesUpWhileNobodyHasThePortOpen)
{
    SimulatorOptions o;
    o.baudRate = 38400;
    RadioSimulator sim(o);
    sim.start();
    {
        PtyClient first(sim.devicePath());
        EXPECT_EQ(first.ask("FE FE 56 E0 06 03 FD"), hex("FE FE E0 56 FB FD"));
    }
    // The power key closed the port; the operator turns the dial meanwhile.
    sim.control("dial 3550000");
    ASSERT_TRUE(sim.waitForOutputDrained(1000ms));
    PtyClient again(sim.devicePath());
    ASSERT_TRUE(again.isOpen());
    EXPECT_TRUE(again.readFor(40ms).empty()) << "a stale report reached the new opener";
    EXPECT_EQ(again.ask("FE FE 56 E0 03 FD"), hex("FE FE E0 56 03 00 00 55 03 00 FD"));
    EXPECT_TRUE(sim.clientOpen());
    again.close();
    for (int i = 0; i < 50 && sim.clientOpen(); ++i)
        std::this_thread::sleep_for(2ms);
    EXPECT_FALSE(sim.clientOpen());
}

std::vector<Bytes> sMeterReadings(std::uint32_t seed, int n)
{
    SimulatorOptions o;
    o.baudRate = 38400;
    o.sMeterSeed = seed;
    RadioSimulator sim(o);
    sim.start();
    PtyClient c(sim.devicePath());
    std::vector<Bytes> out;
    for (int i = 0; i < n; ++i)
        out.push_back(c.ask("FE FE 56 E0 15 02 FD"));
    return out;
}

TEST(SimulatorSMeter, WandersTheSameWayForTheSameSeed)
{
    const auto a = sMeterReadings(11, 12);
    EXPECT_EQ(a, sMeterReadings(11, 12));
    EXPECT_NE(a, sMeterReadings(12, 12));
    std::size_t distinct = 0;
    for (std::size_t i = 1; i < a.size(); ++i) {
        ASSERT_EQ(a[i].size(), 9u);
        const int level = (a[i][6] >> 4) * 1000 + (a[i][6] & 15) * 100 + (a[i][7] >> 4) * 10 + (a[i][7] & 15);
        EXPECT_LE(level, 255);
        distinct += a[i] != a[i - 1];
    }
    EXPECT_GT(distinct, 5u);
}

// Real time: how long a keyer memory (an 8-byte echo and a 58-byte answer)
// takes on the line at two baud rates.
double keyerAnswerSeconds(int baud)
{
    SimulatorOptions o;
    o.baudRate = baud;
    RadioSimulator sim(o);
    sim.start();
    PtyClient c(sim.devicePath());
    const auto t0 = SteadyClock::now();
    c.send("FE FE 56 E0 1A 02 01 FD");
    EXPECT_EQ(c.readBytes(66, 1000ms).size(), 66u);
    return std::chrono::duration<double>(SteadyClock::now() - t0).count();
}

TEST(SimulatorPacing, OutputTakesTheByteTimeOfTheBaudRate)
{
    const double slow = keyerAnswerSeconds(9600);   // 66 bytes x 1.04 ms = 69 ms
    const double fast = keyerAnswerSeconds(19200);  // 34 ms
    EXPECT_GT(slow, 0.060);
    EXPECT_GT(slow, 1.4 * fast);
}

}  // namespace
}  // namespace quelm::sim::testing
