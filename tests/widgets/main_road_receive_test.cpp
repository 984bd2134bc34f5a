// The receive loop: each reply the radio can send, fed through the fake port and
// the real frame reader, and what it does to the display and the state.

#include <algorithm>
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/quelm_fixture.h"
#include "window_support/bar_control.h"
#include "support/civ_frames.h"

using namespace quelm;
using namespace testframes;

namespace {


// A frequency report (transceive, to address 00) of `hz`, five BCD bytes least
// significant pair first.
QByteArray frequencyReport(long long hz)
{
    QByteArray f("\xFE\xFE\x00\x56\x00", 5);
    for (int i = 0; i < 5; ++i) {
        const int pair = static_cast<int>(hz % 100);
        hz /= 100;
        f.append(static_cast<char>(((pair / 10) << 4) | (pair % 10)));
    }
    f.append('\xFD');
    return f;
}

// A memory-channel answer: 1A 00, channel 0001, 38 bytes of contents.
QByteArray channelAnswer()
{
    return QByteArray("\xFE\xFE\xE0\x56\x1A\x00\x00\x01", 8) + QByteArray(38, '\0') + QByteArray("\xFD", 1);
}

struct ReceiveFixture : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
        q->st.VFOQrg = {7050, 21074};
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        f.fake.serial.clearWrites();
        f.fake.messages.criticals.clear();
    }

    void receive(const QByteArray& bytes)
    {
        f.fake.serial.queueInput(bytes);
        q->Timer1_Timer();
    }
};

} // namespace

struct FrequencyCase {
    long long hz;
    const char* caption;
    double stored;
    int bandIndex; // the fixture's eleven bands; 12 is the first empty row; 3 the band before
    bool message;
};

class FrequencyReply : public ReceiveFixture, public ::testing::WithParamInterface<FrequencyCase> {};

TEST_P(FrequencyReply, ShowsRoundsAndStoresThroughTheCaption)
{
    const FrequencyCase& c = GetParam();
    q->st.PrevQrg = 7040;
    q->st.VFOActive = 1;

    receive(frequencyReport(c.hz));

    EXPECT_EQ(q->QRG->caption(), QString::fromLatin1(c.caption));
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[1], c.stored);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 7050);
    EXPECT_EQ(q->st.BandIndex, c.bandIndex);
    EXPECT_EQ(q->st.PrevQrg, 0);
    EXPECT_EQ(f.fake.messages.criticals.size(), c.message ? 1 : 0);
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, FrequencyReply,
                         ::testing::Values(FrequencyCase{14074000, "14,074.00", 14074, 5, false},
                                           FrequencyCase{14074567, "14,074.57", 14074.57, 5, false},
                                           FrequencyCase{50000, "50.00", 50, 3, true},
                                           FrequencyCase{0, ".00", 0, 12, false},
                                           FrequencyCase{144300000, "144,300.00", 144300, 11, false}));

TEST_F(ReceiveFixture, TheAnswerToAFrequencyQueryIsTakenLikeAReport)
{
    receive(fromRadio({0x03, 0x00, 0x00, 0x05, 0x07, 0x00}));
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("7,050.00"));
    EXPECT_EQ(q->st.BandIndex, 3);
}

TEST_F(ReceiveFixture, NotGoodRestoresTheFrequencyBeforeTheTypedEntryOnlyOnce)
{
    q->st.VFOQrg[0] = 28500; // the typed entry, shown
    q->QRG->setCaption(QStringLiteral("28,500.00"));
    q->st.BandIndex = 9;
    q->st.PrevQrg = 14074;

    receive(fromRadio({0xFA}));

    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 14074);
    EXPECT_EQ(q->st.BandIndex, 5);
    EXPECT_EQ(q->st.PrevQrg, 0);
    // The radio stayed on 14074: the display says so again.
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("14,074.00"));
    EXPECT_TRUE(f.fake.serial.writes().empty());

    // A second NG finds nothing to restore.
    q->st.VFOQrg[0] = 28500;
    receive(fromRadio({0xFA}));
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 28500);
}

TEST_F(ReceiveFixture, ModeReplies)
{
    q->st.VFOActive = 1;
    receive(fromRadio({0x04, 0x03, 0x01}));
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("CW"));
    EXPECT_EQ(q->st.VFOModo[1], QStringLiteral("CW"));

    // Mode code 06 has no name: the field and the VFO's mode go blank.
    receive(fromRadio({0x01, 0x06}, 0x00));
    EXPECT_EQ(q->LCDModo->caption(), QString());
    EXPECT_EQ(q->st.VFOModo[1], QString());
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("USB"));
}

TEST_F(ReceiveFixture, SMeterMovesTheBarAndACorruptReadingStaysOnTheScale)
{
    receive(fromRadio({0x15, 0x02, 0x01, 0x20}));
    EXPECT_EQ(q->LCDS->Value(), 120);

    // FF FF decodes to 16665, beyond the bar's scale.
    receive(fromRadio({0x15, 0x02, 0xFF, 0xFF}));
    EXPECT_EQ(q->LCDS->Value(), q->LCDS->Max());
}

