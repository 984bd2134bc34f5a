// The satellite-side conversions, and the frequency command keeping the
// satellite field up to date while it is shown.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "front_panel/quelm.h"
#include "operating_aids/satellite_conversion.h"
#include "support/quelm_fixture.h"

using namespace quelm;

namespace {

sat::SatRowCells row(const QString& sense, double satLow, double satHigh, double trxAtHigh, double trxAtLow)
{
    return {Cell(sense), Cell(satLow), Cell(satHigh), Cell(trxAtHigh), Cell(trxAtLow), Cell(QString()),
            Cell(QString())};
}

} // namespace

TEST(SatelliteConversion, NonInvertingRowMovesBothSidesTogether)
{
    const auto r = row(QStringLiteral("N"), 435100, 435200, 145900, 145800);
    EXPECT_DOUBLE_EQ(sat::displayConversion(r, 145870), 435170);
    EXPECT_DOUBLE_EQ(sat::entryConversion(r, 435150), 145850);
    EXPECT_DOUBLE_EQ(sat::entryConversion(r, sat::displayConversion(r, 145833.25)), 145833.25);
}

TEST(SatelliteConversion, InvertingRowMovesTheSidesApart)
{
    const auto r = row(QStringLiteral("I"), 435100, 435200, 145800, 145900);
    EXPECT_DOUBLE_EQ(sat::displayConversion(r, 145820), 435180);
    EXPECT_DOUBLE_EQ(sat::entryConversion(r, 435150), 145850);
    EXPECT_DOUBLE_EQ(sat::entryConversion(r, 435100), 145900);
}

TEST(SatelliteConversion, OnlyAnExactNIsNonInverting)
{
    for (const char* sense : {" N", "n", "", "N "})
        EXPECT_FALSE(sat::isNonInverting(row(QString::fromLatin1(sense), 1, 2, 3, 4))) << sense;
    EXPECT_TRUE(sat::isNonInverting(row(QStringLiteral("N"), 1, 2, 3, 4)));
}

TEST(SatelliteConversion, FrequencyCellsReadAsTextOrNothing)
{
    EXPECT_DOUBLE_EQ(sat::cellKHz(Cell(QStringLiteral("435100.5 kHz"))), 435100.5);
    EXPECT_DOUBLE_EQ(sat::cellKHz(Cell()), 0);
    EXPECT_DOUBLE_EQ(sat::cellKHz(Cell(12.5)), 12.5);
}

TEST(SatelliteDisplay, FrequencyCommandShowsTheSatelliteSideOnlyWhenShownWithARowChosen)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    q.cmPower_Click();
    f.fake.serial.clearWrites();
    q.st.SatTable[0] = row(QStringLiteral("N"), 145900, 146000, 436100, 436000);
    ASSERT_GE(q.cmbSatellite->count(), 1);
    q.LCDSatQrg->setCaption(QStringLiteral("unchanged"));

    double freq = 436050;
    q.RadioSetFreq(freq);
    EXPECT_EQ(q.LCDSatQrg->caption(), QStringLiteral("unchanged"));

    q.LCDSatQrg->setVisible(true);
    q.RadioSetFreq(freq);
    EXPECT_EQ(q.LCDSatQrg->caption(), QStringLiteral("unchanged"));

    EXPECT_EQ(f.fake.serial.writes().size(), 2u);

    // Non-inverting: satellite 145900 at radio 436000, picked from the list; the
    // pick tunes the satellite's low end.
    q.cmbSatellite->setCurrentRow(0);
    emit q.cmbSatellite->chosen();
    QCoreApplication::sendPostedEvents();
    f.fake.serial.clearWrites();
    q.RadioSetFreq(freq);
    EXPECT_EQ(q.LCDSatQrg->caption(), QStringLiteral("145,950.00"));
    EXPECT_EQ(f.fake.serial.writes().size(), 1u);
}

TEST(SatelliteDisplay, ANegativeFrequencyIsRaisedToZeroInTheCallersVariable)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    q.cmPower_Click();
    f.fake.serial.clearWrites();

    double freq = -5;
    q.RadioSetFreq(freq);

    EXPECT_EQ(freq, 0);
    EXPECT_EQ(q.QRG->caption(), QStringLiteral(".00"));
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(f.fake.serial.writes()[0].bytes, QByteArray("\xFE\xFE\x56\xE0\x05\x00\x00\x00\x00\x00\xFD", 11));
}
