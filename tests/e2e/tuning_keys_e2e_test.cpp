// The hold-to-tune keys of the real program, pressed with the X server's own
// mouse (xdotool) against the simulated radio: the window system decides the
// order in which the release and the repeat timer reach the program, and each
// step's send blocks the window thread as it does for an operator. A click
// tunes one step; a key held down goes on tuning.

#include <cstdint>
#include <string>

#include <QProcess>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include "support/displayed_program.h"

namespace {

// The middle of the hold key VFOUp on the panel.
constexpr QPoint kVfoUp{552, 189};

class TuningKeysLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!p.display.whyNot().empty())
            GTEST_SKIP() << p.display.whyNot();
        // The first start tunes VFO A to 50,110.00 kHz at a 10 Hz step.
        ASSERT_TRUE(p.setUp(QStringLiteral("[BAND LIMIT]\r\n6m 50110 50000 52000\r\n")));
        window = p.startAndPowerOn(quelm);
        ASSERT_FALSE(window.isEmpty()) << quelm.readAllStandardError().toStdString();
        ASSERT_EQ(p.radio.frequencyHz(), 50110000u);
        p.radio.clearLog();
    }

    void TearDown() override
    {
        quelm.terminate();
        quelm.waitForFinished(20000);
    }

    // Presses VFOUp for `seconds` (0: a click, press and release at once),
    // then gives the program time to send anything still to come.
    void press(double seconds)
    {
        QStringList args{QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                         QString::number(kVfoUp.x()), QString::number(kVfoUp.y())};
        if (seconds <= 0)
            args << QStringLiteral("click") << QStringLiteral("1");
        else
            args << QStringLiteral("mousedown") << QStringLiteral("1") << QStringLiteral("sleep")
                 << QString::number(seconds) << QStringLiteral("mouseup") << QStringLiteral("1");
        p.display.xdotool(args);
        QThread::msleep(800);
    }

    int frequencyFrames() const
    {
        int n = 0;
        for (const auto& frame : p.radio.log())
            n += frame.bytes.size() > 4 && frame.bytes[4] == 0x05;
        return n;
    }

    testsupport::DisplayedProgram p;
    QProcess quelm;
    QString window;
};

} // namespace

// How many steps a press of VFOUp may make. Each step after the first needs its
// send (at least the 0.1 s command pause) and then the 50 ms repeat tick, so a
// press of `seconds` makes at most 1 + seconds / 0.15 steps, with one to spare
// for the way the press and the release take through the X server.
struct PressCase {
    const char* name;
    double seconds;
    int fewest;
    int most;
};

class PressingVfoUp : public TuningKeysLive, public ::testing::WithParamInterface<PressCase> {};

TEST_P(PressingVfoUp, TunesOneStepPerSendAndNothingAfterTheRelease)
{
    const PressCase& c = GetParam();
    press(c.seconds);
    const int frames = frequencyFrames();
    EXPECT_GE(frames, c.fewest);
    EXPECT_LE(frames, c.most);
    // Every frame was one 10 Hz step, and nothing more goes out once released.
    EXPECT_EQ(p.radio.frequencyHz(), 50110000u + 10u * static_cast<std::uint32_t>(frames));
    QThread::msleep(300);
    EXPECT_EQ(frequencyFrames(), frames);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, PressingVfoUp,
    ::testing::Values(PressCase{"AClick", 0, 1, 1}, PressCase{"AnOrdinaryPressOf120Ms", 0.12, 1, 1},
                      PressCase{"APressOf200Ms", 0.2, 1, 2}, PressCase{"AHoldOf1500Ms", 1.5, 5, 12}),
    [](const ::testing::TestParamInfo<PressCase>& i) { return std::string(i.param.name); });
