// The shared number conversions, in the pinned en_US locale and under a locale
// whose decimal sign is a comma.

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/conversions.h"
#include "support/locale_guard.h"

using namespace quelm;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

struct TextToNumber {
    const char* text;
    double value;
};

struct NumberToText {
    double value;
    const char* text;
};

struct LocaleCase {
    const char* text;
    std::optional<double> value;
};

} // namespace

TEST(DecimalReader, TakesTheLongestLeadingNumber)
{
    const TextToNumber cases[] = {
        {"14,074.5", 14},   {"7a", 7},         {"", 0},          {" -5", -5},     {"14074.5", 14074.5},
        {"  +3.25x", 3.25}, {"1.2.3", 1.2},    {".5", 0.5},      {"-.5", -0.5},   {"abc", 0},
        {"-", 0},           {".", 0},          {"1e3", 1},       {"\t 12", 12},   {"1 2 3", 123},
        {"- 5", -5},        {"5-3", 5},        {"0x10", 0},      {"00042", 42},   {"144300.123456", 144300.123456},
        {"-0", 0},          {"12,5", 12},      {"435150.1", 435150.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(conv::decimalReader(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(DecimalReader, IsCorrectlyRoundedAndStaysFinite)
{
    // Digit-by-digit accumulation drifts by an ulp; the reader must equal the literal.
    EXPECT_EQ(conv::decimalReader(u"0.3"), 0.3);
    EXPECT_EQ(conv::decimalReader(u"145899.99"), 145899.99);
    const QString huge = QString(400, QLatin1Char('9'));
    EXPECT_TRUE(std::isfinite(conv::decimalReader(huge)));
    EXPECT_TRUE(std::isfinite(conv::decimalReader(QLatin1Char('-') + huge)));
    EXPECT_LT(conv::decimalReader(QLatin1Char('-') + huge), 0);
    // Too small for a double is 0, not the largest number.
    const QString tiny = QStringLiteral("0.") + QString(400, QLatin1Char('0')) + QLatin1Char('1');
    EXPECT_EQ(conv::decimalReader(tiny), 0.0);
    EXPECT_EQ(conv::decimalReader(QLatin1Char('-') + tiny), 0.0);
    EXPECT_EQ(conv::plainNumber(tiny), 0.0);
}

TEST(DecimalReader, IgnoresTheUsersDecimalComma)
{
    LocaleGuard german(kGerman);
    EXPECT_EQ(conv::decimalReader(u"14074,5"), 14074);
    EXPECT_EQ(conv::decimalReader(u"14074.5"), 14074.5);
}

// A typed frequency: the point marks the decimals under every desktop language,
// the user's own separator too; where both appear, the last one does.
TEST(TypedDecimal, APointAndTheUsersSeparatorBothMarkTheDecimals)
{
    struct Case {
        const char* text;
        std::optional<double> pointLocale;
        std::optional<double> commaLocale;
    };
    const Case cases[] = {
        {"14074.5", 14074.5, 14074.5},
        {"14074,5", 140745, 14074.5},  // where the comma groups, it only groups
        {"14.074,5", std::nullopt, 14074.5},
        {"14,074.5", 14074.5, 14074.5},
        {"1.234.567,5", std::nullopt, 1234567.5},
        {"435,100.00", 435100, 435100},
        {"14.074", 14.074, 14.074},
        {"-3,5", -35, -3.5},
        {"5.", 5, 5},
        {"435.1.5", std::nullopt, std::nullopt},
        {"435,1,5", 43515, std::nullopt},
        {"14074.5,1", std::nullopt, 140745.1},  // a group separator after the decimal point: no number
        {"", std::nullopt, std::nullopt},
    };
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), kGerman}) {
        LocaleGuard guard(locale);
        const bool comma = QLocale().decimalPoint() == QStringLiteral(",");
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.text) + (comma ? " (comma locale)" : " (point locale)"));
            const QString typed = conv::typedDecimal(QString::fromLatin1(c.text));
            EXPECT_EQ(conv::plainNumber(typed), comma ? c.commaLocale : c.pointLocale);
        }
    }
    // The main box reads the leading number: a second point ends it, in either locale.
    LocaleGuard german(kGerman);
    EXPECT_EQ(conv::decimalReader(conv::typedDecimal(u"14,074,5")), 14.074);
}

