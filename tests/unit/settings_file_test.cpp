#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "front_panel/settings_file.h"

using namespace quelm;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path() const { return QDir(dir.path()).filePath(QStringLiteral("quelm.ini")); }

    SettingsFile read(const QByteArray& bytes)
    {
        QFile f(path());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        return readSettingsFile(path());
    }
};

// A file of the repository, found from this source file's place.
QString repoFile(const QString& name)
{
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../") + name);
}

QString cell(const Cell& c) { return isEmptyValue(c) ? QStringLiteral("<empty>") : cellText(c); }

QByteArray lines(const QString& header, int count, const char* pattern)
{
    QByteArray out = header.toLatin1() + "\r\n";
    for (int i = 1; i <= count; ++i)
        out += QString::fromLatin1(pattern).arg(i).toLatin1() + "\r\n";
    return out;
}

TEST_F(SettingsFileTest, MissingFileNamesItsFullPath)
{
    const SettingsFile s = readSettingsFile(path());
    EXPECT_FALSE(s.ok);
    EXPECT_TRUE(s.error.contains(path())) << s.error.toStdString();
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileIsUnreadable)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("quelm.ini")));
    const SettingsFile s = readSettingsFile(path());
    EXPECT_FALSE(s.ok);
    EXPECT_TRUE(s.error.contains(path()));
}

TEST_F(SettingsFileTest, BandRowsTakeFourWords)
{
    const SettingsFile s = read("[BAND LIMIT]\r\n20m 14200 14000 14350 extra\r\n40m\t7050\t7000 7200\r\n"
                                "\r\n6m 50110\r\n");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(cell(s.BandLimit[1][BandName]), QStringLiteral("20m"));
    EXPECT_EQ(cell(s.BandLimit[1][HighQrg]), QStringLiteral("14350"));
    // tabs do not separate: the first word is cut at the tab, the run's next word is "7200"
    EXPECT_EQ(cell(s.BandLimit[2][BandName]), QStringLiteral("40m"));
    EXPECT_EQ(cell(s.BandLimit[2][StartQrg]), QStringLiteral("7200"));
    EXPECT_EQ(cell(s.BandLimit[2][LowQrg]), QStringLiteral("<empty>"));
    // an empty line takes a row of empty cells
    for (int t = 1; t <= 4; ++t)
        EXPECT_EQ(cell(s.BandLimit[3][t]), QStringLiteral("<empty>"));
    EXPECT_EQ(cell(s.BandLimit[4][StartQrg]), QStringLiteral("50110"));
    EXPECT_EQ(cell(s.BandLimit[4][LowQrg]), QStringLiteral("<empty>"));
    EXPECT_TRUE(s.warnings.isEmpty());
}

TEST_F(SettingsFileTest, HeadersMatchExactlyElseTheyAreData)
{
    const SettingsFile s = read("port 7\r\n[band limit]\r\n[COMM]\r\nport 2\r\n[BAND LIMIT]\r\n"
                                "[band limit] x\r\n[COMM] \r\n#[CQ]\r\n [CQ]\r\n");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.portNumber, 2); // the line before any header changed nothing
    EXPECT_EQ(cell(s.BandLimit[1][BandName]), QStringLiteral("[band"));
    EXPECT_EQ(cell(s.BandLimit[1][StartQrg]), QStringLiteral("limit]"));
    EXPECT_EQ(cell(s.BandLimit[1][LowQrg]), QStringLiteral("x"));
    EXPECT_EQ(cell(s.BandLimit[2][BandName]), QStringLiteral("[COMM]")); // header with a trailing blank
    EXPECT_EQ(cell(s.BandLimit[3][BandName]), QStringLiteral("[CQ]"));   // a leading blank is no comment
    EXPECT_TRUE(isEmptyValue(s.BandLimit[4][BandName]));
}

TEST_F(SettingsFileTest, CommLines)
{
    const SettingsFile s = read("[COMM]\r\n\r\nPort 9\r\nport 3\r\nspeed 4800,e,7,2\r\nbaud 1200\r\n");
    EXPECT_EQ(s.portNumber, 3);
    EXPECT_FALSE(s.portPath.has_value());
    EXPECT_EQ(s.speed, QStringLiteral("4800,e,7,2"));
    EXPECT_TRUE(s.warnings.isEmpty());
}

