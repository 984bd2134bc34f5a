// The level keys and the shared slider: the saved level it opens at (a damaged
// one included), the pointer placed on the thumb, the level stored and sent at
// every change and movement, and nothing at all without a level or a link.

#include <string>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "support/fake_platform.h"
#include "support/powered_panel.h"

using namespace quelm;
using namespace testframes;

namespace {

struct LevelSlider : PoweredPanel {
    QString stored(const char* name)
    {
        return f.fake.settings.getSetting(QStringLiteral("Quelm"), QStringLiteral("Slider"),
                                          QString::fromLatin1(name), QStringLiteral("<none>"));
    }
    void save(const char* name, const QString& value)
    {
        f.fake.settings.saveSetting(QStringLiteral("Quelm"), QStringLiteral("Slider"), QString::fromLatin1(name),
                                    value);
    }
    QPoint sliderCorner() const { return q->Slider1->mapToGlobal(QPoint(0, 0)); }
    void moveOverSlider()
    {
        const QPoint at(20, 10);
        QMouseEvent e(QEvent::MouseMove, at, q->Slider1->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(q->Slider1, &e);
    }
};

} // namespace

TEST_F(LevelSlider, FirstUseOpensAtZeroWithThePointerOnTheLeftEdge)
{
    q->show();
    powerOn();
    q->cmAF_Click();
    EXPECT_EQ(q->Slider1->Tag, QStringLiteral("cmAF"));
    EXPECT_EQ(q->Slider1->value(), 0);
    EXPECT_FALSE(q->Slider1->isHidden());
    EXPECT_EQ(QCursor::pos(), sliderCorner() + QPoint(0, 10));
    // The slider was at 0 already: opening it changes nothing and sends nothing.
    EXPECT_TRUE(f.fake.serial.writes().empty());
}

TEST_F(LevelSlider, TheSquelchKeyOpensAtItsSavedLevelUnderItsLevelName)
{
    q->show();
    save("cmSQL", QStringLiteral(" 128"));
    powerOn();
    q->cmRFSQL_Click();
    EXPECT_EQ(q->Slider1->Tag, QStringLiteral("cmSQL"));
    EXPECT_EQ(q->Slider1->value(), 128);
    EXPECT_EQ(QCursor::pos(), sliderCorner() + QPoint(97, 10)); // 193 / 255 * 128 = 96.88
    // Setting the value is a change of the slider: it goes out under the new name.
    EXPECT_EQ(frames(), std::vector<std::string>{shown(sent({0x14, 0x03, 0x01, 0x28}))});
    EXPECT_EQ(stored("cmRFSQL"), QStringLiteral("<none>"));
}

struct SavedLevelCase {
    const char* name;
    const char* saved;
    int opensAt;
};

class SavedLevel : public LevelSlider, public ::testing::WithParamInterface<SavedLevelCase> {};

TEST_P(SavedLevel, ADamagedSavedLevelOpensAtTheNearestLevelInRange)
{
    save("cmRFGain", QString::fromLatin1(GetParam().saved));
    powerOn();
    q->Slider1->setValue(40); // so that every opening is a change
    q->Slider1->Tag.clear();
    q->cmRFGain_Click();
    EXPECT_EQ(q->Slider1->value(), GetParam().opensAt);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Saved, SavedLevel,
                         ::testing::Values(SavedLevelCase{"AboveTheRange", " 300", 255},
                                           SavedLevelCase{"Negative", "-4", 0}, SavedLevelCase{"Text", "loud", 0},
                                           SavedLevelCase{"HalfGoesToEven", " 127.5", 128},
                                           SavedLevelCase{"HalfGoesToEvenBelow", " 128.5", 128}),
                         [](const ::testing::TestParamInfo<SavedLevelCase>& i) { return std::string(i.param.name); });

TEST_F(LevelSlider, EveryChangeAndEveryMovementStoresAndSendsTheLevel)
{
    powerOn();
    q->cmNotchLevel_Click();
    q->Slider1->setValue(200); // a drag or a key on the slider
    moveOverSlider();          // a bare movement, no button: the value as it stands
    EXPECT_EQ(frames(), shownAll({sent({0x14, 0x0D, 0x02, 0x00}), sent({0x14, 0x0D, 0x02, 0x00})}));
    EXPECT_EQ(stored("cmNotchLevel"), QStringLiteral(" 200"));
}

TEST_F(LevelSlider, ASecondLevelKeyRetargetsTheOpenSlider)
{
    save("cmMicGain", QStringLiteral(" 55"));
    powerOn();
    q->cmNRLevel_Click();
    q->Slider1->setValue(10);
    q->cmMicGain_Click();
    q->Slider1->setValue(56);
    EXPECT_EQ(frames(), shownAll({sent({0x14, 0x06, 0x00, 0x10}), sent({0x14, 0x0B, 0x00, 0x55}),
                                  sent({0x14, 0x0B, 0x00, 0x56})}));
    EXPECT_EQ(stored("cmNRLevel"), QStringLiteral(" 10"));
    EXPECT_EQ(stored("cmMicGain"), QStringLiteral(" 56"));
}

TEST_F(LevelSlider, WithoutALevelOrWithTheLinkClosedTheSliderStoresAndSendsNothing)
{
    q->cmAF_Click(); // link closed: the key does nothing
    EXPECT_TRUE(q->Slider1->Tag.isEmpty());
    EXPECT_TRUE(q->Slider1->isHidden());

    powerOn();
    const int writesBefore = f.fake.settings.writes();
    q->Slider1->setValue(90); // no level named yet
    moveOverSlider();
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_EQ(f.fake.settings.writes(), writesBefore);

    q->cmAF_Click(); // opens at 0: a change, stored and sent
    q->cmPower_Click(); // the slider stays open after the link closes
    f.fake.serial.clearWrites();
    const int writesAtClose = f.fake.settings.writes();
    q->Slider1->setValue(120);
    moveOverSlider();
    EXPECT_TRUE(f.fake.serial.writes().empty());
    EXPECT_EQ(f.fake.settings.writes(), writesAtClose);
    EXPECT_EQ(stored("cmAF"), QStringLiteral(" 0"));
}

namespace {

// A settings store whose "Slider" section cannot be written (a read-only folder).
class ReadOnlyLevels final : public SettingsStore {
public:
    QString getSetting(const QString& a, const QString& s, const QString& k, const QString& d) override
    {
        return inner.getSetting(a, s, k, d);
    }
    void saveSetting(const QString& a, const QString& s, const QString& k, const QString& v) override
    {
        if (s == QLatin1String("Slider"))
            throw PlatformError(QStringLiteral("Cannot write the settings file: it cannot be written."));
        inner.saveSetting(a, s, k, v);
    }
    MemorySettingsStore inner;
};

} // namespace

TEST(LevelSliderStore, AnUnwritableStoreStillSendsEveryLevelAndSaysSoOncePerOpening)
{
    FakePlatform fake;
    ReadOnlyLevels store;
    Platform platform{fake.serial, fake.clock, fake.events, fake.waits, store, fake.messages, fake.wave,
                      fake.folder.path()};
    QuelmFixture::writeFileIn(fake.folder.path(), QuelmFixture::defaultIni());
    Quelm q(platform);
    ASSERT_TRUE(q.Form_Load());
    q.cmPower_Click();
    fake.serial.clearWrites();
    fake.messages.warnings.clear(); // the fake port gave the push no answer: the no-radio message

    q.cmAF_Click();
    for (int v : {30, 31, 32})
        q.Slider1->setValue(v);
    q.cmRFGain_Click();
    q.Slider1->setValue(7);

    // 30, 31, 32; then the RF power level opening at 0, and 7
    ASSERT_EQ(fake.serial.writes().size(), 5u);
    EXPECT_EQ(fake.serial.writes()[2].bytes, sent({0x14, 0x01, 0x00, 0x32}));
    EXPECT_EQ(fake.serial.writes()[4].bytes, sent({0x14, 0x0A, 0x00, 0x07}));
    EXPECT_EQ(fake.messages.warnings.size(), 2);
    EXPECT_TRUE(fake.messages.criticals.isEmpty());
    EXPECT_TRUE(isOn(q.st.PowerOn));
}
