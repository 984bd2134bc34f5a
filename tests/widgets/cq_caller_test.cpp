// The CQ caller on the fake wave device and the fake port: the CQ list, one
// cycle of keying, playing, receiving and repeating, the repeat intervals, the
// choices that key nothing, and every way out of a cycle ending in receive
// (SIGTERM included).

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include "app/stop_signals.h"
#include "recorder_rig.h"
#include "support/locale_guard.h"

using namespace quelm;
using namespace recorder_rig;

namespace {

struct CQCaller : ::testing::Test {
    RecorderRig rig;
    VoiceRecorder* r = rig.r;
    Quelm* q = rig.q;

    std::vector<std::string> listed() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < q->LCDWav->count(); ++i)
            out.push_back(q->LCDWav->item(i)->text().toStdString());
        return out;
    }
};

const std::string TX = shown(kTransmit);
const std::string RX = shown(kReceive);

} // namespace

TEST_F(CQCaller, TheListEndsAtTheFirstEmptyTitle)
{
    RecorderRig gap(QuelmFixture::defaultIni().replace(QStringLiteral("2,cq_long.wav,10\r\n"),
                                                       QStringLiteral("2,,10\r\n3,cq_third.wav,5\r\n")));
    gap.r->cmCQ_Click();
    ASSERT_EQ(gap.q->LCDWav->count(), 1);
    EXPECT_EQ(gap.q->LCDWav->item(0)->text(), QStringLiteral("cq_short.wav"));
    EXPECT_EQ(gap.q->LCDWav->Tag, QStringLiteral("CQ"));
    EXPECT_FALSE(gap.q->LCDWav->isHidden());

    RecorderRig none(QuelmFixture::defaultIni().left(QuelmFixture::defaultIni().indexOf(QStringLiteral("[CQ]"))));
    none.r->cmCQ_Click();
    EXPECT_TRUE(none.q->LCDWav->isHidden());
    EXPECT_TRUE(none.q->LCDWav->Tag.isEmpty());
}

TEST_F(CQCaller, TheCQKeyDoesNothingWhileTheDeviceIsOpen)
{
    r->cmRec_Click();
    r->cmCQ_Click();
    EXPECT_TRUE(q->LCDWav->isHidden());
    EXPECT_TRUE(q->LCDWav->Tag.isEmpty());
    EXPECT_EQ(rig.keys(), kRecording);
}

TEST_F(CQCaller, OneCycleKeysPlaysReceivesAndRepeatsUntilStop)
{
    rig.powerOn();
    rig.callCQ(Five);

    EXPECT_EQ(rig.frames(), (std::vector<std::string>{TX}));
    EXPECT_EQ(rig.wave.log, (std::vector<std::string>{"open@0", "play@1"})) << "keyed between open and play";
    EXPECT_EQ(rig.wave.fileName(), rig.path(QStringLiteral("cq_five.wav")));
    EXPECT_EQ(rig.keys(), kOnlyStop);
    EXPECT_FALSE(q->TimerCQ->enabled());
    EXPECT_FALSE(q->LCDTX->isHidden());

    rig.wave.finishPlayback(); // end of the message
    EXPECT_EQ(rig.frames(), (std::vector<std::string>{TX, RX}));
    EXPECT_TRUE(q->TimerCQ->enabled());
    EXPECT_EQ(q->TimerCQ->interval(), 5000);
    EXPECT_EQ(rig.wave.mode(), WaveDevice::Stopped) << "the message stays loaded";
    EXPECT_EQ(rig.keys(), kOnlyStop);
    EXPECT_FALSE(q->LCDRX->isHidden());

    rig.wave.clearCommands();
    r->TimerCQ_Timer();
    EXPECT_EQ(rig.frames(), (std::vector<std::string>{TX, RX, TX}));
    EXPECT_EQ(rig.wave.commands(), (QStringList{"seek", "play"}));
    EXPECT_EQ(rig.wave.to(), 0);
    EXPECT_EQ(rig.keys(), kOnlyStop);

    // A message longer than its pause is started again by the next tick, still keyed.
    r->TimerCQ_Timer();
    EXPECT_EQ(rig.frames(), (std::vector<std::string>{TX, RX, TX, TX}));
    rig.wave.finishPlayback();
    EXPECT_EQ(rig.frames().back(), RX);

    rig.wave.clearCommands();
    r->cmStop_Click();
    EXPECT_EQ(rig.frames().back(), RX);
    EXPECT_EQ(rig.wave.commands(), (QStringList{"stop", "close"})) << "no save after a CQ";
    EXPECT_FALSE(q->TimerCQ->enabled());
    EXPECT_TRUE(q->LCDWav->Tag.isEmpty());
    EXPECT_EQ(rig.keys(), kIdle);
    EXPECT_FALSE(isOn(q->st.TXOn)) << "the transmit key's flag is the operator's own";
}