TEST_F(SettingsFileTest, PortMayBeADevicePathAndTheLastLineWins)
{
    SettingsFile s = read("[COMM]\r\nport 4\r\nport /dev/ttyUSB0\r\n");
    EXPECT_EQ(s.portPath, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(s.portNumber.has_value());
    s = read("[COMM]\r\nport /dev/ttyUSB0\r\nport 2.5\r\n");
    EXPECT_EQ(s.portNumber, 2); // rounded half to even
    EXPECT_FALSE(s.portPath.has_value());
}

TEST_F(SettingsFileTest, BadPortOrSpeedKeepsThePresetWithAMessage)
{
    struct Case {
        const char* line;
        const char* named;
    } cases[] = {{"port COM3", "COM3"}, {"port", "port"}, {"port 0", "port 0"}, {"port 300", "300"},
                 {"speed 9600, n, 8, 1", "9600,"}, {"speed fast", "fast"}, {"speed", "speed"}};
    for (const Case& c : cases) {
        const SettingsFile s = read(QByteArray("[COMM]\r\n") + c.line + "\r\n");
        EXPECT_TRUE(s.ok);
        EXPECT_FALSE(s.portNumber || s.portPath || s.speed) << c.line;
        ASSERT_EQ(s.warnings.size(), 1) << c.line;
        EXPECT_TRUE(s.warnings[0].contains(QString::fromLatin1(c.named))) << s.warnings[0].toStdString();
        EXPECT_TRUE(s.warnings[0].contains(QStringLiteral("line 2"))) << s.warnings[0].toStdString();
    }
}

// What the reader takes, the port must take too; a speed refused only when the
// port opens would name no line of the file.
TEST_F(SettingsFileTest, StopBitsThisSystemLacksAreRefusedAtTheLine)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows has 1.5 stop bits";
#endif
    const SettingsFile s = read("[COMM]\r\nspeed 9600,n,8,1\r\nspeed 9600,n,8,1.5\r\n");
    EXPECT_EQ(s.speed, QStringLiteral("9600,n,8,1"));
    ASSERT_EQ(s.warnings.size(), 1);
    EXPECT_TRUE(s.warnings[0].contains(QStringLiteral("line 3"))) << s.warnings[0].toStdString();
    EXPECT_TRUE(s.warnings[0].contains(QStringLiteral("1.5 stop bits"))) << s.warnings[0].toStdString();
}

TEST_F(SettingsFileTest, CQLinesUseFieldTwoTwiceAndFieldThree)
{
    const SettingsFile s = read("[CQ]\r\n1,cq.wav,5\r\n\r\nonly\r\n");
    EXPECT_EQ(s.CQMsg[0].Title, QStringLiteral("cq.wav"));
    EXPECT_EQ(s.CQMsg[0].WavFile, QStringLiteral("cq.wav"));
    EXPECT_EQ(s.CQMsg[0].PauseSec, QStringLiteral("5"));
    // an empty line and a line without commas take entries of empty texts
    EXPECT_EQ(s.CQMsg[1].Title, QString());
    EXPECT_EQ(s.CQMsg[2].WavFile, QString());
    EXPECT_EQ(s.CQMsg[2].PauseSec, QString());
}

TEST_F(SettingsFileTest, SatelliteRows)
{
    const SettingsFile s = read("[VIRTUALSAT]\r\nAO-7,N,145900,146000,29500,29400.5,U,USB\r\n"
                                "FO-29, N,435800x,435900,145900,146000,u,LSB\r\n\r\n");
    ASSERT_EQ(s.satelliteNames, (QStringList{QStringLiteral("AO-7"), QStringLiteral("FO-29"), QString()}));
    const auto& r0 = s.SatTable[0];
    EXPECT_EQ(std::get<QString>(r0[SatSense]), QStringLiteral("N"));
    EXPECT_EQ(std::get<double>(r0[SatQrgLow]), 145900);
    EXPECT_EQ(std::get<double>(r0[TrxQrgAtLow]), 29400.5);
    EXPECT_EQ(std::get<QString>(r0[SatModeFlag]), QStringLiteral("U"));
    EXPECT_EQ(std::get<QString>(r0[SatModo]), QStringLiteral("USB"));
    const auto& r1 = s.SatTable[1];
    EXPECT_EQ(std::get<QString>(r1[SatSense]), QStringLiteral(" N")); // kept as written
    EXPECT_EQ(std::get<double>(r1[SatQrgLow]), 435800);               // leading number only
    // the empty line: a nameless row of zeros and empty texts
    EXPECT_EQ(std::get<double>(s.SatTable[2][SatQrgHigh]), 0);
    EXPECT_EQ(std::get<QString>(s.SatTable[2][SatModo]), QString());
}

