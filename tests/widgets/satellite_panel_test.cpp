// The satellite panel on the main window: picking a satellite, typing a
// satellite-side frequency, the radio's reports shown on the satellite side,
// from the click or key to the frames on the fake port.

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QTest>

#include "front_panel/quelm.h"
#include "support/civ_frames.h"
#include "support/locale_guard.h"
#include "support/quelm_fixture.h"
#include "support/typed_keys.h"

using namespace quelm;
using namespace testframes;

namespace {

// Satellite 435100 .. 435200 kHz on a radio at 145800 .. 145900 kHz: row 0 the
// same way up, the others upside down; only row 0 and row 1 set their mode.
QString satelliteIni()
{
    QString ini = QuelmFixture::defaultIni();
    ini.truncate(ini.indexOf(QStringLiteral("[VIRTUALSAT]")));
    return ini
        + QStringLiteral("[VIRTUALSAT]\r\n"
                         "Upright,N,435100,435200,145900,145800,U,USB\r\n"
                         "Inverted,I,435100,435200,145800,145900,U,LSB\r\n"
                         "Blank N, N,435100,435200,145800,145900, U,USB\r\n"
                         "Small n,n,435100,435200,145800,145900,u,USB\r\n");
}

const char* const kTune145800 = "FE FE 56 E0 05 00 00 80 45 01 FD";
const char* const kTune145850 = "FE FE 56 E0 05 00 00 85 45 01 FD";
const char* const kTune145900 = "FE FE 56 E0 05 00 00 90 45 01 FD";

// The radio's transceive report of a frequency in the 145 MHz range.
QByteArray report145(int khzAbove145000)
{
    const int d = khzAbove145000; // 870 for 145870 kHz
    const int pair = (d / 100) * 10 + (d / 10) % 10;
    return fromRadio({0x00, 0x00, (d % 10) << 4, (pair / 10) << 4 | pair % 10, 0x45, 0x01}, 0x00);
}

struct SatelliteFixture : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load(satelliteIni()));
        q = f.window.get();
        q->st.VFOQrg = {14074, 7050};
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        // The satellite panel as the menu key shows it.
        q->cmSatSelect->show();
        q->LCDSat->show();
        q->LCDSatQrg->show();
        f.fake.serial.clearWrites();
    }

    std::vector<std::string> frames() const { return f.sentFrames(); }

    // SAT key, then a click on the row's name; the queued Enter is still waiting.
    void pick(int row)
    {
        emit q->cmSatSelect->clicked();
        ASSERT_FALSE(q->cmbSatellite->isHidden());
        q->cmbSatellite->setCurrentRow(row);
        emit q->cmbSatellite->chosen();
    }

    void typeIntoEntryBox(const QString& keys)
    {
        emit q->LCDSatQrg->clicked();
        ASSERT_FALSE(q->QRGEditSat->isHidden());
        q->QRGEditSat->clear();
        QTest::keyClicks(q->QRGEditSat, keys);
        QTest::keyClick(q->QRGEditSat, Qt::Key_Return);
    }

    void receive(const QByteArray& bytes)
    {
        f.fake.serial.queueInput(bytes);
        q->Timer1_Timer();
    }
};

struct RowCase {
    const char* name;
    int row;
    const char* modeFrame;  // nullptr: the mode is left alone
    const char* pickFrame;  // the radio at the satellite's low end
    double pickKHz;
    int reportAbove145000;  // a turn of the radio's dial
    const char* reportShown;
};

void PrintTo(const RowCase& c, std::ostream* os)
{
    *os << c.name;
}

class SatelliteRows : public SatelliteFixture, public ::testing::WithParamInterface<RowCase> {};

} // namespace

