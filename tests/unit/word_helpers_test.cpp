#include <gtest/gtest.h>

#include "front_panel/word_helpers.h"

using namespace quelm;
using words::Firstnum;
using words::Firststring;
using words::IsControl;
using words::PickWord;

namespace {

// Expected word: a text, or nullptr for the empty value.
struct WordCase {
    const char* line;
    int n;
    const char* word;
};

class PickWordTable : public ::testing::TestWithParam<WordCase> {};

TEST_P(PickWordTable, GivesTheWordOrTheEmptyValue)
{
    const WordCase c = GetParam();
    const Cell got = PickWord(QString::fromLatin1(c.line), c.n);
    if (!c.word) {
        EXPECT_TRUE(isEmptyValue(got)) << c.line << " word " << c.n << " gave " << cellText(got).toStdString();
    } else {
        ASSERT_TRUE(isText(got)) << c.line << " word " << c.n;
        EXPECT_EQ(std::get<QString>(got), QString::fromLatin1(c.word)) << c.line << " word " << c.n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Words, PickWordTable,
    ::testing::Values(
        // a reply text: code with colon, two blanks, digits
        WordCase{"10:  14074000", 1, "10:"}, WordCase{"10:  14074000", 2, "14074000"},
        WordCase{"10:  14074000", 3, nullptr},
        // runs of blanks before, between and after count as one
        WordCase{"   a   bb  ccc    d   ", 1, "a"}, WordCase{"   a   bb  ccc    d   ", 2, "bb"},
        WordCase{"   a   bb  ccc    d   ", 3, "ccc"}, WordCase{"   a   bb  ccc    d   ", 4, "d"},
        WordCase{"   a   bb  ccc    d   ", 5, nullptr},
        // word numbers below 1, and the empty line
        WordCase{"a b", 0, nullptr}, WordCase{"a b", -3, nullptr}, WordCase{"", 1, nullptr},
        WordCase{"    ", 1, nullptr},
        // a tab does not separate: the run is cut at it, and word 2 is after the next blank
        WordCase{"160m\t1840\t1810 2000", 1, "160m"}, WordCase{"160m\t1840\t1810 2000", 2, "2000"},
        WordCase{"160m\t1840\t1810 2000", 3, nullptr},
        // a word followed by a line end comes without it
        WordCase{"speed 9600,n,8,1\r", 2, "9600,n,8,1"}, WordCase{"port 3\n", 2, "3"},
        WordCase{"x\by", 1, "x"},
        // the blank after a comma ends the settings word
        WordCase{"speed 9600, n, 8, 1", 2, "9600,"}));

TEST(Firststring, CutsTheFirstWord)
{
    EXPECT_EQ(Firststring(QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(Firststring(QStringLiteral("   ")), QString());
    EXPECT_EQ(Firststring(QString()), QString());
    EXPECT_EQ(Firststring(QStringLiteral("  last")), QStringLiteral("last"));
    EXPECT_EQ(Firststring(QStringLiteral("  z")), QStringLiteral("z")); // the single last character
    // a leading tab belongs to the word: the scan for its end starts after it
    EXPECT_EQ(Firststring(QStringLiteral("\tab\tcd ef")), QStringLiteral("\tab"));
    EXPECT_EQ(Firststring(QStringLiteral("\t")), QStringLiteral("\t"));
    // characters beyond the single-byte range never end a word
    EXPECT_EQ(Firststring(QStringLiteral("k\u2126m n")), QStringLiteral("k\u2126m"));
}

TEST(IsControl, OnlyTheFourCodes)
{
    for (int b = 0; b < 256; ++b) {
        const bool expected = b == 8 || b == 9 || b == 10 || b == 13;
        EXPECT_EQ(IsControl(static_cast<unsigned char>(b)), expected) << b;
    }
}

TEST(Firstnum, LongestLeadingNumber)
{
    EXPECT_EQ(std::get<double>(Firstnum(QStringLiteral("14074.5 kHz"))), 14074.5);
    EXPECT_EQ(std::get<double>(Firstnum(QStringLiteral("12abc"))), 12);
    EXPECT_TRUE(isEmptyValue(Firstnum(QStringLiteral("abc"))));
    EXPECT_TRUE(isEmptyValue(Firstnum(QString())));
}

} // namespace
