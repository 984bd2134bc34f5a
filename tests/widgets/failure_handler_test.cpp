// The top-level failure handler: a failure escaping an event handler is shown,
// the last radio state is written, and the program ends with a failure status.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "app/quelm_application.h"
#include "front_panel/quelm.h"
#include "platform/errors.h"
#include "platform/fakes.h"
#include "support/civ_frames.h"
#include "support/fake_platform.h"
#include "support/quelm_fixture.h"

using quelm::QuelmApplication;

namespace {

class ThrowingKey : public QWidget {
protected:
    void mousePressEvent(QMouseEvent*) override { throw std::runtime_error("key handler broke"); }
};

class FailureHandler : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = QuelmApplication::instance();
        ASSERT_NE(app, nullptr);
        app->setMessageBox(&box);
        app->setSaveState([this] { ++saves; });
        app->setEnd([this](int code) { ends.push_back(code); });
    }

    void TearDown() override
    {
        if (!app)
            return;
        app->setMessageBox(nullptr);
        app->setSaveState({});
        app->setEnd({});
    }

    void runSoon(std::function<void()> handler)
    {
        QTimer::singleShot(0, app, std::move(handler));
        QCoreApplication::processEvents();
    }

    QuelmApplication* app = nullptr;
    quelm::RecordingMessageBox box;
    int saves = 0;
    std::vector<int> ends;
};

} // namespace

TEST_F(FailureHandler, FailureInAKeyHandlerIsShownSavedAndEndsTheProgram)
{
    {
#if defined(__SANITIZE_ADDRESS__)
        // The failure unwinds through Qt Widgets, which is built without
        // exception cleanups: its copies of the event and of a guarded pointer
        // to the key are never freed. That is one reason the program ends after
        // a failure instead of going on.
        __lsan::ScopedDisabler unwoundQtFrames;
#endif
        ThrowingKey key;
        key.resize(20, 20);
        key.show();
        QTest::mouseClick(&key, Qt::LeftButton);
    }
    ASSERT_EQ(box.criticals.size(), 1);
    EXPECT_TRUE(box.criticals[0].contains(QStringLiteral("key handler broke"))) << box.criticals[0].toStdString();
    EXPECT_TRUE(box.criticals[0].contains(QStringLiteral("has been saved")));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(ends, std::vector<int>{QuelmApplication::kFailureExitCode});
    EXPECT_NE(QuelmApplication::kFailureExitCode, 0);
}

