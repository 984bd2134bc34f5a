// The power key's closing steps in their order, seen from inside each step: the
// timers stop before the port closes (no tick may read a closed port), the port
// closes before the wave device, the display goes dark after both, and PowerOn
// changes last.

#include <string>
#include <vector>

#include <QEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/quelm_fixture.h"

using namespace quelm;

namespace {

struct Moment {
    std::string step;
    bool timer1, timerS, portOpen, lcdOffShown, lcdRxShown, powerOn;
    QString playCaption;
};

// The fake port, noting the moment it is closed.
class WatchedPort final : public SerialPort {
public:
    WatchedPort(FakeSerialPort& inner, std::function<void()> onClose) : inner_(inner), onClose_(std::move(onClose)) {}
    void setCommPort(int n) override { inner_.setCommPort(n); }
    void setCommPortPath(const QString& p) override { inner_.setCommPortPath(p); }
    QString portName() const override { return inner_.portName(); }
    void setSettings(const QString& s) override { inner_.setSettings(s); }
    QString settings() const override { return inner_.settings(); }
    void setPortOpen(bool open) override
    {
        const bool closing = !open && inner_.portOpen();
        inner_.setPortOpen(open);
        if (closing)
            onClose_();
    }
    bool portOpen() const override { return inner_.portOpen(); }
    int inBufferCount() override { return inner_.inBufferCount(); }
    int outBufferCount() override { return inner_.outBufferCount(); }
    int input() override { return inner_.input(); }
    QByteArray peekInput(int maxBytes) override { return inner_.peekInput(maxBytes); }
    void output(const QByteArray& b) override { inner_.output(b); }
    int descriptor() const override { return inner_.descriptor(); }

private:
    FakeSerialPort& inner_;
    std::function<void()> onClose_;
};

// The wave device, noting each command word as it is given.
class WatchedWave final : public ModeMachineWaveDevice {
public:
    std::function<void(const QString&)> onCommand;
    void command(const QString& word) override
    {
        ModeMachineWaveDevice::command(word);
        if (onCommand)
            onCommand(word);
    }
};

// Notes a display field being shown or hidden.
class VisibilityWatch : public QObject {
public:
    VisibilityWatch(QWidget* w, std::function<void(bool)> onChange) : onChange_(std::move(onChange))
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show || e->type() == QEvent::Hide)
            onChange_(e->type() == QEvent::Show);
        return false;
    }

private:
    std::function<void(bool)> onChange_;
};

} // namespace

TEST(PowerKeyClosing, StepsRunInTheirOrder)
{
    FakePlatform fake;
    std::vector<Moment> moments;
    Quelm* q = nullptr;
    auto note = [&](const std::string& step) {
        moments.push_back({step, q->Timer1->isActive(), q->TimerS->isActive(), fake.serial.portOpen(),
                           q->LCDOff->isVisible(), q->LCDRX->isVisible(), isOn(q->st.PowerOn),
                           q->cmPlay->text()});
    };
    WatchedPort port(fake.serial, [&] { note("port closed"); });
    WatchedWave wave;
    Platform platform{port, fake.clock, fake.events, fake.waits, fake.settings, fake.messages, wave,
                      fake.folder.path()};
    QuelmFixture::writeFileIn(fake.folder.path(), QuelmFixture::defaultIni());
    Quelm window(platform);
    q = &window;
    ASSERT_TRUE(window.Form_Load());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.cmPower_Click();
    ASSERT_TRUE(isOn(window.st.PowerOn));
    window.cmPlay->setText(QStringLiteral("STOP"));

    wave.onCommand = [&](const QString& word) { note("wave " + word.toStdString()); };
    VisibilityWatch off(window.LCDOff, [&](bool shown) { note(shown ? "display dark" : "display lit"); });
    VisibilityWatch rx(window.LCDRX, [&](bool shown) { note(shown ? "RX shown" : "RX hidden"); });

    window.cmPower_Click();

    std::vector<std::string> steps;
    for (const Moment& m : moments)
        steps.push_back(m.step);
    ASSERT_EQ(steps, (std::vector<std::string>{"port closed", "wave stop", "wave close", "display dark", "RX hidden"}));
    for (const Moment& m : moments) {
        EXPECT_FALSE(m.timer1) << m.step;   // both timers stop first
        EXPECT_FALSE(m.timerS) << m.step;
        EXPECT_FALSE(m.portOpen) << m.step;
        EXPECT_TRUE(m.powerOn) << m.step;   // PowerOn changes last
    }
    EXPECT_FALSE(moments[0].lcdOffShown); // the port closes while the display is still lit
    EXPECT_EQ(moments[2].playCaption, QStringLiteral("STOP"));
    EXPECT_EQ(moments[3].playCaption, QStringLiteral("PLAY")); // the PLAY caption before the display goes dark
    EXPECT_TRUE(moments[4].lcdOffShown);
    EXPECT_FALSE(isOn(window.st.PowerOn));
    window.Form_Unload();
}
