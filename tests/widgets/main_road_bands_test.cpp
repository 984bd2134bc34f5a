// The band table: finding a frequency's row and a band's row, the band keys,
// frequency changes with the band check, and the tune to a memory channel.

#include <string>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/quelm_fixture.h"

using namespace quelm;

namespace {

QString iniWithBands(const QString& bandLines)
{
    return QStringLiteral("[COMM]\r\nport 1\r\n[BAND LIMIT]\r\n") + bandLines;
}

struct BandsFixture : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void load(const QString& ini = QuelmFixture::defaultIni())
    {
        ASSERT_TRUE(f.load(ini));
        q = f.window.get();
        f.fake.messages.warnings.clear();
    }

    void powerOn()
    {
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        f.fake.serial.clearWrites();
        f.fake.messages.criticals.clear();
    }
};

} // namespace

struct RowCase {
    double qrg;
    int row;
};

class IdentificaBandaRows : public BandsFixture, public ::testing::WithParamInterface<RowCase> {};

TEST_P(IdentificaBandaRows, FindsTheRowWhoseEdgesHoldTheFrequency)
{
    load(iniWithBands(QStringLiteral("20m 14100 14000 14350\r\n17m 18100 18068 18168\r\n")));
    EXPECT_EQ(q->IdentificaBanda(GetParam().qrg), GetParam().row);
}

// Row 3 is past the last band line: its empty edges hold exactly 0.
INSTANTIATE_TEST_SUITE_P(EdgesInclusive, IdentificaBandaRows,
                         ::testing::Values(RowCase{14000, 1}, RowCase{14350, 1}, RowCase{14200.5, 1},
                                           RowCase{18068, 2}, RowCase{13999.99, 99}, RowCase{14350.01, 99},
                                           RowCase{0, 3}, RowCase{-1, 99}));

TEST_F(BandsFixture, OverlappingRowsGiveTheLowerRow)
{
    load(iniWithBands(QStringLiteral("a 100 100 200\r\nb 150 150 300\r\n")));
    EXPECT_EQ(q->IdentificaBanda(160), 1);
    EXPECT_EQ(q->IdentificaBanda(250), 2);
}

TEST_F(BandsFixture, AnEdgeThatIsNoNumberPassesTheRowOverInsteadOfEndingTheProgram)
{
    load(iniWithBands(QStringLiteral("bad 14100 14.000,5x 14350\r\n20m 14100 14000 14350\r\n")));
    EXPECT_EQ(q->IdentificaBanda(14100), 2);
}

TEST_F(BandsFixture, WithElevenBandsFrequencyZeroFallsInEmptyRowTwelveWithoutMessage)
{
    load();
    powerOn();
    q->CambiaQRG(0, false);
    EXPECT_EQ(q->st.BandIndex, 12);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

TEST_F(BandsFixture, CercaBandaMatchesNamesExactly)
{
    load(iniWithBands(QStringLiteral("20M 14100 14000 14350\r\n17m 18100 18068 18168\r\n")));
    EXPECT_EQ(q->CercaBanda(QStringLiteral("17m")), 2);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    EXPECT_EQ(q->CercaBanda(QStringLiteral("20m")), 1);
    EXPECT_EQ(f.fake.messages.criticals, QStringList{f.bandNotDefinedMessage()});
}

TEST_F(BandsFixture, BandKeyTunesToTheStartThenAsksTheRadio)
{
    load();
    powerOn();
    q->st.VFOActive = 1;
    const int bandBefore = q->st.BandIndex;

    q->cm20m_Click();

    const auto& w = f.fake.serial.writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].bytes, QByteArray("\xFE\xFE\x56\xE0\x05\x00\x00\x20\x14\x00\xFD", 11));
    EXPECT_EQ(w[1].bytes, QByteArray("\xFE\xFE\x56\xE0\x03\xFD", 6));
    // The frequency's own wait and then the pause come between them.
    EXPECT_GT(w[1].time - w[0].time, 2 * q->st.CmdDelay);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[1], 14200);
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("14,200.00"));
    // The band index follows only the radio's answer.
    EXPECT_EQ(q->st.BandIndex, bandBefore);
}