TEST_F(FailureHandler, EachKindOfFailureGetsAClearText)
{
    const struct {
        std::function<void()> thrower;
        QString expected;
    } cases[] = {
        {[] { throw quelm::SerialError(QStringLiteral("The serial port /dev/ttyÜSB0 failed: gone")); },
         QStringLiteral("The serial port /dev/ttyÜSB0 failed: gone")},
        {[] { throw std::out_of_range("band row 16 out of range"); }, QStringLiteral("band row 16 out of range")},
        {[] { throw 42; }, QStringLiteral("An unknown failure.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        box.criticals.clear();
        runSoon(c.thrower);
        ASSERT_EQ(box.criticals.size(), 1);
        EXPECT_TRUE(box.criticals[0].contains(c.expected)) << box.criticals[0].toStdString();
    }
    EXPECT_EQ(ends.size(), 3u);
}

TEST_F(FailureHandler, StateThatCannotBeWrittenIsSaidAndTheProgramStillEnds)
{
    app->setSaveState([] { throw quelm::PlatformError(QStringLiteral("Cannot write the settings file x.")); });
    runSoon([] { throw std::runtime_error("boom"); });
    ASSERT_EQ(box.criticals.size(), 1);
    EXPECT_TRUE(box.criticals[0].contains(QStringLiteral("could not be saved: Cannot write the settings file x.")))
        << box.criticals[0].toStdString();
    EXPECT_EQ(ends.size(), 1u);
}

TEST_F(FailureHandler, BeforeStartUpHasFinishedNothingIsWritten)
{
    app->setSaveState({});
    runSoon([] { throw std::runtime_error("boom"); });
    ASSERT_EQ(box.criticals.size(), 1);
    EXPECT_TRUE(box.criticals[0].contains(QStringLiteral("not saved"))) << box.criticals[0].toStdString();
    EXPECT_EQ(ends.size(), 1u);
}

TEST_F(FailureHandler, AFailureWhileHandlingOneStartsNoSecondRound)
{
    // Saving serves events (the unload step waits for the wave device); a
    // handler that fails there belongs to the first failure.
    app->setSaveState([this] {
        ++saves;
        QTimer::singleShot(0, app, [] { throw std::runtime_error("second"); });
        QCoreApplication::processEvents();
    });
    box.whileOpen = [this] {
        QTimer::singleShot(0, app, [] { throw std::runtime_error("third"); });
        QCoreApplication::processEvents();
    };
    runSoon([] { throw std::runtime_error("first"); });
    ASSERT_EQ(box.criticals.size(), 1);
    EXPECT_TRUE(box.criticals[0].contains(QStringLiteral("first")));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(ends.size(), 1u);
}

TEST_F(FailureHandler, OrdinaryEventsPassThroughUntouched)
{
    bool ran = false;
    runSoon([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(box.criticals.isEmpty());
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(ends.empty());
}

namespace {

// The settings store of a disk that has filled up: once failing, nothing can be written.
class FillingStore final : public quelm::SettingsStore {
public:
    QString getSetting(const QString& a, const QString& s, const QString& k, const QString& d) override
    {
        return inner.getSetting(a, s, k, d);
    }
    void saveSetting(const QString& a, const QString& s, const QString& k, const QString& v) override
    {
        if (full)
            throw quelm::PlatformError(QStringLiteral("Cannot write the settings file: the disk is full."));
        inner.saveSetting(a, s, k, v);
    }
    quelm::MemorySettingsStore inner;
    bool full = false;
};

struct KeyedCase {
    const char* name;
    std::function<void(quelm::Quelm&)> key;
    bool diskFull;
};

// The main window on the fake port, watched by the failure handler as the
// program watches it, with the link open.
class FailureWhileKeyed : public ::testing::TestWithParam<KeyedCase> {
protected:
    void SetUp() override
    {
        QuelmFixture::writeFileIn(fake.folder.path(), QuelmFixture::defaultIni());
        window = std::make_unique<quelm::Quelm>(platform);
        ASSERT_TRUE(window->Form_Load());
        app = QuelmApplication::instance();
        ASSERT_NE(app, nullptr);
        app->setMessageBox(&fake.messages);
        app->watchWindow(*window);
        app->setEnd([this](int code) { ends.push_back(code); });
        window->cmPower_Click();
        ASSERT_TRUE(quelm::isOn(window->st.PowerOn));
    }

    void TearDown() override
    {
        if (!app)
            return;
        app->setMessageBox(nullptr);
        app->setSaveState({});
        app->setEndTransmit({});
        app->setEnd({});
    }

    FakePlatform fake;
    FillingStore store;
    quelm::Platform platform{fake.serial, fake.clock, fake.events, fake.waits, store,
                             fake.messages, fake.wave, fake.folder.path()};
    std::unique_ptr<quelm::Quelm> window;
    QuelmApplication* app = nullptr;
    std::vector<int> ends;
};

} // namespace

TEST_P(FailureWhileKeyed, EndsWithReceiveOnTheLineAndTheMessage)
{
    const KeyedCase& c = GetParam();
    c.key(*window);
    ASSERT_TRUE(window->link.mayBeKeyed());
    store.full = c.diskFull;
    fake.serial.clearWrites();

    QTimer::singleShot(0, app, [] { throw std::runtime_error("handler broke"); });
    QCoreApplication::processEvents();

    ASSERT_FALSE(fake.serial.writes().empty());
    EXPECT_EQ(testframes::shown(fake.serial.writes().front().bytes),
              testframes::shown(testframes::sent({0x1C, 0x00, 0x00})));
    EXPECT_FALSE(window->link.mayBeKeyed());
    ASSERT_EQ(fake.messages.criticals.size(), 1);
    EXPECT_TRUE(fake.messages.criticals[0].contains(QStringLiteral("handler broke")))
        << fake.messages.criticals[0].toStdString();
    EXPECT_EQ(fake.messages.criticals[0].contains(QStringLiteral("the disk is full")), c.diskFull)
        << fake.messages.criticals[0].toStdString();
    EXPECT_EQ(ends, std::vector<int>{QuelmApplication::kFailureExitCode});
}

INSTANTIATE_TEST_SUITE_P(
    Keyed, FailureWhileKeyed,
    ::testing::Values(KeyedCase{"TxKey", [](quelm::Quelm& q) { q.cmTX_Click(); }, false},
                      KeyedCase{"TxKeyDiskFull", [](quelm::Quelm& q) { q.cmTX_Click(); }, true},
                      // The CQ caller keys without the key's flag.
                      KeyedCase{"CallerDiskFull", [](quelm::Quelm& q) { q.RadioSetRXTX(true); }, true}),
    [](const ::testing::TestParamInfo<KeyedCase>& i) { return std::string(i.param.name); });

TEST(FailureHandlerDeathTest, TheProgramEndsWithTheFailureStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            quelm::RecordingMessageBox box;
            auto* app = QuelmApplication::instance();
            app->setMessageBox(&box);
            app->setEnd({}); // the program's own ending
            QTimer::singleShot(0, app, [] { throw std::runtime_error("boom"); });
            QCoreApplication::processEvents();
            std::exit(0); // not reached when the handler ends the process
        },
        ::testing::ExitedWithCode(QuelmApplication::kFailureExitCode), "unexpected failure: boom");
}
