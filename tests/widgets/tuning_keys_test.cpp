// The tuning keys against the fake port and the fake clock: the step arithmetic,
// holds and scans with their timers, the raised count after five seconds, a
// hold that loses its release, and the typed frequency with its key filter.

#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QLocale>

#include <gtest/gtest.h>

#include "platform/conversions.h"
#include "radio_link/civ_codec.h"
#include "support/locale_guard.h"
#include "support/powered_panel.h"
#include "support/typed_keys.h"

using namespace quelm;
using namespace testframes;

namespace {

struct TuningKeys : PoweredPanel {
    void tuneFrom(double kHz, double stepHz)
    {
        q->st.VFOQrg[q->st.VFOActive] = kHz;
        q->st.VFOStep[q->st.VFOActive] = stepHz;
    }
    double qrg() const { return q->st.VFOQrg[q->st.VFOActive]; }
    bool tuning() const { return q->TimerVFO->enabled() || q->TimerVFOPress->enabled(); }
    void type(const char* keys)
    {
        for (const char* c = keys; *c; ++c)
            q->QRGEdit->typeKey(static_cast<unsigned char>(*c));
    }
};

struct StepCase {
    const char* name;
    double stepHz;
    double from;
    bool up;
    double expected;
    QByteArray frame;
};

class OneStep : public TuningKeys, public ::testing::WithParamInterface<StepCase> {};

} // namespace

