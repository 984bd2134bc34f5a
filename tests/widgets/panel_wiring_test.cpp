// The panel as the operator reaches it: keys pressed with the mouse on the shown
// window (so the wiring from a key to its handler is tested, not only the
// handler), and the timers' intervals, which nothing else would notice changing.

#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/civ_frames.h"
#include "support/quelm_fixture.h"

using namespace quelm;
using namespace testframes;

namespace {

std::vector<std::string> frames(const FakeSerialPort& port)
{
    std::vector<std::string> out;
    for (const auto& w : port.writes())
        out.push_back(shown(w.bytes));
    return out;
}

std::vector<std::string> shownAll(std::initializer_list<QByteArray> expected)
{
    std::vector<std::string> out;
    for (const QByteArray& f : expected)
        out.push_back(shown(f));
    return out;
}

struct Wiring : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
        q->st.VFOQrg = {14074, 7050};
        q->st.VFOModo = {QStringLiteral("USB"), QStringLiteral("CW")};
        q->st.VFOStep = {1000, 100};
        q->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(q));
    }

    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

    // A quick second press, as the window system delivers it: press, release,
    // then the second press as a double click, and its release.
    void doubleClick(QWidget* key)
    {
        QTest::mouseDClick(q->windowHandle(), Qt::LeftButton, {}, key->mapTo(q, key->rect().center()));
        QCoreApplication::processEvents();
    }

    void powerOnByMouse()
    {
        click(q->cmPower);
        ASSERT_TRUE(isOn(q->st.PowerOn));
        f.fake.serial.clearWrites();
    }
};

} // namespace

TEST_F(Wiring, TimersRunAtTheirIntervals)
{
    EXPECT_EQ(q->Timer1->interval(), 10);
    EXPECT_EQ(q->TimerS->interval(), 300);
    EXPECT_EQ(q->TimerVFO->interval(), 50);
    EXPECT_EQ(q->TimerVFOPress->interval(), 5000);
    // Starting them with the link keeps the intervals.
    powerOnByMouse();
    EXPECT_TRUE(q->Timer1->isActive());
    EXPECT_EQ(q->Timer1->interval(), 10);
    EXPECT_TRUE(q->TimerS->isActive());
    EXPECT_EQ(q->TimerS->interval(), 300);
}

TEST_F(Wiring, ThePowerKeyOpensAndClosesTheLinkByMouse)
{
    click(q->cmPower);
    EXPECT_TRUE(isOn(q->st.PowerOn));
    EXPECT_EQ(f.fake.serial.writes().size(), 16u);
    click(q->cmPower);
    EXPECT_FALSE(isOn(q->st.PowerOn));
    EXPECT_FALSE(f.fake.serial.portOpen());
}

TEST_F(Wiring, TheVfoKeySwapsOnAClickAndCopiesOnADoubleClick)
{
    powerOnByMouse();
    click(q->cmVFO);
    EXPECT_EQ(q->st.VFOActive, 1);
    EXPECT_EQ(frames(f.fake.serial), shownAll({sent({0x07, 0x01}), sent({0x10, 0x01}), sent({0x06, 0x03}),
                                               sent({0x03})}));

    // A double click is a click (another swap, back to A) and then the copy.
    f.fake.serial.clearWrites();
    QTest::mouseDClick(q->cmVFO, Qt::LeftButton, {}, q->cmVFO->rect().center());
    const std::vector<std::string> w = frames(f.fake.serial);
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.back(), shown(sent({0x07, 0xA0})));
    EXPECT_EQ(q->st.VFOQrg[1 - q->st.VFOActive], q->st.VFOQrg[q->st.VFOActive]);
    EXPECT_EQ(q->st.VFOModo[1 - q->st.VFOActive], q->st.VFOModo[q->st.VFOActive]);
}

TEST_F(Wiring, AQuickSecondPressOfAKeyWithoutADoubleClickIsASecondPress)
{
    powerOnByMouse();
    const struct {
        const char* name;
        PanelKey* key;
        std::vector<std::string> frames;
    } cases[] = {
        // Keyed by the first press, back in receive by the second.
        {"TX", q->cmTX, shownAll({sent({0x1C, 0x00, 0x01}), sent({0x1C, 0x00, 0x00})})},
        {"SSB", q->cmSSB, shownAll({sent({0x06, 0x00}), sent({0x06, 0x01})})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        f.fake.serial.clearWrites();
        doubleClick(c.key);
        EXPECT_EQ(frames(f.fake.serial), c.frames);
    }
    EXPECT_EQ(q->st.TXOn, kFalse);
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("USB"));
}

TEST_F(Wiring, AQuickSecondPressOfTheVfoKeyIsItsClickThenItsDoubleClick)
{
    powerOnByMouse();
    doubleClick(q->cmVFO);
    // One swap to B, then A=B from B.
    EXPECT_EQ(frames(f.fake.serial), shownAll({sent({0x07, 0x01}), sent({0x10, 0x01}), sent({0x06, 0x03}),
                                               sent({0x03}), sent({0x07, 0xA0})}));
    EXPECT_EQ(q->st.VFOActive, 1);
    EXPECT_EQ(q->st.VFOQrg[0], 7050);
    EXPECT_EQ(q->st.VFOModo[0], QStringLiteral("CW"));
}

TEST_F(Wiring, TheStepKeyOpensTheListAndALineOfItSetsTheStep)
{
    powerOnByMouse();
    click(q->cmStep);
    ASSERT_TRUE(q->cmbStep->isVisible());

    QListWidgetItem* line = q->cmbStep->item(4); // 10 KHz
    ASSERT_NE(line, nullptr);
    QTest::mouseClick(q->cmbStep->viewport(), Qt::LeftButton, {},
                      q->cmbStep->visualItemRect(line).center());

    EXPECT_EQ(q->st.VFOStep[0], 10000);
    EXPECT_EQ(q->LCDStep->caption(), QStringLiteral("10 KHz"));
    EXPECT_EQ(frames(f.fake.serial), shownAll({sent({0x10, 0x05})}));
    EXPECT_FALSE(q->cmbStep->isVisible());
}

TEST_F(Wiring, TheModeKeysStepThroughTheirModesByMouse)
{
    powerOnByMouse();
    const struct {
        PanelKey* key;
        const char* mode;
        int code;
    } presses[] = {{q->cmSSB, "LSB", 0x00}, {q->cmSSB, "USB", 0x01}, {q->cmRTTY, "CW", 0x03},
                   {q->cmRTTY, "CW-R", 0x07}, {q->cmFM, "FM", 0x05}, {q->cmFM, "AM", 0x02}};
    for (const auto& p : presses) {
        f.fake.serial.clearWrites();
        click(p.key);
        EXPECT_EQ(q->LCDModo->caption(), QString::fromLatin1(p.mode));
        EXPECT_EQ(q->st.VFOModo[0], QString::fromLatin1(p.mode));
        EXPECT_EQ(frames(f.fake.serial), shownAll({sent({0x06, p.code})})) << p.mode;
    }
}