TEST(LocaleReading, ReadsTheWholeTextInTheUsersFormat)
{
    const LocaleCase cases[] = {
        {"14074.5", 14074.5}, {" 14074.5 ", 14074.5}, {"14,074.5", 14074.5}, {"1,2,3", 123},
        {"5.", 5},            {"-3", -3},             {"+3", 3},             {"0", 0},
        {"1e3", 1000},        {"", std::nullopt},     {"   ", std::nullopt}, {"7a", std::nullopt},
        {"abc", std::nullopt}, {".", std::nullopt},   {",", std::nullopt},   {"1.2.3", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e400", std::nullopt}, {"1 000", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(conv::localeReading(QStringView(QString::fromLatin1(c.text))), c.value);
    }
}

TEST(LocaleReading, FollowsADecimalCommaLocale)
{
    LocaleGuard german(kGerman);
    const LocaleCase cases[] = {
        {"14074,5", 14074.5}, {"14.074,5", 14074.5}, {" 0,25 ", 0.25}, {"5,", 5},
        {"-3,5", -3.5},       {"1.5", 15},           {"7a", std::nullopt}, {"14074,5,1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(conv::localeReading(QStringView(QString::fromLatin1(c.text))), c.value);
    }
}

TEST(LocaleReading, EmptyValueIsZeroButEmptyTextIsNoNumber)
{
    EXPECT_EQ(conv::localeReading(Cell{}), 0.0);
    EXPECT_EQ(conv::localeReading(Cell{QString()}), std::nullopt);
    EXPECT_EQ(conv::localeReading(Cell{2.5}), 2.5);
    EXPECT_EQ(conv::localeReading(Cell{QStringLiteral("1,200")}), 1200.0);
}

TEST(NumberText, BlankOrSignPointNoGroupingFifteenDigits)
{
    const NumberToText cases[] = {
        {1200, " 1200"},
        {14074.5, " 14074.5"},
        {-3, "-3"},
        {0, " 0"},
        {-0.0, " 0"},
        {0.5, " 0.5"},
        {-0.25, "-0.25"},
        {0.00001, " 0.00001"},
        {1234567.125, " 1234567.125"},
        {144300.123456, " 144300.123456"},
        {435150.99999999994, " 435151"},
        {0.1 + 0.2, " 0.3"},
        {123456789012345.0, " 123456789012345"},
        {1e15, " 1E+15"},
        {-2.5e-7, "-0.00000025"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(conv::numberText(c.value), QString::fromLatin1(c.text));
    }
}

TEST(NumberText, ReadsBackThroughTheDecimalReaderInEveryLocale)
{
    LocaleGuard german(kGerman);
    for (double v : {14074.5, -3.0, 0.00001, 144300.123456, 50110.0, 0.1 + 0.2}) {
        SCOPED_TRACE(v);
        const QString text = conv::numberText(v);
        EXPECT_FALSE(text.contains(QLatin1Char(','))) << text.toStdString();
        EXPECT_DOUBLE_EQ(conv::decimalReader(text), QString::number(v, 'g', 15).toDouble());
    }
}

TEST(PlainText, UsersDecimalSignNoBlank)
{
    EXPECT_EQ(conv::plainText(14074.5), "14074.5");
    EXPECT_EQ(conv::plainText(1200), "1200");
    EXPECT_EQ(conv::plainText(-3.5), "-3.5");
    EXPECT_EQ(conv::plainText(123456.25), "123456.25"); // never grouped
    LocaleGuard german(kGerman);
    EXPECT_EQ(conv::plainText(14074.5), "14074,5");
    EXPECT_EQ(conv::plainText(123456.25), "123456,25");
    EXPECT_EQ(conv::plainText(-0.5), "-0,5");
    // What plainText writes, the locale reading takes back.
    EXPECT_EQ(conv::localeReading(QStringView(conv::plainText(14074.5))), 14074.5);
}

TEST(FormatFixed2, GroupedTwoDecimalsNoLeadingZero)
{
    const NumberToText cases[] = {
        {0, ".00"},
        {0.5, ".50"},
        {144300, "144,300.00"},
        {14074.5, "14,074.50"},
        {999.999, "1,000.00"},
        {1234567.891, "1,234,567.89"},
        {-0.5, "-.50"},
        {-14074.5, "-14,074.50"},
        {-0.001, ".00"},
        {0.995, "1.00"},
        {14074.005, "14,074.01"},
        {144300.123456, "144,300.12"},
        {435150.99999999994, "435,151.00"},
        {100, "100.00"},
        {1000, "1,000.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(conv::formatFixed2(c.value), QString::fromLatin1(c.text));
    }
}

TEST(FormatUpTo2, TrailingZerosDroppedDecimalSignKept)
{
    const NumberToText cases[] = {
        {14074, "14,074."}, {14074.5, "14,074.5"}, {14074.25, "14,074.25"}, {14074.999, "14,075."},
        {0, "."},           {0.5, ".5"},           {0.05, ".05"},           {-1234.5, "-1,234.5"},
        {144300.10, "144,300.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(conv::formatUpTo2(c.value), QString::fromLatin1(c.text));
    }
}

TEST(DisplayPatterns, UseTheUsersSeparators)
{
    LocaleGuard german(kGerman);
    EXPECT_EQ(conv::formatFixed2(144300), "144.300,00");
    EXPECT_EQ(conv::formatFixed2(0.5), ",50");
    EXPECT_EQ(conv::formatFixed2(1234567.891), "1.234.567,89");
    EXPECT_EQ(conv::formatUpTo2(14074), "14.074,");
    EXPECT_EQ(conv::formatUpTo2(14074.5), "14.074,5");
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const struct {
        double in;
        double out;
    } cases[] = {
        {2.5, 2},   {3.5, 4},   {0.5, 0},   {1.5, 2},  {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3},
        {-0.4, 0},  {7, 7},     {-7, -7},   {1e16, 1e16}, {4503599627370497.0, 4503599627370497.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(conv::roundHalfEven(c.in), c.out);
    }
}

TEST(RoundHalfEven, AtDecimalPlacesRoundsTheWrittenDigits)
{
    EXPECT_EQ(conv::roundHalfEven(2.675, 2), 2.68);   // binary 2.67499999...
    EXPECT_EQ(conv::roundHalfEven(2.665, 2), 2.66);   // half to even
    EXPECT_EQ(conv::roundHalfEven(0.0005, 3), 0.0);
    EXPECT_EQ(conv::roundHalfEven(0.0015, 3), 0.002);
    EXPECT_EQ(conv::roundHalfEven(14074.5, 0), 14074.0);
}

TEST(CellText, EmptyValueTextAndNumber)
{
    EXPECT_EQ(cellText(Cell{}), "");
    EXPECT_EQ(cellText(Cell{QStringLiteral(" a ")}), " a ");
    EXPECT_EQ(cellText(Cell{14074.5}), "14074.5");
    LocaleGuard german(kGerman);
    EXPECT_EQ(cellText(Cell{14074.5}), "14074,5");
}
