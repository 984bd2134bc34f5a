// When an output stream's sound really comes out, told from its played position
// looked at every 2 ms, as the wave device's watch looks. The first profile is
// the one read off a fresh PulseAudio null sink: the position runs with the
// clock up to what the stream had been handed, stands for two seconds while
// the sink renders its first block, and only then runs on with the sound.

#include <algorithm>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "platform/output_start.h"

using quelm::wave::OutputStartWatch;

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

struct Profile {
    const char* name;
    double bufferMs;
    // The played position in ms at a clock of t ms since the stream started.
    std::function<double(double t)> played;
    // The watch says "playing" at none of the looks before notBefore, and at a
    // look no later than by (kNever: at none within 4 s).
    double notBefore;
    double by;
};

double runsFrom(double t, double start, double from = 0)
{
    return t < start ? from : from + (t - start);
}

const Profile kProfiles[] = {
    {"AStreamThatPlaysAtOnce", 80, [](double t) { return runsFrom(t, 15); }, 110, 125},
    {"AnIdleNullSink", 80,
     [](double t) { return t < 2040 ? std::min(60.0, runsFrom(t, 20)) : 60 + (t - 2040); }, 2135, 2150},
    {"StartedButSilentForOneSecond", 80, [](double t) { return t < 1000 ? std::min(t, 10.0) : 10 + (t - 1000); },
     1095, 1110},
    {"StepsOfTwentyMilliseconds", 80, [](double t) { return 20 * static_cast<int>(t / 20); }, 100, 130},
    {"ALeapAheadOfTheClockIsNoPlaying", 80, [](double t) { return t < 50 ? 0 : 1000.0; }, kNever, kNever},
    {"AfterALeapTheRunStartsAgain", 80, [](double t) { return t < 50 ? 0 : 1000 + (t - 50); }, 145, 160},
    {"APositionThatCreepsAtAQuarterOfTheClock", 80, [](double t) { return t / 4; }, kNever, kNever},
    {"APositionThatNeverMoves", 80, [](double) { return 0.0; }, kNever, kNever},
    {"ALongBufferNeedsALongerRun", 300, [](double t) { return runsFrom(t, 0); }, 315, 330},
};

class OutputStart : public ::testing::TestWithParam<Profile> {};

} // namespace

TEST_P(OutputStart, PlaysOnlyOnceThePositionHasRunInStepWithTheClock)
{
    const Profile& p = GetParam();
    OutputStartWatch watch;
    watch.reset(p.bufferMs);
    double first = kNever;
    for (double t = 0; t <= 4000 && first == kNever; t += 2) {
        if (watch.look(t, p.played(t)))
            first = t;
    }
    EXPECT_GE(first, p.notBefore);
    EXPECT_LE(first, p.by);
}

INSTANTIATE_TEST_SUITE_P(Profiles, OutputStart, ::testing::ValuesIn(kProfiles),
                         [](const ::testing::TestParamInfo<Profile>& i) { return std::string(i.param.name); });

TEST(OutputStartWatch, AStreamThatStartsOverIsWatchedAfresh)
{
    OutputStartWatch watch;
    watch.reset(80);
    double t = 0;
    for (; t < 90; t += 2)
        EXPECT_FALSE(watch.look(t, t));
    // The position goes back: a stream of its own, whose run begins now.
    for (double p = 0; p < 90; p += 2, t += 2)
        EXPECT_FALSE(watch.look(t, p));
    for (; !watch.look(t, t - 90); t += 2)
        ASSERT_LT(t, 400);
    EXPECT_GE(t, 190);
    // Once playing it stays so, whatever the position does.
    EXPECT_TRUE(watch.look(t + 2, 0));
    watch.reset(80);
    EXPECT_FALSE(watch.playing());
}