TEST_P(OneStep, APressStepsOnceStoresShowsAndSends)
{
    const StepCase& c = GetParam();
    powerOn();
    tuneFrom(c.from, c.stepHz);
    const int band = q->st.BandIndex;

    c.up ? q->VFOUp_MouseDown() : q->VFODown_MouseDown();

    EXPECT_EQ(qrg(), c.expected);
    EXPECT_EQ(q->QRG->caption(), conv::formatFixed2(c.expected));
    EXPECT_EQ(frames(), std::vector<std::string>{shown(c.frame)});
    // The tuning keys leave the band row alone.
    EXPECT_EQ(q->st.BandIndex, band);
    EXPECT_TRUE(q->TimerVFO->enabled());
    EXPECT_TRUE(q->TimerVFOPress->enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OneStep,
    ::testing::Values(StepCase{"TenHertzUp", 10, 14074, true, 14074.01, sent({0x05, 0x10, 0x40, 0x07, 0x14, 0x00})},
                      StepCase{"TenHertzDown", 10, 14074, false, 14073.99,
                               sent({0x05, 0x90, 0x39, 0x07, 0x14, 0x00})},
                      StepCase{"TwelveAndAHalfKilohertzUp", 12500, 145000, true, 145012.5,
                               sent({0x05, 0x00, 0x25, 0x01, 0x45, 0x01})},
                      StepCase{"DownFromZeroStaysAtZero", 10, 0, false, 0, sent({0x05, 0x00, 0x00, 0x00, 0x00, 0x00})}),
    [](const ::testing::TestParamInfo<StepCase>& i) { return std::string(i.param.name); });

TEST_F(TuningKeys, ThreeHundredTenHertzStepsAddUpExactly)
{
    powerOn();
    tuneFrom(14074, 10);
    q->VFOUp_MouseDown();
    for (int i = 1; i < 300; ++i)
        q->TimerVFO_Timer();
    EXPECT_EQ(qrg(), 14077.0); // exactly: every step is rounded to 10 Hz
    EXPECT_EQ(f.fake.serial.writes().size(), 300u);
    EXPECT_EQ(f.fake.serial.writes().back().bytes, civ::setFreqFrame(0x56, 14077));
}

TEST_F(TuningKeys, ATickStepsUpOnlyForPlusEveryOtherTagStepsDown)
{
    powerOn();
    tuneFrom(7050, 100);
    for (const char* tag : {"-", "x", "", "++"}) {
        q->TimerVFO->Tag = QString::fromLatin1(tag);
        q->TimerVFO_Timer();
    }
    EXPECT_EQ(qrg(), 7049.6);
    q->TimerVFO->Tag = QStringLiteral("+");
    q->TimerVFO_Timer();
    EXPECT_EQ(qrg(), 7049.7);
}

TEST_F(TuningKeys, ReleaseStopsBothTimersAndTheStepping)
{
    powerOn();
    tuneFrom(14074, 1000);
    q->VFODown_MouseDown();
    q->VFODown_MouseUp();
    EXPECT_FALSE(tuning());
    EXPECT_EQ(qrg(), 14073);
}

// The raised count per tick once a key has been held for five seconds: ten
// steps, and at least 1 kHz, at every step the radio offers.
struct RaisedCase {
    double stepHz;
    const char* count;
    double afterTick; // from 14000 kHz after the press step and one raised tick
};

class Acceleration : public TuningKeys, public ::testing::WithParamInterface<RaisedCase> {};

TEST_P(Acceleration, AfterFiveSecondsEachTickMovesByTheRaisedCount)
{
    const RaisedCase& c = GetParam();
    powerOn();
    tuneFrom(14000, c.stepHz);
    q->VFOUp_MouseDown();
    q->TimerVFOPress_Timer();
    EXPECT_EQ(q->TimerVFOPress->Tag, QString::fromLatin1(c.count));
    EXPECT_FALSE(q->TimerVFOPress->enabled()); // fires once per press
    EXPECT_TRUE(q->TimerVFO->enabled());
    q->TimerVFO_Timer();
    EXPECT_DOUBLE_EQ(qrg(), c.afterTick);

    // A new press starts at one step per tick again.
    q->VFOUp_MouseUp();
    q->VFODown_MouseDown();
    q->TimerVFO_Timer();
    EXPECT_DOUBLE_EQ(qrg(), c.afterTick - 2 * c.stepHz / 1000);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, Acceleration,
                         ::testing::Values(RaisedCase{10, "100", 14001.01}, RaisedCase{100, "10", 14001.1},
                                           RaisedCase{1000, "10", 14011}, RaisedCase{5000, "10", 14055},
                                           RaisedCase{12500, "10", 14137.5}, RaisedCase{25000, "10", 14275}));

TEST_F(TuningKeys, AClickStartsAScanOfOneStepPerTickAndAnyClickStopsItWithoutAStep)
{
    powerOn();
    tuneFrom(14074, 1000);
    q->VFODownClick_Click();
    EXPECT_EQ(qrg(), 14073);
    EXPECT_TRUE(q->TimerVFO->enabled());
    EXPECT_FALSE(q->TimerVFOPress->enabled()); // a scan is never raised
    q->TimerVFO_Timer();
    q->TimerVFO_Timer();
    EXPECT_EQ(qrg(), 14071);

    q->VFOUpClick_Click();
    EXPECT_FALSE(q->TimerVFO->enabled());
    EXPECT_EQ(qrg(), 14071);
    EXPECT_EQ(f.fake.serial.writes().size(), 3u);

    // A release of a hold key also ends a scan.
    q->VFOUpClick_Click();
    EXPECT_EQ(qrg(), 14072);
    q->VFOUp_MouseUp();
    EXPECT_FALSE(q->TimerVFO->enabled());
}

TEST_F(TuningKeys, AHoldWhoseReleaseNeverComesEndsWhenTheWindowLosesTheMouseOrItsActivation)
{
    powerOn();
    for (QEvent::Type lost : {QEvent::WindowDeactivate, QEvent::Leave, QEvent::Hide}) {
        q->VFOUp_MouseDown();
        ASSERT_TRUE(tuning());
        QEvent e(lost);
        QApplication::sendEvent(q, &e);
        EXPECT_FALSE(tuning()) << lost;
    }
    // A scan runs on its own: leaving the window does not stop it.
    q->VFOUpClick_Click();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(q, &leave);
    EXPECT_TRUE(q->TimerVFO->enabled());
}

TEST_F(TuningKeys, ClosingTheLinkStopsAHoldAndAScan)
{
    powerOn();
    q->VFOUp_MouseDown();
    q->cmPower_Click();
    EXPECT_FALSE(tuning());

    powerOn();
    q->VFODownClick_Click();
    f.fake.serial.setWriteFails(QStringLiteral("device gone"));
    q->TimerVFO_Timer(); // the failing send closes the link
    EXPECT_FALSE(tuning());
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_EQ(f.fake.messages.criticals.size(), 1);
    const double stored = qrg();
    q->TimerVFO_Timer(); // a tick still queued tunes nothing
    EXPECT_EQ(qrg(), stored);
}

TEST_F(TuningKeys, WithTheLinkClosedPressClickAndEntryDoNothingButReleaseStillStops)
{
    tuneFrom(14074, 10);
    q->VFOUp_MouseDown();
    q->VFODown_MouseDown();
    q->VFOUpClick_Click();
    q->VFODownClick_Click();
    q->cmQRG_Click();
    EXPECT_EQ(qrg(), 14074);
    EXPECT_FALSE(tuning());
    EXPECT_TRUE(q->QRGEdit->isHidden());
    EXPECT_TRUE(f.fake.serial.writes().empty());

    q->TimerVFO->setEnabled(true);
    q->TimerVFOPress->setEnabled(true);
    q->VFODown_MouseUp();
    EXPECT_FALSE(tuning());
}

// ---- the typed frequency

struct EntryCase {
    const char* name;
    const char* typed;
    const char* boxShows;
    double sent;
};

class TypedEntry : public TuningKeys, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(TypedEntry, TheFilterKeepsDigitsAndPunctuationAndEnterSendsTheDecimalReading)
{
    const EntryCase& c = GetParam();
    powerOn();
    tuneFrom(14074.5, 10);
    q->cmQRG_Click();
    ASSERT_FALSE(q->QRGEdit->isHidden());
    ASSERT_EQ(q->QRGEdit->text(), QStringLiteral("14074.5"));
    ASSERT_EQ(q->QRGEdit->selectedText(), QStringLiteral("14074.5"));

    type(c.typed); // over the selected text
    EXPECT_EQ(q->QRGEdit->text(), QString::fromLatin1(c.boxShows));
    q->QRGEdit->typeKey(13);

    EXPECT_TRUE(q->QRGEdit->isHidden());
    EXPECT_EQ(qrg(), c.sent);
    EXPECT_EQ(frames(), std::vector<std::string>{shown(civ::setFreqFrame(0x56, c.sent))});
    EXPECT_EQ(q->st.PrevQrg, 14074.5);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, TypedEntry,
    ::testing::Values(EntryCase{"LettersDropped", "7a0.5x5", "70.55", 70.55}, EntryCase{"Empty", "\b", "", 0},
                      EntryCase{"TheCommaGroups", "14,074.5", "14,074.5", 14074.5},
                      EntryCase{"NegativeGoesOutAsZero", "-5", "-5", 0}),
    [](const ::testing::TestParamInfo<EntryCase>& i) { return std::string(i.param.name); });

TEST_F(TuningKeys, CharactersBeyondLatin1StayOutOfTheBox)
{
    powerOn();
    q->cmQRG_Click();
    q->QRGEdit->clear();
    typeCharacters(q->QRGEdit, QStringLiteral("14\u20AC07\u01424.5"));
    EXPECT_EQ(q->QRGEdit->text(), QStringLiteral("14074.5"));
}

struct AnswerCase {
    const char* name;
    QByteArray waiting;  // in before the typed frequency went out
    QByteArray answers;  // in after it
    double kHz;          // where the panel stands then
    const char* caption;
    int band;
};

class AnswersToATypedEntry : public TuningKeys, public ::testing::WithParamInterface<AnswerCase> {};

// 50,110.00 typed over with 14074: what the answers make of it, down to the
// next step of a tuning key.
TEST_P(AnswersToATypedEntry, TheFirstOkOrNotGoodAfterItDecides)
{
    const AnswerCase& c = GetParam();
    powerOn();
    tuneFrom(50110, 10);
    f.fake.serial.queueInput(c.waiting);
    q->cmQRG_Click();
    type("14074");
    q->QRGEdit->typeKey(13);
    ASSERT_EQ(qrg(), 14074);

    f.fake.serial.queueInput(c.answers);
    q->Timer1_Timer();
    EXPECT_EQ(qrg(), c.kHz);
    EXPECT_EQ(q->QRG->caption(), QString::fromLatin1(c.caption));
    EXPECT_EQ(q->st.BandIndex, c.band);
    EXPECT_EQ(q->st.PrevQrg, 0);

    f.fake.serial.clearWrites();
    q->VFOUp_MouseDown();
    q->VFOUp_MouseUp();
    EXPECT_EQ(frames(), std::vector<std::string>{shown(civ::setFreqFrame(0x56, c.kHz + 0.01))});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AnswersToATypedEntry,
    ::testing::Values(AnswerCase{"NotGoodPutsTheOldFrequencyBack", {}, fromRadio({0xFA}), 50110, "50,110.00", 10},
                      AnswerCase{"OkThenALaterNotGoodKeepsTheTypedOne", {}, fromRadio({0xFB}) + fromRadio({0xFA}),
                                 14074, "14,074.00", 5},
                      AnswerCase{"AnOkWaitingBeforeItAnswersAnEarlierCommand", fromRadio({0xFB}), fromRadio({0xFA}),
                                 50110, "50,110.00", 10},
                      AnswerCase{"AFrequencyReportThenANotGoodKeepsTheReport", {},
                                 fromRadio({0x03, 0x00, 0x40, 0x07, 0x14, 0x00}) + fromRadio({0xFA}), 14074,
                                 "14,074.00", 5}),
    [](const ::testing::TestParamInfo<AnswerCase>& i) { return std::string(i.param.name); });

// "14.074" meant in MHz is 14.074 kHz to the radio, which refuses it: the display
// must show the frequency the radio stayed on, not the refused one.
TEST_F(TuningKeys, ARefusedTypedFrequencyLeavesTheDisplayOnTheRadiosFrequency)
{
    powerOn();
    tuneFrom(50110, 10);
    q->cmQRG_Click();
    type("14.074");
    q->QRGEdit->typeKey(13);
    ASSERT_EQ(q->QRG->caption(), QStringLiteral("14.07"));
    f.fake.serial.clearWrites();

    f.fake.serial.queueInput(fromRadio({0xFA}));
    q->Timer1_Timer();

    EXPECT_EQ(qrg(), 50110);
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("50,110.00"));
    EXPECT_TRUE(frames().empty());
}

