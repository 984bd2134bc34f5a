// The stop signals inside the process: the first one reaches the window thread
// and closes the window as its exit key does (link closed, last state written);
// a second one ends the process at once, writing receive to an open port first.

#include <csignal>
#include <string>

#include <unistd.h>

#include <QTest>

#include <gtest/gtest.h>

#include "app/stop_signals.h"
#include "front_panel/quelm.h"
#include "platform/fakes.h"
#include "support/civ_frames.h"
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

TEST(StopSignalsDeathTest, ASecondSignalWritesTheReceiveFrameToAnOpenPortFirst)
{
    // Forked, not started afresh: the child writes to this process's pipe.
    GTEST_FLAG_SET(death_test_style, "fast");
    const QByteArray receive = testframes::sent({0x1C, 0x00, 0x00});
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "port open" : "port closed");
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        FakeSerialPort port;
        port.setDescriptor(ends[1]);
        if (open)
            port.setPortOpen(true);
        EXPECT_EXIT(
            {
                StopSignals watch([](int) {});
                watch.writeOnSecondSignal(port, receive);
                ::raise(SIGTERM);
                ::raise(SIGHUP);
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(128 + SIGHUP), "");
        ::close(ends[1]);
        QByteArray written(64, '\0');
        const ssize_t n = ::read(ends[0], written.data(), written.size());
        ::close(ends[0]);
        written.resize(n > 0 ? static_cast<int>(n) : 0);
        EXPECT_EQ(testframes::shown(written), open ? testframes::shown(receive) : std::string());
    }
}