TEST_F(CQCaller, ThePauseBecomesTheTimersInterval)
{
    const struct {
        CQRow row;
        int ms;
        bool ticks;
    } cases[] = {{Five, 5000, true}, {Zero, 0, false}, {Half, 2500, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        RecorderRig t;
        t.powerOn();
        t.callCQ(c.row);
        t.wave.finishPlayback();
        EXPECT_EQ(t.q->TimerCQ->interval(), c.ms);
        EXPECT_TRUE(t.q->TimerCQ->enabled());
        EXPECT_EQ(t.q->TimerCQ->isActive(), c.ticks) << "an interval of 0 never ticks";
        EXPECT_EQ(t.frames(), (std::vector<std::string>{TX, RX}));
        EXPECT_EQ(t.keys(), kOnlyStop);
    }
}

TEST(CQPause, ReadsSecondsInTheUsersFormatRoundingHalvesToEven)
{
    const struct {
        const char* text;
        std::optional<int> ms;
    } cases[] = {
        {"5", 5000},     {"0", 0},         {"2.5", 2500},         {" 3 ", 3000},         {"0.0005", 0},
        {"0.0015", 2},   {"65.535", 65535}, {"65.5355", std::nullopt}, {"70", std::nullopt}, {"-1", std::nullopt},
        {"abc", std::nullopt}, {"", std::nullopt}, {"5s", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cqPauseMs(QString::fromLatin1(c.text)), c.ms) << '"' << c.text << '"';

    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(cqPauseMs(QStringLiteral("2,5")), 2500);
}

TEST_F(CQCaller, AChoiceThatCannotBeCalledShowsWhyAndKeysNothing)
{
    const struct {
        const char* why;
        CQRow row;
        bool linkOpen;
        const char* says;
    } cases[] = {
        {"pause no number", BadText, true, "\"abc\""},
        {"negative pause", Negative, true, "\"-1\""},
        {"pause over 65535 ms", TooLong, true, "\"70\""},
        {"file missing", Missing, true, "cq_missing.wav"},
        {"header promises a second, no data follows", CutOff, true, "holds no sound"},
        {"data chunk empty", NoData, true, "holds no sound"},
        {"link closed", Five, false, "link to the radio is closed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        RecorderRig t;
        if (c.linkOpen)
            t.powerOn();
        t.callCQ(c.row);
        ASSERT_EQ(t.fake.messages.criticals.size(), 1);
        const QString& text = t.fake.messages.criticals[0];
        EXPECT_TRUE(text.contains(QString::fromLatin1(c.says))) << text.toStdString();
        EXPECT_TRUE(text.contains(t.q->LCDWav->item(c.row)->text())) << "names the message: " << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("the transmitter stays off"))) << text.toStdString();
        EXPECT_TRUE(t.fake.serial.writes().empty());
        EXPECT_TRUE(t.wave.commands().isEmpty());
        EXPECT_EQ(t.keys(), kIdle);
        EXPECT_TRUE(t.q->LCDWav->Tag.isEmpty());
        EXPECT_TRUE(t.q->LCDWav->isHidden());
    }
}

TEST_F(CQCaller, EveryWayOutOfACycleEndsInReceive)
{
    using Step = std::function<void(RecorderRig&)>;
    const Step inMessage = [](RecorderRig&) {};
    const Step inPause = [](RecorderRig& t) { t.wave.finishPlayback(); };
    const struct {
        const char* way;
        Step when;
        Step exit;
        int messages;
    } cases[] = {
        {"STOP during the message", inMessage, [](RecorderRig& t) { t.r->cmStop_Click(); }, 0},
        {"STOP during the pause", inPause, [](RecorderRig& t) { t.r->cmStop_Click(); }, 0},
        {"device error during the message", inMessage,
         [](RecorderRig& t) { t.wave.failNow(QStringLiteral("The sound output went away.")); }, 1},
        {"device error during the pause", inPause,
         [](RecorderRig& t) { t.wave.failNow(QStringLiteral("The sound output went away.")); }, 1},
        {"power key during the message", inMessage, [](RecorderRig& t) { t.q->cmPower_Click(); }, 0},
        {"power key during the pause", inPause, [](RecorderRig& t) { t.q->cmPower_Click(); }, 0},
        {"window closed during the message", inMessage, [](RecorderRig& t) { t.q->close(); }, 0},
        {"window closed during the pause", inPause, [](RecorderRig& t) { t.q->close(); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        RecorderRig t;
        t.powerOn();
        t.callCQ(Five);
        c.when(t);
        t.wave.log.clear();

        c.exit(t);

        const std::vector<std::string> frames = t.frames();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), RX);
        // Receive goes out before the device is closed and while the port is open.
        ASSERT_FALSE(t.wave.log.empty());
        EXPECT_EQ(t.wave.log.back(), "close@" + std::to_string(frames.size()));
        EXPECT_FALSE(t.q->TimerCQ->enabled());
        EXPECT_EQ(t.wave.mode(), WaveDevice::NotOpen);
        EXPECT_EQ(t.keys(), kIdle);
        EXPECT_TRUE(t.q->LCDWav->Tag.isEmpty());
        EXPECT_EQ(t.fake.messages.criticals.size(), c.messages);
        if (c.messages) {
            EXPECT_TRUE(t.fake.messages.criticals[0].contains(QStringLiteral("cq_five.wav")));
        }

        // A late tick or end of message keys nothing.
        const std::size_t sent = frames.size();
        t.r->TimerCQ_Timer();
        t.wave.finishPlayback();
        EXPECT_EQ(t.fake.serial.writes().size(), sent);
        EXPECT_EQ(t.keys(), kIdle);
    }
}

TEST_F(CQCaller, TheSoundOutputRunsBeforeTheFirstKeying)
{
    rig.powerOn();
    rig.wave.setOutputStartsLate(true);
    std::optional<std::size_t> framesAtStart;
    rig.fake.events.post(
        [&] {
            framesAtStart = rig.fake.serial.writes().size();
            rig.wave.startOutput();
        },
        rig.fake.clock.now() + 0.5);

    rig.callCQ(Five);

    ASSERT_TRUE(framesAtStart.has_value());
    EXPECT_EQ(*framesAtStart, 0u) << "keyed while the output was still starting";
    EXPECT_EQ(rig.frames(), (std::vector<std::string>{TX}));
    EXPECT_EQ(rig.wave.log, (std::vector<std::string>{"open@0", "play@1"}));
    EXPECT_EQ(rig.keys(), kOnlyStop);
    EXPECT_TRUE(rig.fake.messages.criticals.isEmpty());
}

// As an idle sound server does: the stream is reported started and its position
// moves at once, then stands for a second before the first sound comes out.
TEST_F(CQCaller, TheFirstKeyingWaitsUntilTheOutputReallyPlays)
{
    rig.powerOn();
    double openedAt = 0;
    rig.wave.beforeWord = [&](const QString& word) {
        if (word == QLatin1String("open"))
            openedAt = rig.fake.clock.now();
    };
    rig.wave.setOutputPlays(rig.fake.clock, [](double t) { return t < 1.0 ? std::min(t, 0.01) : t - 0.99; });

    rig.callCQ(Five);

    ASSERT_EQ(rig.frames(), (std::vector<std::string>{TX}));
    const double keyedAfter = rig.fake.serial.writes()[0].time - openedAt;
    EXPECT_GE(keyedAfter, 1.1) << "keyed on a silent output";
    EXPECT_LT(keyedAfter, 1.5);
    EXPECT_EQ(rig.wave.log, (std::vector<std::string>{"open@0", "play@1"}));
    EXPECT_EQ(rig.keys(), kOnlyStop);
    EXPECT_TRUE(rig.fake.messages.criticals.isEmpty());
}

TEST_F(CQCaller, AFailureBeforeTheKeyingSaysNothingOfSwitchingBackToReceive)
{
    const struct {
        const char* why;
        std::function<void(RecorderRig&)> spoil;
        const char* says;
    } cases[] = {
        {"no sound device", [](RecorderRig& t) { t.wave.setOpenFails(true); }, "could not be opened"},
        {"the output never starts", [](RecorderRig& t) { t.wave.setOutputStartsLate(true); },
         "sound output did not start within 3 seconds"},
        {"the output starts but never plays",
         [](RecorderRig& t) { t.wave.setOutputPlays(t.fake.clock, [](double s) { return std::min(s, 0.01); }); },
         "sound output did not start within 3 seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        RecorderRig t;
        t.powerOn();
        c.spoil(t);

        t.callCQ(Five);

        ASSERT_EQ(t.fake.messages.criticals.size(), 1);
        const QString& text = t.fake.messages.criticals[0];
        EXPECT_TRUE(text.contains(QString::fromLatin1(c.says))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("switched back to receive"))) << text.toStdString();
        for (const std::string& f : t.frames())
            EXPECT_NE(f, TX);
        EXPECT_EQ(t.wave.mode(), WaveDevice::NotOpen);
        EXPECT_EQ(t.keys(), kIdle);
    }
}

TEST_F(CQCaller, ADeviceThatNeverPlaysSwitchesTheRadioBackToReceive)
{
    rig.powerOn();
    rig.wave.beforeWord = [&](const QString& word) {
        if (word == QLatin1String("play"))
            rig.wave.setStuck(true);
    };
    const double t0 = rig.fake.clock.now();

    rig.callCQ(Five);

    EXPECT_LT(rig.fake.clock.now() - t0, VoiceRecorder::kDeviceWait + 1);
    EXPECT_EQ(rig.frames(), (std::vector<std::string>{TX, RX}));
    // Receive first, then the device.
    EXPECT_EQ(rig.wave.log, (std::vector<std::string>{"open@0", "play@1", "stop@2", "close@2"}));
    ASSERT_EQ(rig.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("cq_five.wav")));
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("switched back to receive")));
    EXPECT_EQ(rig.keys(), kIdle);
    EXPECT_FALSE(q->TimerCQ->enabled());
}