TEST_F(TuningKeys, EscHidesTheBoxAndTouchesNothing)
{
    powerOn();
    tuneFrom(14074.5, 10);
    q->st.PrevQrg = 7000;
    q->cmQRG_Click();
    type("3700");
    q->QRGEdit->typeKey(27);
    EXPECT_TRUE(q->QRGEdit->isHidden());
    EXPECT_EQ(qrg(), 14074.5);
    EXPECT_EQ(q->st.PrevQrg, 7000);
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(TuningKeys, EnterAfterTheLinkHasClosedSendsNothing)
{
    powerOn();
    tuneFrom(14074.5, 10);
    q->cmQRG_Click();
    type("7100");
    q->cmPower_Click();
    f.fake.serial.clearWrites();
    q->QRGEdit->typeKey(13);
    EXPECT_TRUE(q->QRGEdit->isHidden());
    EXPECT_EQ(qrg(), 14074.5);
    EXPECT_EQ(q->st.PrevQrg, 0);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

// Where the decimal separator is a comma, the box opens in the user's notation
// and Enter on it unedited keeps the frequency, rather than dropping the part
// after the comma.
TEST_F(TuningKeys, WithACommaLocaleTheBoxOpensAndSendsInTheUsersNotation)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    powerOn();
    tuneFrom(14074.5, 10);
    q->cmQRG_Click();
    EXPECT_EQ(q->QRGEdit->text(), QStringLiteral("14074,5"));
    q->QRGEdit->typeKey(13);
    EXPECT_EQ(qrg(), 14074.5);

    // A point marks the decimals as well, as radios and spot lists write them;
    // with both, the last one does and the other groups.
    const std::pair<const char*, double> typed[] = {{"14074.5", 14074.5}, {"7050,25", 7050.25},
                                                     {"14.074,5", 14074.5}, {"14,074.5", 14074.5}};
    for (const auto& [text, kHz] : typed) {
        q->cmQRG_Click();
        type(text);
        q->QRGEdit->typeKey(13);
        EXPECT_EQ(qrg(), kHz) << text;
    }
}