TEST_F(BandsFixture, EveryBandKeyNamesItsBand)
{
    load();
    powerOn();
    // Through the keys' own click signals, so the wiring is tested too.
    const std::pair<PanelKey*, double> keys[] = {
        {q->cm160m, 1840}, {q->cm80m, 3700},  {q->cm40m, 7050},  {q->cm30m, 10120},
        {q->cm20m, 14200}, {q->cm17m, 18100}, {q->cm15m, 21200}, {q->cm12m, 24940},
        {q->cm10m, 28500}, {q->cm6m, 50110},  {q->cm2m, 144300}};
    for (const auto& [key, start] : keys) {
        emit key->clicked();
        EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], start) << key->objectName().toStdString();
    }
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

TEST_F(BandsFixture, AnUndefinedBandShowsTheMessageAndTunesRowOne)
{
    load(iniWithBands(QStringLiteral("160M 1840 1810 2000\r\n")));
    powerOn();
    q->cm20m_Click();
    EXPECT_EQ(f.fake.messages.criticals, QStringList{f.bandNotDefinedMessage()});
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 1840);
}

TEST_F(BandsFixture, AStartFrequencyThatIsNoNumberIsReportedAndNothingIsSent)
{
    load(iniWithBands(QStringLiteral("20m 14.1MHz 14000 14350\r\n")));
    powerOn();
    const double before = q->st.VFOQrg[0];
    q->cm20m_Click();
    ASSERT_EQ(f.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(f.fake.messages.criticals[0].contains(QStringLiteral("14.1MHz")));
    EXPECT_TRUE(f.fake.messages.criticals[0].contains(f.programFile(QStringLiteral("quelm.ini"))));
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], before);
}

TEST_F(BandsFixture, BandKeyWithTheLinkClosedDoesNothing)
{
    load();
    const auto before = q->st.VFOQrg;
    const QString caption = q->QRG->caption();
    q->cm20m_Click();
    EXPECT_EQ(q->st.VFOQrg, before);
    EXPECT_EQ(q->QRG->caption(), caption);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(BandsFixture, CambiaQRGWithoutSendingStoresAndChecksOnly)
{
    load();
    powerOn();
    q->st.BandIndex = 5;
    q->CambiaQRG(7100, false);
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[0], 7100);
    EXPECT_EQ(q->st.BandIndex, 3);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

TEST_F(BandsFixture, CambiaQRGWithSendingSendsEvenOutOfBandAndWarnsEachTime)
{
    load();
    powerOn();
    q->st.BandIndex = 3;
    q->CambiaQRG(13000, true);
    q->CambiaQRG(13000, true);
    ASSERT_EQ(f.fake.serial.writes().size(), 2u);
    EXPECT_EQ(f.fake.serial.writes()[0].bytes, QByteArray("\xFE\xFE\x56\xE0\x05\x00\x00\x00\x13\x00\xFD", 11));
    EXPECT_EQ(f.fake.messages.criticals, QStringList(2, f.notInBandMessage()));
    EXPECT_EQ(q->st.BandIndex, 3);
    EXPECT_EQ(q->QRG->caption(), QStringLiteral("13,000.00"));
}

TEST_F(BandsFixture, SettoMemoriaTunesAndSetsTheModeIgnoringTheOtherSide)
{
    load();
    powerOn();
    q->SettoMemoria(14074, QStringLiteral("CW"), 7000, QStringLiteral("LSB"));
    const auto first = f.fake.serial.allOutput();
    f.fake.serial.clearWrites();
    q->SettoMemoria(14074, QStringLiteral("CW"), 145000, QStringLiteral("FM"));

    EXPECT_EQ(f.fake.serial.allOutput(), first);
    EXPECT_EQ(first, QByteArray("\xFE\xFE\x56\xE0\x05\x00\x40\x07\x14\x00\xFD"
                                "\xFE\xFE\x56\xE0\x06\x03\xFD",
                                18));
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("CW"));
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("CW"));
    EXPECT_EQ(q->st.BandIndex, 5);
}

TEST_F(BandsFixture, SettoMemoriaWithTheLinkClosedLeavesEverythingAsItWas)
{
    load();
    const auto qrg = q->st.VFOQrg;
    const auto modes = q->st.VFOModo;
    q->SettoMemoria(13000, QStringLiteral("CW"), 0, QString());
    EXPECT_EQ(q->st.VFOQrg, qrg);
    EXPECT_EQ(q->st.VFOModo, modes);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    EXPECT_TRUE(f.fake.serial.writes().empty());
}