TEST_F(ReceiveFixture, KeyerReplyFillsAndShowsTheKeyerField)
{
    q->LCDCWMem->setVisible(false);
    QByteArray body = QByteArray("\x1A\x02\x02", 3) + QByteArray("  CQ CQ DE IK2ABC K").leftJustified(50, ' ');
    QByteArray frame = QByteArray("\xFE\xFE\xE0\x56", 4) + body + QByteArray("\xFD", 1);

    receive(frame);

    EXPECT_EQ(q->LCDCWMem->text(), QStringLiteral("CQ CQ DE IK2ABC K"));
    EXPECT_FALSE(q->LCDCWMem->isHidden());
}

struct InertCase {
    const char* name;
    QByteArray frame;
    // An OK answers the typed frequency that went out before it: nothing is left to put back.
    double prevQrgAfter = 14074;
};

class RepliesThatChangeNothing : public ReceiveFixture, public ::testing::WithParamInterface<InertCase> {};

TEST_P(RepliesThatChangeNothing, AreConsumedAndIgnored)
{
    q->st.PrevQrg = 14074;
    q->LCDS->setValue(33);
    const auto qrg = q->QRG->caption();
    const auto mode = q->LCDModo->caption();
    const auto vfo = q->st.VFOQrg;
    const auto modes = q->st.VFOModo;
    const int band = q->st.BandIndex;

    receive(GetParam().frame);

    EXPECT_EQ(f.fake.serial.inBufferCount(), 0);
    EXPECT_EQ(q->QRG->caption(), qrg);
    EXPECT_EQ(q->LCDModo->caption(), mode);
    EXPECT_EQ(q->st.VFOQrg, vfo);
    EXPECT_EQ(q->st.VFOModo, modes);
    EXPECT_EQ(q->st.BandIndex, band);
    EXPECT_EQ(q->st.PrevQrg, GetParam().prevQrgAfter);
    EXPECT_EQ(q->LCDS->Value(), 33);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RepliesThatChangeNothing,
    ::testing::Values(
        // FD at position 12 is not an accepted frame length.
        InertCase{"Malformed00", fromRadio({0x03, 0x00, 0x00, 0x05, 0x07, 0x00, 0x00, 0x00})},
        InertCase{"Ok01", fromRadio({0xFB}), 0},
        InertCase{"BandEdges11", fromRadio({0x02, 0x00, 0x00, 0x00, 0x14, 0x00})},
        InertCase{"Offset60", fromRadio({0x0C, 0x00, 0x10, 0x00})},
        InertCase{"Channel70", channelAnswer()},
        InertCase{"Echo99", QByteArray("\xFE\xFE\x56\xE0\x03\xFD", 6)},
        InertCase{"UnknownCommandEmpty", fromRadio({0x1C, 0x00, 0x00})}),
    [](const ::testing::TestParamInfo<InertCase>& i) { return std::string(i.param.name); });

TEST_F(ReceiveFixture, AllFramesWaitingAtOneTickAreHandledInArrivalOrder)
{
    f.fake.serial.queueInput(frequencyReport(14074000) + fromRadio({0x04, 0x03, 0x01}) +
                             frequencyReport(7050000));
    q->Timer1_Timer();

    EXPECT_EQ(f.fake.serial.inBufferCount(), 0);
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("7,050.00"));
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("CW"));
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 7050);
    EXPECT_EQ(q->st.BandIndex, 3);
}

TEST_F(ReceiveFixture, ATickTakesWhatHasWhollyArrivedAndLeavesTheRestWithoutWaiting)
{
    const QByteArray report = frequencyReport(14074000);
    const QByteArray mode = fromRadio({0x01, 0x03, 0x01}, 0x00);
    // A mode report in, a frequency report half way along the line.
    f.fake.serial.queueInput(mode + report.left(6));
    const double t0 = f.fake.clock.now();
    q->Timer1_Timer();
    EXPECT_EQ(f.fake.clock.now(), t0) << "the tick waited for the end byte";
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("CW"));
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("7,050.00"));

    f.fake.clock.advance(0.01);
    receive(report.mid(6));
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("14,074.00"));
    EXPECT_EQ(f.fake.serial.inBufferCount(), 0);
}

TEST_F(ReceiveFixture, ADialTurnedOutOfTheBandWarnsOnceUntilItHasBeenBackInside)
{
    const QString notInBand = f.notInBandMessage();
    // The fixture's 40 m row ends at 7200 kHz; the dial turns on in 1 kHz steps.
    for (int khz = 7200; khz <= 7210; ++khz)
        receive(frequencyReport(khz * 1000LL));
    EXPECT_EQ(f.fake.messages.criticals, QStringList{notInBand});
    EXPECT_EQ(f.fake.messages.openBoxes(), 1);
    // The box is open, and the reports behind it are shown and stored.
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("7,210.00"));
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 7210);
    EXPECT_EQ(q->st.BandIndex, 3);

    // Closed, with the dial still outside: nothing new to say.
    f.fake.messages.closeOpenBoxes();
    receive(frequencyReport(7215000));
    EXPECT_EQ(f.fake.messages.criticals.size(), 1);

    // Back inside, then out again: a second box.
    receive(frequencyReport(7100000));
    EXPECT_EQ(q->st.BandIndex, 3);
    receive(frequencyReport(7250000));
    EXPECT_EQ(f.fake.messages.criticals, QStringList(2, notInBand));
}

