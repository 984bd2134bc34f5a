// The stop signals inside the process: the first one reaches the window thread
// and closes the window as its exit key does (link closed, last state written);
// a second one ends the process at once.

#include <csignal>

#include <QTest>

#include <gtest/gtest.h>

#include "app/stop_signals.h"
#include "front_panel/quelm.h"
#include "support/quelm_fixture.h"

using namespace quelm;

TEST(StopSignals, TheFirstSignalClosesTheWindowAsTheExitKeyDoes)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm* q = f.window.get();
    q->cmPower_Click();
    ASSERT_TRUE(f.fake.serial.portOpen());

    std::vector<int> stops;
    StopSignals watch([&](int signal) {
        stops.push_back(signal);
        q->cmExit_Click();
    });
    ASSERT_EQ(::raise(SIGHUP), 0);
    // Nothing happens inside the handler; the window thread acts once it serves events.
    EXPECT_TRUE(stops.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !stops.empty(); }, 2000));

    EXPECT_EQ(stops, std::vector<int>{SIGHUP});
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_FALSE(q->Timer1->isActive());
    EXPECT_TRUE(f.fake.settings.contains(QStringLiteral("Quelm"), QStringLiteral("LAST"), QStringLiteral("VFOA")));
}

TEST(StopSignalsDeathTest, ASecondSignalEndsTheProcessAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            StopSignals watch([](int) {});
            ::raise(SIGTERM);
            // The window thread has not served the first one yet.
            ::raise(SIGINT);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(128 + SIGINT), "");
}