TEST_P(SatelliteRows, PickTypeAndFollowTheRadio)
{
    const RowCase& c = GetParam();
    pick(c.row);

    // The mode goes out at once; the frequency waits for the queued Enter.
    const std::vector<std::string> modeOnly =
        c.modeFrame ? std::vector<std::string>{c.modeFrame} : std::vector<std::string>{};
    EXPECT_EQ(frames(), modeOnly);
    EXPECT_TRUE(q->cmbSatellite->isHidden());
    EXPECT_EQ(q->LCDSat->caption(), q->cmbSatellite->item(c.row)->text());
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,100.00"));

    QCoreApplication::sendPostedEvents();
    std::vector<std::string> picked = modeOnly;
    picked.push_back(c.pickFrame);
    EXPECT_EQ(frames(), picked);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], c.pickKHz);
    EXPECT_TRUE(q->QRGEditSat->isHidden());
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,100.00"));

    f.fake.serial.clearWrites();
    typeIntoEntryBox(QStringLiteral("435150"));
    EXPECT_EQ(frames(), std::vector<std::string>{kTune145850});
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 145850);
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,150.00"));

    receive(report145(c.reportAbove145000));
    EXPECT_EQ(q->LCDSatQrg->caption(), QLatin1String(c.reportShown));
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Transponders, SatelliteRows,
    ::testing::Values(
        RowCase{"NonInverting", 0, "FE FE 56 E0 06 01 FD", kTune145800, 145800, 870, "435,170.00"},
        RowCase{"Inverting", 1, "FE FE 56 E0 06 00 FD", kTune145900, 145900, 820, "435,180.00"},
        RowCase{"BlankBeforeNInvertsBlankBeforeUKeepsTheMode", 2, nullptr, kTune145900, 145900, 820,
                "435,180.00"},
        RowCase{"SmallNInvertsSmallUKeepsTheMode", 3, nullptr, kTune145900, 145900, 820, "435,180.00"}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST_F(SatelliteFixture, EscClosesOnlyTheEntryBox)
{
    pick(0);
    QCoreApplication::sendPostedEvents();
    f.fake.serial.clearWrites();
    const QString qrg = q->QRG->caption();

    emit q->LCDSatQrg->clicked();
    QTest::keyClicks(q->QRGEditSat, QStringLiteral("99"));
    QTest::keyClick(q->QRGEditSat, Qt::Key_Escape);

    EXPECT_TRUE(q->QRGEditSat->isHidden());
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,100.00"));
    EXPECT_EQ(q->QRG->caption(), qrg);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 145800);
}

TEST_F(SatelliteFixture, TheEntryBoxKeepsOnlyKeysThatCanMakeAFrequency)
{
    emit q->LCDSatQrg->clicked();
    q->QRGEditSat->clear();
    QTest::keyClicks(q->QRGEditSat, QStringLiteral("4a3/5,x-.9Z"));
    EXPECT_EQ(q->QRGEditSat->text(), QStringLiteral("435,-.9"));

    // Nor characters beyond Latin-1, typed or pasted.
    q->QRGEditSat->clear();
    typeCharacters(q->QRGEditSat, QStringLiteral("4\u20AC3\u01425"));
    EXPECT_EQ(q->QRGEditSat->text(), QStringLiteral("435"));
    QGuiApplication::clipboard()->setText(QStringLiteral("1\u20ACa,\u01425"));
    QTest::keyClick(q->QRGEditSat, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(q->QRGEditSat->text(), QStringLiteral("4351,5"));
}

TEST_F(SatelliteFixture, EntryThatIsNoNumberTunesNothingAndShowsWhereTheRadioIs)
{
    pick(0);
    QCoreApplication::sendPostedEvents();
    receive(report145(870));
    ASSERT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,170.00"));
    f.fake.serial.clearWrites();

    for (const char* typed : {"", "435.1.5", "-"}) {
        typeIntoEntryBox(QString::fromLatin1(typed));
        EXPECT_TRUE(q->QRGEditSat->isHidden()) << typed;
        EXPECT_TRUE(frames().empty()) << typed;
        EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 145870) << typed;
        EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,170.00")) << typed;
    }
}

TEST_F(SatelliteFixture, WithNoSatelliteChosenTheFieldShowsTheEntryAndIgnoresTheRadio)
{
    ASSERT_EQ(q->cmbSatellite->currentRow(), -1);
    typeIntoEntryBox(QStringLiteral("435150"));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,150.00"));
    EXPECT_TRUE(frames().empty());

    receive(report145(870));
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("145,870.00"));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,150.00"));
}