TEST_F(ReceiveFixture, AnExcursionWhileTheBoxIsStillOpenStacksNoSecondBox)
{
    receive(frequencyReport(13000000));
    receive(frequencyReport(14100000));
    receive(frequencyReport(13000000));
    EXPECT_EQ(f.fake.messages.criticals.size(), 1);
    EXPECT_EQ(f.fake.messages.openBoxes(), 1);
    EXPECT_EQ(q->st.BandIndex, 5);
}

TEST_F(ReceiveFixture, ATypedFrequencyOutsideWarnsEachTimeAndItsReportAddsNoBox)
{
    const QString notInBand = f.notInBandMessage();
    q->CambiaQRG(13000, true);
    receive(frequencyReport(13000000)); // the radio reports what it was sent
    q->CambiaQRG(13000, true);
    EXPECT_EQ(f.fake.messages.criticals, QStringList(2, notInBand));
    EXPECT_EQ(f.fake.messages.openBoxes(), 0);

    // Also with a box of the radio's reports still open.
    receive(frequencyReport(7100000));
    receive(frequencyReport(12000000));
    ASSERT_EQ(f.fake.messages.openBoxes(), 1);
    q->CambiaQRG(13000, true);
    EXPECT_EQ(f.fake.messages.criticals, QStringList(4, notInBand));
}

TEST_F(ReceiveFixture, WithTheBoxOpenASteadyStreamOfReportsIsReadAsItComes)
{
    receive(frequencyReport(13000000));
    ASSERT_EQ(f.fake.messages.openBoxes(), 1);

    // Fifty reports a second for a minute, one 10 ms tick after another: each
    // tick takes what has come, so nothing piles up behind the open box.
    int maxWaiting = 0;
    for (int i = 0; i < 3000; ++i) {
        if (i % 2 == 0)
            f.fake.serial.queueInput(frequencyReport(13000000 + 10LL * i));
        q->Timer1_Timer();
        maxWaiting = std::max(maxWaiting, f.fake.serial.inBufferCount());
    }
    EXPECT_EQ(maxWaiting, 0);
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("13,029.98"));
    EXPECT_EQ(f.fake.messages.criticals.size(), 1);
}

TEST_F(ReceiveFixture, TheReportBoxClosingAfterTheWindowHasGoneIsHarmless)
{
    receive(frequencyReport(13000000));
    ASSERT_EQ(f.fake.messages.openBoxes(), 1);
    f.window.reset();
    f.fake.messages.closeOpenBoxes();
}

TEST_F(ReceiveFixture, TheSMeterTimerAsksForTheReading)
{
    q->TimerS_Timer();
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(f.fake.serial.writes()[0].bytes, QByteArray("\xFE\xFE\x56\xE0\x15\x02\xFD", 7));
}

TEST_F(ReceiveFixture, WithTheLinkClosedTheTimersTouchNothing)
{
    q->cmPower_Click();
    ASSERT_FALSE(f.fake.serial.portOpen());
    q->TimerS_Timer();
    q->Timer1_Timer();
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

TEST_F(ReceiveFixture, SatelliteSideFollowsTheReportWhileShownWithARowChosen)
{
    // Row 0: non-inverting, satellite low 145900 at radio 436000. Row 1:
    // inverting, satellite high 435600 at radio 145900.
    q->st.SatTable[0] = {Cell(QStringLiteral("N")), Cell(145900.0), Cell(146000.0), Cell(436100.0),
                         Cell(436000.0), Cell(QString()), Cell(QString())};
    q->st.SatTable[1] = {Cell(QStringLiteral("I")), Cell(435500.0), Cell(435600.0), Cell(145900.0),
                         Cell(146000.0), Cell(QString()), Cell(QString())};
    ASSERT_GE(q->cmbSatellite->count(), 2);
    q->LCDSatQrg->setCaption(QStringLiteral("unchanged"));
    receive(frequencyReport(436050000));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("unchanged")); // hidden

    q->LCDSatQrg->setVisible(true);
    receive(frequencyReport(436050000));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("unchanged")); // no row chosen

    // Picked from the list (the pick's own tuning is left waiting).
    q->cmbSatellite->setCurrentRow(0);
    emit q->cmbSatellite->chosen();
    receive(frequencyReport(436050000));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("145,950.00"));

    q->cmbSatellite->setCurrentRow(1);
    emit q->cmbSatellite->chosen();
    receive(frequencyReport(145950000));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,550.00"));
}
