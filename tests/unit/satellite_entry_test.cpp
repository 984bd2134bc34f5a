// What the satellite entry box tunes: a typed satellite-side frequency, read in
// the user's number format, through the chosen row to the radio's frequency;
// and which typed keys the box keeps.

#include <initializer_list>
#include <optional>

#include <gtest/gtest.h>

#include "operating_aids/satellite_conversion.h"
#include "support/locale_guard.h"

using namespace quelm;

namespace {

sat::SatRowCells row(const QString& sense, double satLow, double satHigh, double trxAtHigh, double trxAtLow)
{
    return {Cell(sense), Cell(satLow), Cell(satHigh), Cell(trxAtHigh), Cell(trxAtLow), Cell(QStringLiteral("U")),
            Cell(QStringLiteral("USB"))};
}

// The two transponders of the satellite tests: satellite 435100 .. 435200 kHz
// on a radio at 145800 .. 145900 kHz, the same way up or upside down.
const sat::SatRowCells kNonInverting = row(QStringLiteral("N"), 435100, 435200, 145900, 145800);
const sat::SatRowCells kInverting = row(QStringLiteral("I"), 435100, 435200, 145800, 145900);

struct EntryCase {
    const char* name;
    const sat::SatRowCells* row;
    const char* typed;
    std::optional<double> radioKHz;
};

} // namespace

TEST(SatelliteEntry, TypedFrequencyTunesThroughTheRow)
{
    const EntryCase cases[] = {
        {"non-inverting, digits only", &kNonInverting, "435150", 145850},
        {"non-inverting, as the field shows it", &kNonInverting, "435,100.00", 145800},
        {"non-inverting, blanks around", &kNonInverting, " 435199.5 ", 145899.5},
        {"inverting, digits only", &kInverting, "435150", 145850},
        {"inverting, low end", &kInverting, "435,100.00", 145900},
        {"inverting, high end", &kInverting, "435200", 145800},
        {"empty box", &kNonInverting, "", std::nullopt},
        {"two decimal points", &kNonInverting, "435.1.5", std::nullopt},
        {"lone minus sign", &kInverting, "-", std::nullopt},
        {"lone comma", &kInverting, ",", std::nullopt},
    };
    for (const EntryCase& c : cases) {
        const std::optional<double> got = sat::entryFrequency(*c.row, QString::fromLatin1(c.typed));
        ASSERT_EQ(got.has_value(), c.radioKHz.has_value()) << c.name;
        if (got) {
            EXPECT_DOUBLE_EQ(*got, *c.radioKHz) << c.name;
        }
    }
}

TEST(SatelliteEntry, SenseOtherThanAnExactNInverts)
{
    for (const char* sense : {" N", "n", "N ", ""}) {
        const sat::SatRowCells r = row(QString::fromLatin1(sense), 435100, 435200, 145800, 145900);
        EXPECT_DOUBLE_EQ(sat::entryFrequency(r, u"435150").value_or(0), 145850) << '"' << sense << '"';
        EXPECT_DOUBLE_EQ(sat::entryFrequency(r, u"435100").value_or(0), 145900) << '"' << sense << '"';
    }
}

TEST(SatelliteEntry, ReadsTheUsersDecimalComma)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(sat::entryFrequency(kNonInverting, u"435.150,00").value_or(0), 145850);
    EXPECT_DOUBLE_EQ(sat::entryFrequency(kNonInverting, u"435150,5").value_or(0), 145850.5);
}

TEST(SatelliteEntry, KeyFilterKeepsDigitsControlKeysAndPunctuationUpToThePoint)
{
    for (int code : std::initializer_list<int>{'0', '5', '9', 8, 13, 27, ' ', '!', ',', '-', '.'})
        EXPECT_TRUE(sat::entryKeyPasses(code)) << code;
    for (int code : std::initializer_list<int>{'/', ':', 'A', 'a', 'z', '~', 0xE9})
        EXPECT_FALSE(sat::entryKeyPasses(code)) << code;
}
