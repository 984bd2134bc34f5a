// The waits: the command pause serves window events, the serial waits serve
// none. Logic on the fake clock; the real event pump with short real times.

#include <chrono>
#include <stdexcept>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/fakes.h"
#include "platform/waits.h"

using namespace quelm;

namespace {

struct FakeWaits {
    FakeClock clock;
    FakeEventPump events{clock};
    Waits waits{clock, events};
};

class CountingReceiver : public QObject {
public:
    int seen = 0;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            ++seen;
            return true;
        }
        return QObject::event(e);
    }
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

TEST(CommandPause, ServesEventsAtLeastOnceEvenForNoTime)
{
    FakeWaits f;
    int served = 0;
    f.events.post([&] { ++served; });
    f.waits.commandPause(0.0);
    EXPECT_EQ(served, 1);
    EXPECT_GE(f.events.servings(), 1);
}

TEST(CommandPause, LastsJustMoreThanItsTimeAndRunsHandlersDueInside)
{
    FakeWaits f;
    const double t0 = f.clock.now();
    bool early = false;
    bool late = false;
    f.events.post([&] { early = true; }, t0 + 0.05);
    f.events.post([&] { late = true; }, t0 + 0.5);
    f.waits.commandPause(0.1);
    const double elapsed = f.clock.now() - t0;
    EXPECT_GT(elapsed, 0.1);
    EXPECT_LT(elapsed, 0.11) << "the pause offers the pump no more than the time left";
    EXPECT_TRUE(early);
    EXPECT_FALSE(late);
}

TEST(CommandPause, AFailureInsideEndsThePause)
{
    FakeWaits f;
    f.events.post([] { throw std::runtime_error("handler failed"); });
    EXPECT_THROW(f.waits.commandPause(0.1), std::runtime_error);
}

TEST(QuietWaits, ServeNoEvents)
{
    FakeWaits f;
    int served = 0;
    f.events.post([&] { ++served; });
    f.waits.quietWait(0.1);
    int calls = 0;
    EXPECT_FALSE(f.waits.quietWaitUntil(0.1, [&] { return ++calls < 0; }));
    EXPECT_EQ(served, 0);
    EXPECT_EQ(f.events.servings(), 0);
}

TEST(QuietWaits, UntilEndsOnTheConditionOrJustAfterTheTimeout)
{
    FakeWaits f;
    const double t0 = f.clock.now();
    EXPECT_TRUE(f.waits.quietWaitUntil(1.0, [&] { return f.clock.now() - t0 > 0.02; }));
    EXPECT_LT(f.clock.now() - t0, 0.03);

    const double t1 = f.clock.now();
    EXPECT_FALSE(f.waits.quietWaitUntil(0.1, [] { return false; }));
    EXPECT_GT(f.clock.now() - t1, 0.1);
    EXPECT_LT(f.clock.now() - t1, 0.1 + 2 * Waits::kSlice);

    int calls = 0;
    EXPECT_TRUE(f.waits.quietWaitUntil(0.0, [&] { return ++calls == 1; })) << "a true condition ends at once";
    EXPECT_EQ(calls, 1);
}

TEST(ServingWait, ServesUntilTheConditionWithoutLimit)
{
    FakeWaits f;
    bool reached = false;
    f.events.post([&] { reached = true; }, f.clock.now() + 30.0);
    EXPECT_TRUE(f.waits.servingWaitUntil(-1, [&] { return reached; }));
    EXPECT_FALSE(f.waits.servingWaitUntil(0.05, [] { return false; }));
}

TEST(QtEventPump, CommandPauseServesAQueuedTimerAndAPostedEvent)
{
    SteadyClock clock;
    QtEventPump pump;
    Waits waits(clock, pump);
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    CountingReceiver receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    waits.commandPause(0.0);
    EXPECT_TRUE(fired);
    EXPECT_EQ(receiver.seen, 1);
}

TEST(QtEventPump, QuietWaitServesNoEvent)
{
    SteadyClock clock;
    QtEventPump pump;
    Waits waits(clock, pump);
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    CountingReceiver receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    waits.quietWait(0.02);
    waits.quietWaitUntil(0.02, [] { return false; });
    EXPECT_FALSE(fired);
    EXPECT_EQ(receiver.seen, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
    EXPECT_EQ(receiver.seen, 1);
}

TEST(QtEventPump, BlocksInsteadOfSpinningAndWakesForAnEvent)
{
    QtEventPump pump;
    // Nothing pending: the call sleeps in the event dispatcher.
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    pump.serveEvents(0.1);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    EXPECT_GE(wall, 0.05);
    EXPECT_LT(cpuSeconds() - cpu0, wall * 0.5);

    // An event that comes during the block ends it; the pause does not overshoot.
    bool fired = false;
    QTimer::singleShot(5, [&] { fired = true; });
    const auto wall1 = std::chrono::steady_clock::now();
    pump.serveEvents(5.0);
    while (!fired && std::chrono::steady_clock::now() - wall1 < std::chrono::seconds(2))
        pump.serveEvents(5.0);
    EXPECT_TRUE(fired);
    EXPECT_LT(std::chrono::steady_clock::now() - wall1, std::chrono::seconds(2));
}

TEST(SteadyClock, IsMonotonicAndSleeps)
{
    SteadyClock clock;
    const double a = clock.now();
    clock.sleep(0.002);
    const double b = clock.now();
    EXPECT_GE(b - a, 0.002);
    EXPECT_LT(b - a, 1.0);
}