TEST_F(SatelliteFixture, WithThePanelHiddenTheRadiosReportsLeaveTheSatelliteFieldAlone)
{
    pick(0);
    QCoreApplication::sendPostedEvents();
    q->LCDSatQrg->hide();

    receive(report145(870));
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("145,870.00"));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,100.00"));
}

TEST_F(SatelliteFixture, WithTheLinkClosedAPickOrAnEntrySendsNothing)
{
    pick(1);
    QCoreApplication::sendPostedEvents();
    // The link closes while the list is open, and again while a pick's Enter waits.
    emit q->cmSatSelect->clicked();
    q->cmPower_Click();
    ASSERT_FALSE(isOn(q->st.PowerOn));
    f.fake.serial.clearWrites();

    q->cmbSatellite->setCurrentRow(0);
    emit q->cmbSatellite->chosen();
    EXPECT_TRUE(q->cmbSatellite->isHidden());
    EXPECT_EQ(q->cmbSatellite->currentRow(), 1);
    EXPECT_EQ(q->LCDSat->caption(), QStringLiteral("Inverted"));

    typeIntoEntryBox(QStringLiteral("435150"));
    EXPECT_TRUE(q->QRGEditSat->isHidden());
    EXPECT_TRUE(frames().empty());
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 145900);

    q->cmPower_Click();
    ASSERT_TRUE(isOn(q->st.PowerOn));
    pick(0);
    q->cmPower_Click();
    f.fake.serial.clearWrites();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(frames().empty());
}

TEST_F(SatelliteFixture, PickReadsBackItsOwnFieldInTheUsersNumberFormat)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    pick(0);
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435.100,00"));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(frames().back(), kTune145800);

    f.fake.serial.clearWrites();
    typeIntoEntryBox(QStringLiteral("435.150,00"));
    EXPECT_EQ(frames(), std::vector<std::string>{kTune145850});

    // A point marks the decimals there too, as radios and logs write them.
    f.fake.serial.clearWrites();
    typeIntoEntryBox(QStringLiteral("435150.5"));
    EXPECT_EQ(frames(), std::vector<std::string>{"FE FE 56 E0 05 00 05 85 45 01 FD"});
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 145850.5);
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435.150,50"));
}

// A press on another name that is let go off the list picks nothing: the
// satellite on show stays the one the radio's reports and typed entries go by.
TEST_F(SatelliteFixture, APressDraggedOffTheListLeavesTheChosenSatellite)
{
    pick(0);
    QCoreApplication::sendPostedEvents();
    emit q->cmSatSelect->clicked();
    QListWidget* list = q->cmbSatellite;
    list->doItemsLayout();
    const QPoint onInverted = list->visualItemRect(list->item(1)).center();
    ASSERT_FALSE(onInverted.isNull());
    QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, onInverted);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(-20, -20));
    ASSERT_EQ(list->currentRow(), 1);
    q->Image1_MouseMove(); // the pointer crosses the panel picture: the list goes
    f.fake.serial.clearWrites();

    EXPECT_EQ(q->LCDSat->caption(), QStringLiteral("Upright"));
    receive(report145(870));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,170.00"));
    typeIntoEntryBox(QStringLiteral("435180"));
    EXPECT_EQ(frames(), std::vector<std::string>{"FE FE 56 E0 05 00 00 88 45 01 FD"});
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,180.00"));
}

// A typed radio frequency that the radio refuses: both fields go back to where
// the radio stayed.
TEST_F(SatelliteFixture, ARefusedTypedFrequencyRestoresTheSatelliteSideToo)
{
    pick(0);
    QCoreApplication::sendPostedEvents();
    q->cmQRG_Click();
    q->QRGEdit->clear();
    QTest::keyClicks(q->QRGEdit, QStringLiteral("145.87"));
    QTest::keyClick(q->QRGEdit, Qt::Key_Return);
    ASSERT_EQ(q->QRG->caption(), QStringLiteral("145.87"));
    ASSERT_NE(q->LCDSatQrg->caption(), QStringLiteral("435,100.00"));
    f.fake.serial.clearWrites();

    receive(fromRadio({0xFA}));

    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 145800);
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("145,800.00"));
    EXPECT_EQ(q->LCDSatQrg->caption(), QStringLiteral("435,100.00"));
    EXPECT_TRUE(frames().empty());
}
