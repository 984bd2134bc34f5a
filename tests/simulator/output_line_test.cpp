// The line's timing without real time: when each byte has left at a baud
// rate, and how the frame faults move bytes in time.

#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "simulator/output_line.h"

namespace quelm::sim {
namespace {

using namespace std::chrono_literals;
using T = OutputLine::Clock::time_point;

const Bytes kEcho{0xFE, 0xFE, 0x56, 0xE0, 0x03, 0xFD};
const Bytes kAnswer{0xFE, 0xFE, 0xE0, 0x56, 0x03, 0x00, 0x40, 0x07, 0x14, 0x00, 0xFD};

TEST(OutputLine, EachByteLeavesOneByteTimeAfterThePrevious)
{
    struct Case {
        int baud;
        std::chrono::nanoseconds byteTime;
    };
    for (const Case c : {Case{9600, 1'041'666ns}, Case{19200, 520'833ns}, Case{4800, 2'083'333ns}}) {
        OutputLine line(c.baud);
        EXPECT_EQ(line.byteTime(), c.byteTime);
        const T t0{1s};
        line.push(kEcho, OutputLine::Origin::Echo, t0);
        line.push(kAnswer, OutputLine::Origin::Radio, t0);
        EXPECT_TRUE(line.takeDue(t0 + c.byteTime - 1ns).empty());
        EXPECT_EQ(line.takeDue(t0 + c.byteTime).size(), 1u);
        EXPECT_EQ(line.takeDue(t0 + 10 * c.byteTime).size(), 9u);  // across the frame boundary
        EXPECT_EQ(line.nextDue(), t0 + 11 * c.byteTime);
        EXPECT_EQ(line.takeDue(t0 + 1s).size(), 7u);
        EXPECT_TRUE(line.empty());
    }
}

TEST(OutputLine, AnIdleLineStartsWhenAFrameIsPushed)
{
    OutputLine line(9600);
    line.push(kEcho, OutputLine::Origin::Echo, T{1s});
    line.takeDue(T{2s});
    line.push(kEcho, OutputLine::Origin::Echo, T{5s});
    EXPECT_TRUE(line.takeDue(T{5s} + line.byteTime() / 2).empty());
    EXPECT_EQ(line.takeDue(T{5s} + 6 * line.byteTime()), kEcho);
}

TEST(OutputLine, SplitAndLateMoveOnlyTheRadiosNextFrame)
{
    OutputLine line(9600);
    const auto bt = line.byteTime();
    const T t0{1s};
    line.armSplit(40ms);
    line.push(kEcho, OutputLine::Origin::Echo, t0);      // echoes take no frame fault
    line.push(kAnswer, OutputLine::Origin::Radio, t0);
    const auto firstHalfDone = t0 + (6 + 5) * bt;
    EXPECT_EQ(line.takeDue(firstHalfDone + 39ms).size(), 11u);
    EXPECT_EQ(line.nextDue(), firstHalfDone + 40ms + bt);
    EXPECT_EQ(line.takeDue(T{2s}), Bytes(kAnswer.begin() + 5, kAnswer.end()));

    line.armLate(150ms);
    line.push(kAnswer, OutputLine::Origin::Radio, T{3s});
    line.push(kAnswer, OutputLine::Origin::Radio, T{3s});  // only the first is late
    EXPECT_TRUE(line.takeDue(T{3s} + 150ms).empty());
    EXPECT_EQ(line.takeDue(T{3s} + 150ms + 22 * bt).size(), 22u);
}

TEST(OutputLine, ByteFaultsCountBytesOnTheLine)
{
    OutputLine line(9600);
    line.armDrop(0);
    line.armCorrupt(6);  // six bytes pass first, the dropped one among them
    line.push(kEcho, OutputLine::Origin::Echo, T{1s});
    line.push(kAnswer, OutputLine::Origin::Radio, T{1s});
    Bytes expected(kEcho.begin() + 1, kEcho.end());
    expected.insert(expected.end(), kAnswer.begin(), kAnswer.end());
    expected[5] ^= 0xFF;  // the answer's first byte
    EXPECT_EQ(line.takeDue(T{2s}), expected);
}

TEST(OutputLine, EachSentFrameIsToldWithTheMomentItsLastByteLeftByThePacing)
{
    OutputLine line(9600);
    const auto bt = line.byteTime();
    std::vector<std::pair<OutputLine::Origin, T>> sent;
    line.setSentHook([&](const Bytes& frame, OutputLine::Origin origin, T lastByteLeft) {
        EXPECT_EQ(frame.size(), origin == OutputLine::Origin::Echo ? kEcho.size() : kAnswer.size());
        sent.emplace_back(origin, lastByteLeft);
    });
    const T t0{1s};
    line.push(kEcho, OutputLine::Origin::Echo, t0);
    line.push(kAnswer, OutputLine::Origin::Radio, t0);
    line.takeDue(t0 + 3 * bt);
    EXPECT_TRUE(sent.empty());
    // Asked late, long after both have gone: the times are the line's own.
    line.takeDue(t0 + 1s);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], std::make_pair(OutputLine::Origin::Echo, t0 + 6 * bt));
    EXPECT_EQ(sent[1], std::make_pair(OutputLine::Origin::Radio, t0 + 17 * bt));
}

}  // namespace
}  // namespace quelm::sim
