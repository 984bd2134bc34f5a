// Line faults injected through the control channel, as a client sees them.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "pty_client.h"

namespace quelm::sim::testing {
namespace {

using FaultTest = SimulatorTest;

const std::string kQuery = "FE FE 56 E0 03 FD";
const Bytes kEchoAndAnswer = hex("FE FE 56 E0 03 FD FE FE E0 56 03 00 40 07 14 00 FD");

TEST_F(FaultTest, CorruptFlipsOneByteCountedFromTheNextOne)
{
    for (const int skip : {0, 8, 16}) {
        ASSERT_EQ(sim.control("corrupt " + std::to_string(skip)), "ok");
        client->send(kQuery);
        Bytes expected = kEchoAndAnswer;
        expected[static_cast<std::size_t>(skip)] ^= 0xFF;
        EXPECT_EQ(client->readBytes(expected.size()), expected) << "skip " << skip;
    }
    client->send(kQuery);  // the fault was for one byte only
    EXPECT_EQ(client->readBytes(kEchoAndAnswer.size()), kEchoAndAnswer);
}

TEST_F(FaultTest, DropLosesOneByte)
{
    ASSERT_EQ(sim.control("drop 16"), "ok");  // the answer's FD
    client->send(kQuery);
    Bytes expected = kEchoAndAnswer;
    expected.pop_back();
    EXPECT_EQ(client->readFor(80ms), expected);
}

TEST_F(FaultTest, SplitSendsTheNextAnswerInTwoPiecesWithAPause)
{
    ASSERT_EQ(sim.control("split 60"), "ok");
    client->send(kQuery);
    const Bytes echoAndHead = client->readBytes(6 + 5);
    EXPECT_EQ(echoAndHead, hex("FE FE 56 E0 03 FD FE FE E0 56 03"));
    EXPECT_TRUE(client->readFor(35ms).empty()) << "the second piece came without a pause";
    EXPECT_EQ(client->readBytes(6, 200ms), hex("00 40 07 14 00 FD"));
}

TEST_F(FaultTest, LateAnswerComesAfterMoreThanATenthOfASecond)
{
    ASSERT_EQ(sim.control("late 150"), "ok");
    client->send(kQuery);
    const auto echo = client->readBytes(6);
    const auto echoed = SteadyClock::now();
    EXPECT_EQ(echo, hex(kQuery));  // the echo is the bus itself: never late
    const auto answer = client->readBytes(11, 1000ms);
    EXPECT_EQ(answer, hex("FE FE E0 56 03 00 40 07 14 00 FD"));
    EXPECT_GT(SteadyClock::now() - echoed, 100ms);
}

TEST_F(FaultTest, EchoesDoNotWaitBehindALateAnswer)
{
    sim.control("late 150");
    client->send(kQuery);
    EXPECT_EQ(client->readBytes(6), hex(kQuery));
    client->send("FE FE 56 E0 04 FD");  // asked again while the answer is held back
    const auto frames = client->readFrames(3, 1000ms);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], hex("FE FE 56 E0 04 FD"));
    EXPECT_EQ(frames[1], hex("FE FE E0 56 03 00 40 07 14 00 FD"));  // answers keep their order
    EXPECT_EQ(frames[2], hex("FE FE E0 56 04 01 01 FD"));
}

TEST_F(FaultTest, GarbageAndForeignFramesGoOutUnasked)
{
    ASSERT_EQ(sim.control("garbage"), "ok");
    EXPECT_EQ(client->readBytes(4), hex("13 37 00 FD"));
    ASSERT_EQ(sim.control("garbage FE 05 FD"), "ok");
    EXPECT_EQ(client->readBytes(3), hex("FE 05 FD"));
    ASSERT_EQ(sim.control("foreign"), "ok");
    EXPECT_EQ(client->readBytes(11), hex("FE FE E0 58 03 00 40 07 14 00 FD"));
    ASSERT_EQ(sim.control("foreign 6A"), "ok");
    EXPECT_EQ(client->readBytes(11), hex("FE FE E0 6A 03 00 40 07 14 00 FD"));
    EXPECT_NE(sim.control("foreign 56"), "ok");
}

TEST_F(FaultTest, SilentRadioNeitherEchoesNorAnswersNorActs)
{
    ASSERT_EQ(sim.control("silent on"), "ok");
    client->send("FE FE 56 E0 05 00 00 05 07 00 FD");
    EXPECT_TRUE(client->readFor(60ms).empty());
    EXPECT_EQ(sim.state().vfo[0].frequencyHz, 14'074'000u);
    EXPECT_EQ(sim.logSize(), 1u);  // still heard by the log
    ASSERT_EQ(sim.control("silent off"), "ok");
    EXPECT_EQ(client->ask(kQuery), hex("FE FE E0 56 03 00 40 07 14 00 FD"));

    ASSERT_EQ(sim.control("silent 1"), "ok");  // for one frame only
    client->send(kQuery);
    EXPECT_TRUE(client->readFor(40ms).empty());
    EXPECT_EQ(client->ask(kQuery), hex("FE FE E0 56 03 00 40 07 14 00 FD"));
}

TEST_F(FaultTest, UnplugHangsUpTheLineAndPlugGivesANewOne)
{
    ASSERT_EQ(sim.control("unplug"), "ok");
    EXPECT_TRUE(client->readFor(100ms).empty());
    EXPECT_LE(client->lastRead(), 0);  // end of file or EIO: the far end is gone
    const auto reply = sim.control("plug");
    ASSERT_EQ(reply.rfind("ok ", 0), 0u) << reply;
    EXPECT_EQ(reply.substr(3), sim.devicePath());
    PtyClient fresh(sim.devicePath());
    ASSERT_TRUE(fresh.isOpen());
    EXPECT_EQ(fresh.ask(kQuery), hex("FE FE E0 56 03 00 40 07 14 00 FD"));
    EXPECT_EQ(sim.control("plug"), "error: already plugged in");
}

class LinkedFaultTest : public SimulatorTest {
protected:
    LinkedFaultTest() : SimulatorTest(withLink()) {}
    static SimulatorOptions withLink()
    {
        auto o = fastOptions();
        o.symlinkPath = ::testing::TempDir() + "quelm_sim_link_" + std::to_string(::getpid());
        return o;
    }
    static std::string linkTarget(const std::string& link)
    {
        char buf[256] = {};
        const auto n = ::readlink(link.c_str(), buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }
};

TEST_F(LinkedFaultTest, TheLinkFollowsTheDeviceAcrossUnplugAndPlug)
{
    const std::string link = withLink().symlinkPath;
    EXPECT_EQ(linkTarget(link), sim.devicePath());
    sim.control("unplug");
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link outlived the device";
    sim.control("plug");
    EXPECT_EQ(linkTarget(link), sim.devicePath());
    PtyClient viaLink(link);
    ASSERT_TRUE(viaLink.isOpen());
    EXPECT_EQ(viaLink.ask(kQuery), hex("FE FE E0 56 03 00 40 07 14 00 FD"));
    sim.stop();
    EXPECT_NE(::lstat(link.c_str(), &st), 0);
}

}  // namespace
}  // namespace quelm::sim::testing
