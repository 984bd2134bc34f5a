// The keyer-memory field on the main window: the channel keys, the read key and
// the edit box, from a click or a typed key to the frame on the fake port.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "front_panel/quelm.h"
#include "operating_aids/keyer_field.h"
#include "support/civ_frames.h"
#include "support/quelm_fixture.h"
#include "support/typed_keys.h"

using namespace quelm;
using namespace testframes;

namespace {

// FE FE 56 E0 1A 02 channel, the 50 characters, FD.
QByteArray keyerWrite(int channel, const QByteArray& text50)
{
    return sent({0x1A, 0x02, channel}).chopped(1) + text50 + QByteArray("\xFD", 1);
}

struct KeyerFixture : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        f.fake.serial.clearWrites();
    }

    std::vector<std::string> frames() const { return f.sentFrames(); }

    // The box as the receive loop opens it, with the radio's text for channel `ch`.
    void openBoxWith(int ch, const QByteArray& text)
    {
        f.fake.serial.queueInput(fromRadio({0x1A, 0x02, ch}).chopped(1) + text.leftJustified(50, ' ')
                                 + QByteArray("\xFD", 1));
        q->Timer1_Timer();
        ASSERT_FALSE(q->LCDCWMem->isHidden());
    }
};

} // namespace

TEST_F(KeyerFixture, ChannelKeysStopAtOneAndFourAndTheReadKeyAsksForTheShownChannel)
{
    EXPECT_EQ(q->LCDCH->caption(), QStringLiteral("01"));
    emit q->cmCHDown->clicked();
    EXPECT_EQ(q->LCDCH->caption(), QStringLiteral("01"));
    emit q->cmCWMem->clicked();

    for (const char* expected : {"02", "03", "04", "04"}) {
        emit q->cmCHUp->clicked();
        EXPECT_EQ(q->LCDCH->caption(), QLatin1String(expected));
    }
    emit q->cmCWMem->clicked();
    emit q->cmCHDown->clicked();
    EXPECT_EQ(q->LCDCH->caption(), QStringLiteral("03"));

    EXPECT_EQ(frames(), (std::vector<std::string>{"FE FE 56 E0 1A 02 01 FD", "FE FE 56 E0 1A 02 04 FD"}));
}

TEST_F(KeyerFixture, EnterWritesTheBoxPaddedToFiftyCharactersAndClosesIt)
{
    struct Case {
        const char* name;
        const char* typed;
        QByteArray text50;
    };
    const Case cases[] = {
        {"CQ TEST", "CQ TEST", QByteArray("CQ TEST") + QByteArray(43, ' ')},
        {"empty box", "", QByteArray(50, ' ')},
        {"typed in lower case", "de ik2abc", QByteArray("DE IK2ABC") + QByteArray(41, ' ')},
    };
    emit q->cmCHUp->clicked(); // channel 2
    for (const Case& c : cases) {
        f.fake.serial.clearWrites();
        openBoxWith(2, "OLD TEXT");
        q->LCDCWMem->clear();
        QTest::keyClicks(q->LCDCWMem, QString::fromLatin1(c.typed));
        QTest::keyClick(q->LCDCWMem, Qt::Key_Return);

        EXPECT_TRUE(q->LCDCWMem->isHidden()) << c.name;
        ASSERT_EQ(f.fake.serial.writes().size(), 1u) << c.name;
        EXPECT_EQ(shown(f.fake.serial.writes()[0].bytes), shown(keyerWrite(2, c.text50))) << c.name;
        EXPECT_EQ(f.fake.serial.writes()[0].bytes.size(), 58) << c.name;
    }
}

TEST_F(KeyerFixture, TypedKeysShowInCapitalsButTheRadiosTextStaysAsItCame)
{
    openBoxWith(1, "cq de ik2abc");
    EXPECT_EQ(q->LCDCWMem->text(), QStringLiteral("cq de ik2abc"));

    QTest::keyClicks(q->LCDCWMem, QStringLiteral(" k?"));
    EXPECT_EQ(q->LCDCWMem->text(), QStringLiteral("cq de ik2abc K?"));
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

// The memory goes out one byte a character: what has no byte of its own stays
// out of the box, typed or pasted, rather than reaching the radio as "?".
TEST_F(KeyerFixture, CharactersTheMemoryCannotHoldDoNotGetIn)
{
    openBoxWith(1, "");
    typeCharacters(q->LCDCWMem, QStringLiteral("cq\u0142\u20AC \u00E9"));
    EXPECT_EQ(q->LCDCWMem->text(), QStringLiteral("CQ \u00C9"));
    QGuiApplication::clipboard()->setText(QStringLiteral("d\u0142e"));
    QTest::keyClick(q->LCDCWMem, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(q->LCDCWMem->text(), QStringLiteral("CQ \u00C9DE"));

    QTest::keyClick(q->LCDCWMem, Qt::Key_Return);
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(shown(f.fake.serial.writes()[0].bytes),
              shown(keyerWrite(1, QByteArray("CQ \xC9" "DE").leftJustified(50, ' '))));
}

// The box opens ready for typing, on an empty memory as on a filled one.
TEST_F(KeyerFixture, TheBoxTakesTheKeyboardWhenItOpens)
{
    q->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(q));
    q->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(q));
    for (const char* memory : {"", "CQ TEST"}) {
        SCOPED_TRACE(memory);
        openBoxWith(1, memory);
        EXPECT_EQ(QApplication::focusWidget(), q->LCDCWMem);
        QTest::keyClick(q->windowHandle(), Qt::Key_A);
        EXPECT_TRUE(q->LCDCWMem->text().endsWith(QLatin1Char('A')));
        QTest::keyClick(q->windowHandle(), Qt::Key_Escape);
        EXPECT_TRUE(q->LCDCWMem->isHidden());
    }
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(KeyerFixture, EscClosesTheBoxAndSendsNothing)
{
    openBoxWith(1, "CQ");
    QTest::keyClicks(q->LCDCWMem, QStringLiteral(" TEST"));
    QTest::keyClick(q->LCDCWMem, Qt::Key_Escape);

    EXPECT_TRUE(q->LCDCWMem->isHidden());
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(KeyerFixture, AnEndOfFrameCharacterInTheBoxGoesOutAsABlank)
{
    openBoxWith(1, "CQ");
    q->LCDCWMem->setText(QString::fromLatin1("A\xFD" "B")); // pasted: no key handler ran
    QTest::keyClick(q->LCDCWMem, Qt::Key_Return);

    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(shown(f.fake.serial.writes()[0].bytes), shown(keyerWrite(1, QByteArray("A B").leftJustified(50, ' '))));
}

TEST_F(KeyerFixture, WithTheLinkClosedNoKeySendsAndEnterOnlyClosesTheBox)
{
    openBoxWith(1, "CQ TEST");
    q->cmPower_Click();
    ASSERT_FALSE(isOn(q->st.PowerOn));
    f.fake.serial.clearWrites();

    emit q->cmCHUp->clicked();
    emit q->cmCWMem->clicked();
    EXPECT_EQ(q->LCDCH->caption(), QStringLiteral("01"));

    // The box may still be open when the link closes.
    q->LCDCWMem->show();
    QTest::keyClick(q->LCDCWMem, Qt::Key_Return);
    EXPECT_TRUE(q->LCDCWMem->isHidden());
    EXPECT_TRUE(f.fake.serial.writes().empty());
}