TEST_F(CQCaller, APulledCableEndsTheCycleAndNothingIsKeyedAfterwards)
{
    const struct {
        const char* when;
        bool inPause;
    } cases[] = {{"during the message", false}, {"during the pause", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        RecorderRig t;
        t.powerOn();
        t.callCQ(Five);
        if (c.inPause)
            t.wave.finishPlayback();
        t.fake.serial.setWriteFails(QStringLiteral("Input/output error"));

        // The next frame fails: the receive command at the end of the message, or
        // the S-meter poll during the pause.
        c.inPause ? t.q->TimerS_Timer() : t.wave.finishPlayback();

        EXPECT_FALSE(isOn(t.q->st.PowerOn));
        EXPECT_FALSE(t.fake.serial.portOpen());
        EXPECT_FALSE(t.q->TimerCQ->enabled());
        EXPECT_EQ(t.wave.mode(), WaveDevice::NotOpen);
        EXPECT_EQ(t.keys(), kIdle);
        ASSERT_EQ(t.fake.messages.criticals.size(), 1) << "only the link's own message";
        EXPECT_TRUE(t.fake.messages.criticals[0].contains(QStringLiteral("failed")));

        const std::size_t sent = t.fake.serial.writes().size();
        t.fake.serial.setWriteFails(QString());
        t.r->TimerCQ_Timer();
        t.wave.finishPlayback();
        EXPECT_EQ(t.fake.serial.writes().size(), sent);
        EXPECT_TRUE(t.q->LCDRX->isHidden()) << "the closed link's indicators stay";
    }
}

TEST_F(CQCaller, ClosingTheLinkTakesItsStepsInOrderWithTheCaptionBeforeTheWait)
{
    rig.powerOn();
    r->cmPlay_Click();
    rig.choose(0);
    r->cmPause_Click();
    ASSERT_EQ(q->cmPlay->text(), QStringLiteral("RESU"));
    rig.wave.setStuck(true); // the device never reports closed: the wait runs its course
    struct Seen {
        QString caption;
        bool portOpen;
        bool offShown;
        bool powerOn;
        bool receiveLoop;
    };
    std::optional<Seen> inWait;
    rig.fake.events.setEveryServing([&] {
        if (!inWait)
            inWait = Seen{q->cmPlay->text(), rig.fake.serial.portOpen(), !q->LCDOff->isHidden(),
                          isOn(q->st.PowerOn), q->Timer1->enabled() || q->TimerS->enabled()};
    });
    rig.wave.log.clear();

    q->cmPower_Click();

    ASSERT_TRUE(inWait.has_value());
    EXPECT_EQ(inWait->caption, QStringLiteral("PLAY"));
    EXPECT_FALSE(inWait->portOpen);
    EXPECT_FALSE(inWait->receiveLoop);
    EXPECT_FALSE(inWait->offShown);
    EXPECT_TRUE(inWait->powerOn) << "PowerOn changes last";
    EXPECT_EQ(rig.wave.log, (std::vector<std::string>{"stop@0", "close@0"}));
    EXPECT_FALSE(q->LCDOff->isHidden());
    EXPECT_FALSE(isOn(q->st.PowerOn));
}

TEST_F(CQCaller, ASigtermDuringACycleClosesTheWindowInReceive)
{
    rig.powerOn();
    rig.callCQ(Five);
    bool stopped = false;
    StopSignals watch([&](int) {
        stopped = true;
        q->cmExit_Click();
    });

    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, 2000));

    EXPECT_EQ(rig.frames(), (std::vector<std::string>{TX, RX}));
    EXPECT_FALSE(rig.fake.serial.portOpen());
    EXPECT_EQ(rig.wave.mode(), WaveDevice::NotOpen);
    EXPECT_FALSE(q->TimerCQ->enabled());
}
