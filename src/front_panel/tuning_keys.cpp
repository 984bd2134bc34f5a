// Tuning the current VFO: the two hold keys (a step at the press, then one per
// tick of TimerVFO, more per tick once held for five seconds), the two click
// keys (a scan of one step per tick until the next click), and the typed
// frequency in QRGEdit. The keys send with RadioSetFreq and leave the band row
// alone; the typed frequency goes through CambiaQRG.

#include <algorithm>
#include <cmath>
#include <optional>

#include <QEvent>

#include "front_panel/quelm.h"
#include "platform/conversions.h"

namespace quelm {

namespace {

const QString kUp = QStringLiteral("+");
const QString kDown = QStringLiteral("-");

// Steps per tick once a key has been held for five seconds: ten steps, and at
// least 1 kHz. At 10 Hz that is 100 steps, at 100 Hz 10 (1 kHz a tick each); from
// 1 kHz up ten steps (10 kHz a tick at 1 kHz, 250 kHz at 25 kHz), so a band is
// crossed in seconds and the operator can still let go near the wanted spot.
double raisedCount(double stepHz)
{
    if (!(stepHz > 0))
        return 10;
    return std::max(10.0, std::ceil(1000.0 / stepHz));
}

// A release that never reaches the key (a dialog took the mouse, the window was
// left or lost its activation) must not leave the radio tuning by itself.
class HoldGuard : public QObject {
public:
    explicit HoldGuard(Quelm& q) : QObject(&q), q_(q) { q.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        // While the window is destroyed its base class hides it; it is no Quelm
        // any more by then, and endHold must not run on it.
        if (!qobject_cast<Quelm*>(watched))
            return false;
        switch (e->type()) {
        case QEvent::WindowDeactivate:
        case QEvent::Leave:
        case QEvent::Hide:
            q_.endHold();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, e);
    }

private:
    Quelm& q_;
};

} // namespace

void Quelm::wireTuningKeys()
{
    connect(VFOUp, &PanelKey::mouseDown, this, &Quelm::VFOUp_MouseDown);
    connect(VFODown, &PanelKey::mouseDown, this, &Quelm::VFODown_MouseDown);
    connect(VFOUp, &PanelKey::mouseUp, this, &Quelm::VFOUp_MouseUp);
    connect(VFODown, &PanelKey::mouseUp, this, &Quelm::VFODown_MouseUp);
    connect(VFOUpClick, &PanelKey::clicked, this, &Quelm::VFOUpClick_Click);
    connect(VFODownClick, &PanelKey::clicked, this, &Quelm::VFODownClick_Click);
    connect(TimerVFO, &QTimer::timeout, this, &Quelm::TimerVFO_Timer);
    connect(TimerVFOPress, &QTimer::timeout, this, &Quelm::TimerVFOPress_Timer);
    connect(cmQRG, &PanelKey::clicked, this, &Quelm::cmQRG_Click);
    QRGEdit->onKeyPress = [this](int& keyAscii) { QRGEdit_KeyPress(keyAscii); };
    new HoldGuard(*this);
}

void Quelm::tuneStep(bool up, double n)
{
    double& qrg = st.VFOQrg[st.VFOActive];
    const double delta = n * st.VFOStep[st.VFOActive] / 1000.0;
    // Rounded to 10 Hz at every step, so hundreds of steps add up exactly.
    qrg = conv::roundHalfEven(up ? qrg + delta : qrg - delta, 2);
    RadioSetFreq(qrg);
    // The send held the window thread past the tick's 50 ms. A tick due by then
    // would run before a release that is already waiting, and a click would
    // tune twice: the next tick counts its 50 ms from the end of this send.
    if (TimerVFO->enabled())
        TimerVFO->setEnabled(true);
}

namespace {

void stopTuning(Quelm& q)
{
    q.TimerVFO->setEnabled(false);
    q.TimerVFOPress->setEnabled(false);
}

} // namespace

void Quelm::pressTuningKey(bool up, bool hold)
{
    if (!isOn(st.PowerOn))
        return;
    // A click on either click key stops a running scan, without a step.
    if (!hold && TimerVFO->enabled()) {
        TimerVFO->setEnabled(false);
        return;
    }
    TimerVFO->Tag = up ? kUp : kDown;
    TimerVFOPress->Tag = QStringLiteral("1");
    TimerVFO->setEnabled(true);
    // Only a hold is raised after five seconds; a scan keeps one step a tick.
    TimerVFOPress->setEnabled(hold);
    holding_ = hold;
    tuneStep(up, 1);
}

void Quelm::VFOUp_MouseDown() { pressTuningKey(true, true); }
void Quelm::VFODown_MouseDown() { pressTuningKey(false, true); }
void Quelm::VFOUpClick_Click() { pressTuningKey(true, false); }
void Quelm::VFODownClick_Click() { pressTuningKey(false, false); }

// A release stops a scan as well; a lost mouse ends only a hold (endHold).
void Quelm::VFOUp_MouseUp()
{
    stopTuning(*this);
    holding_ = false;
}

void Quelm::VFODown_MouseUp()
{
    stopTuning(*this);
    holding_ = false;
}

void Quelm::endHold()
{
    if (!holding_)
        return;
    stopTuning(*this);
    holding_ = false;
}

void Quelm::TimerVFO_Timer()
{
    // The link closes with the timers stopped; a tick already queued then tunes nothing.
    if (!isOn(st.PowerOn)) {
        TimerVFO->setEnabled(false);
        return;
    }
    const double n = conv::localeReading(QStringView(TimerVFOPress->Tag)).value_or(1);
    tuneStep(TimerVFO->Tag == kUp, n);
}

void Quelm::TimerVFOPress_Timer()
{
    TimerVFOPress->Tag = conv::plainText(raisedCount(st.VFOStep[st.VFOActive]));
    TimerVFOPress->setEnabled(false);
}

void Quelm::cmQRG_Click()
{
    if (!isOn(st.PowerOn))
        return;
    QRGEdit->setText(conv::plainText(st.VFOQrg[st.VFOActive]));
    QRGEdit->setSelection(0, 99);
    QRGEdit->setVisible(true);
    QRGEdit->raise();
    QRGEdit->setFocus();
}

void Quelm::QRGEdit_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 27) {
        QRGEdit->setVisible(false);
    } else if (KeyAscii == 13) {
        QRGEdit->setVisible(false);
        // Answers that came in before this frequency goes out answer earlier
        // commands: they are taken first, so that the next OK or NG is this one's.
        if (isOn(st.PowerOn))
            Timer1_Timer();
        // The link may have closed while the box was open: nothing to tune then.
        if (isOn(st.PowerOn)) {
            st.PrevQrg = st.VFOQrg[st.VFOActive];
            CambiaQRG(conv::decimalReader(conv::typedDecimal(QRGEdit->text())), true);
        }
    }
    const bool digit = KeyAscii >= '0' && KeyAscii <= '9';
    if (KeyAscii > '.' && !digit)
        KeyAscii = 0;
}

} // namespace quelm