TEST_F(SettingsFileTest, FullTablesLoadAndOneMoreLineIsIgnoredWithOneWarning)
{
    const SettingsFile full = read(lines(QStringLiteral("[BAND LIMIT]"), 15, "b%1 1 0 2")
                                   + lines(QStringLiteral("[CQ]"), 21, "x,m%1.wav,5")
                                   + lines(QStringLiteral("[VIRTUALSAT]"), 31, "s%1,N,1,2,3,4,U,USB"));
    EXPECT_TRUE(full.warnings.isEmpty());
    EXPECT_EQ(cell(full.BandLimit[15][BandName]), QStringLiteral("b15"));
    EXPECT_EQ(full.CQMsg[20].WavFile, QStringLiteral("m21.wav"));
    EXPECT_EQ(full.satelliteNames.size(), 31);

    const SettingsFile over = read(lines(QStringLiteral("[BAND LIMIT]"), 17, "b%1 1 0 2")
                                   + lines(QStringLiteral("[CQ]"), 23, "x,m%1.wav,5")
                                   + lines(QStringLiteral("[VIRTUALSAT]"), 33, "s%1,N,1,2,3,4,U,USB"));
    ASSERT_TRUE(over.ok);
    ASSERT_EQ(over.warnings.size(), 3) << over.warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(over.warnings[0].contains(QStringLiteral("[BAND LIMIT]")));
    EXPECT_TRUE(over.warnings[0].contains(QStringLiteral("line 17"))); // header on line 1
    EXPECT_TRUE(over.warnings[1].contains(QStringLiteral("[CQ]")));
    EXPECT_TRUE(over.warnings[2].contains(QStringLiteral("[VIRTUALSAT]")));
    EXPECT_EQ(cell(over.BandLimit[15][BandName]), QStringLiteral("b15"));
    EXPECT_EQ(over.CQMsg[20].WavFile, QStringLiteral("m21.wav"));
    // the ignored satellite lines add no names, so list positions stay table rows
    EXPECT_EQ(over.satelliteNames.size(), 31);
    EXPECT_EQ(over.satelliteNames.last(), QStringLiteral("s31"));
}

TEST_F(SettingsFileTest, ASectionGivenTwiceContinuesItsCount)
{
    const SettingsFile s = read(lines(QStringLiteral("[BAND LIMIT]"), 8, "a%1 1 0 2")
                                + lines(QStringLiteral("[CQ]"), 1, "x,m%1.wav,5")
                                + lines(QStringLiteral("[BAND LIMIT]"), 8, "b%1 1 0 2"));
    EXPECT_EQ(cell(s.BandLimit[9][BandName]), QStringLiteral("b1"));
    EXPECT_EQ(cell(s.BandLimit[15][BandName]), QStringLiteral("b7"));
    ASSERT_EQ(s.warnings.size(), 1);
    EXPECT_TRUE(s.warnings[0].contains(QStringLiteral("line 20"))); // b8
}

TEST_F(SettingsFileTest, AnyLineEndEndsALine)
{
    // Windows, Unix and old Mac ends, and a last line without an end
    const SettingsFile s = read("[BAND LIMIT]\r\n20m 1 0 2\n40m 1 0 2\r60m 1 0 2\r\n\r\n80m 1 0 2");
    EXPECT_EQ(cell(s.BandLimit[2][BandName]), QStringLiteral("40m"));
    EXPECT_EQ(cell(s.BandLimit[3][BandName]), QStringLiteral("60m"));
    EXPECT_TRUE(isEmptyValue(s.BandLimit[4][BandName]));
    EXPECT_EQ(cell(s.BandLimit[5][BandName]), QStringLiteral("80m"));
    EXPECT_TRUE(isEmptyValue(s.BandLimit[6][BandName])); // no extra row after the last line
}

