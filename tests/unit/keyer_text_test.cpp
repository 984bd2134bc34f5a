// The keyer memory's text as a write sends it, and the capitals of typed keys.

#include <gtest/gtest.h>

#include "operating_aids/keyer_text.h"

using namespace quelm;

TEST(KeyerText, IsAlwaysFiftyCharactersPaddedWithBlanksOrCut)
{
    struct Case {
        const char* name;
        QString box;
        QByteArray sent;
    };
    const Case cases[] = {
        {"seven characters and 43 blanks", QStringLiteral("CQ TEST"), QByteArray("CQ TEST") + QByteArray(43, ' ')},
        {"empty box: only blanks", QString(), QByteArray(50, ' ')},
        {"inner and outer blanks kept", QStringLiteral(" A  B "), QByteArray(" A  B ") + QByteArray(44, ' ')},
        {"longer text cut at 50", QString(60, QLatin1Char('X')), QByteArray(50, 'X')},
        {"Latin-1 letter as its byte", QString::fromLatin1("\xC9T\xC9"), QByteArray("\xC9T\xC9") + QByteArray(47, ' ')},
        {"no single byte: a question mark", QStringLiteral("5\u20AC"), QByteArray("5?") + QByteArray(48, ' ')},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyer::memoryText(c.box), c.sent) << c.name;
}

TEST(KeyerText, TypedLettersBecomeCapitalsWhereTheCharacterSetHasThem)
{
    struct Case {
        int typed;
        int shown;
    };
    const Case cases[] = {
        {'a', 'A'},   {'z', 'Z'},  {'Q', 'Q'},   {'5', '5'},   {'/', '/'},   {' ', ' '},
        {13, 13},     {27, 27},    {8, 8},
        {0xE9, 0xC9},  // e acute
        {0xFD, 0xDD},  // y acute: never an end-of-frame byte once typed
        {0xFF, 0xFF},  // y diaeresis: its capital is not a one-byte character
        {0xB5, 0xB5},  // micro sign: likewise
        {0xDF, 0xDF},  // sharp s has no one-character capital
        {0x142, 0},    // l with stroke: no byte the memory could hold, dropped
        {0x20AC, 0},   // euro sign: likewise
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyer::upperCaseKey(c.typed), c.shown) << c.typed;
}

TEST(KeyerText, ChannelCaptionsReadBackAsTheirChannel)
{
    for (int ch = keyer::kFirstChannel; ch <= keyer::kLastChannel; ++ch)
        EXPECT_EQ(keyer::channelOf(keyer::channelCaption(ch)), ch);
    EXPECT_EQ(keyer::channelCaption(3), QStringLiteral("03"));
}