TEST_F(SettingsFileTest, SingleByteTextIsReadAsLatin1)
{
    const SettingsFile s = read("[VIRTUALSAT]\r\nSat\xe9,N,1,2,3,4,U,USB\r\n");
    ASSERT_EQ(s.satelliteNames.size(), 1);
    EXPECT_EQ(s.satelliteNames[0], QStringLiteral("Sat\u00e9"));
}

TEST(RepoSettingsFile, LoadsCleanlyWithConsistentSatellites)
{
    const SettingsFile s = readSettingsFile(repoFile(QStringLiteral("quelm.ini")));
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    EXPECT_TRUE(s.warnings.isEmpty()) << s.warnings.join(QLatin1Char('\n')).toStdString();
    const QStringList bands = {"160m", "80m", "40m", "30m", "20m", "17m", "15m", "12m", "10m", "6m", "2m"};
    for (int i = 0; i < bands.size(); ++i) {
        const auto& row = s.BandLimit[i + 1];
        EXPECT_EQ(cell(row[BandName]), bands[i]);
        const double start = cell(row[StartQrg]).toDouble();
        EXPECT_LE(cell(row[LowQrg]).toDouble(), start) << bands[i].toStdString();
        EXPECT_LE(start, cell(row[HighQrg]).toDouble()) << bands[i].toStdString();
    }
    ASSERT_EQ(s.satelliteNames.size(), 2);
    for (const auto& row : {s.SatTable[0], s.SatTable[1]}) {
        const double lo = std::get<double>(row[SatQrgLow]), hi = std::get<double>(row[SatQrgHigh]);
        const double atHi = std::get<double>(row[TrxQrgAtHigh]), atLo = std::get<double>(row[TrxQrgAtLow]);
        if (std::get<QString>(row[SatSense]) == QLatin1String("N"))
            EXPECT_EQ(atLo - lo, atHi - hi);
        else
            EXPECT_EQ(lo + atLo, hi + atHi);
    }
    EXPECT_NE(std::get<QString>(s.SatTable[0][SatSense]) == QLatin1String("N"),
              std::get<QString>(s.SatTable[1][SatSense]) == QLatin1String("N"));
    EXPECT_EQ(s.portNumber, 1);
    EXPECT_EQ(s.speed, QStringLiteral("9600,n,8,1"));
}

TEST(RepoSettingsFile, DefaultBandRowsHoldEveryIaruRegionsAllocationAndKeepTheirStarts)
{
    const SettingsFile s = readSettingsFile(repoFile(QStringLiteral("quelm.ini")));
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    auto row = [&s](const QString& name) -> const std::array<Cell, 5>* {
        for (int r = 1; r <= kBandRows; ++r) {
            if (cell(s.BandLimit[r][BandName]) == name)
                return &s.BandLimit[r];
        }
        return nullptr;
    };
    // Frequencies that lie inside the band in at least one region.
    const struct {
        const char* band;
        double start;
        std::vector<double> inside;
    } cases[] = {
        {"160m", 1840, {1800, 1810, 2000}},     {"80m", 3700, {3500, 3800, 3900, 4000}},
        {"40m", 7050, {7000, 7200, 7250, 7300}}, {"30m", 10120, {10100, 10150}},
        {"20m", 14200, {14000, 14350}},          {"17m", 18100, {18068, 18168}},
        {"15m", 21200, {21000, 21450}},          {"12m", 24940, {24890, 24990}},
        {"10m", 28500, {28000, 29700}},          {"6m", 50110, {50000, 52000, 54000}},
        {"2m", 144300, {144000, 146000, 148000}},
    };
    for (const auto& c : cases) {
        const auto* r = row(QString::fromLatin1(c.band));
        ASSERT_NE(r, nullptr) << c.band;
        EXPECT_EQ(cell((*r)[StartQrg]).toDouble(), c.start) << c.band;
        for (double khz : c.inside) {
            EXPECT_LE(cell((*r)[LowQrg]).toDouble(), khz) << c.band;
            EXPECT_GE(cell((*r)[HighQrg]).toDouble(), khz) << c.band;
        }
    }
}

} // namespace
