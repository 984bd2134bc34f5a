// The function switches: monitor, noise blanker, notch, noise reduction, split,
// transmit, compressor, AGC and duplex. Each press moves its switch one step,
// shows it, and sends it; with the link closed a press changes nothing. The RIT
// key is disabled and takes no clicks.

#include <array>

#include "front_panel/quelm.h"

namespace quelm {

namespace {

const std::array<QString, 3> kAgcCaptions{QStringLiteral("AGC OFF"), QStringLiteral("AGC FAST"),
                                          QStringLiteral("AGC SLOW")};
const std::array<QString, 3> kDuplexCaptions{QStringLiteral("DUP OFF"), QStringLiteral("DUP-"),
                                             QStringLiteral("DUP+")};

// Off, then 1, then 2, then off again. A value outside 0..2 (a damaged saved
// state) shows as 2, so its next press goes where 2's does, to off, rather
// than counting up through values the radio refuses.
int nextOfThree(int mode)
{
    return mode == 0 ? 1 : mode == 1 ? 2 : 0;
}

void onOffKey(Quelm& q, Flag& flag, LcdLabel* indicator, const char* function)
{
    if (!isOn(q.st.PowerOn))
        return;
    flag = invert(flag);
    indicator->setVisible(isOn(flag));
    q.RadioSetOnOff(QString::fromLatin1(function), isOn(flag));
}

} // namespace

void Quelm::wireSwitches()
{
    connect(cmMonitor, &PanelKey::clicked, this, &Quelm::cmMonitor_Click);
    connect(cmNB, &PanelKey::clicked, this, &Quelm::cmNB_Click);
    connect(cmNotch, &PanelKey::clicked, this, &Quelm::cmNotch_Click);
    connect(cmNR, &PanelKey::clicked, this, &Quelm::cmNR_Click);
    connect(cmSplit, &PanelKey::clicked, this, &Quelm::cmSplit_Click);
    connect(cmTX, &PanelKey::clicked, this, &Quelm::cmTX_Click);
    connect(LCDComp, &LcdLabel::clicked, this, &Quelm::LCDComp_Click);
    connect(LCDAGC, &LcdLabel::clicked, this, &Quelm::LCDAGC_Click);
    connect(LCDDUP, &LcdLabel::clicked, this, &Quelm::LCDDUP_Click);
}

void Quelm::cmMonitor_Click() { onOffKey(*this, st.MonitorOn, LCDMonitor, "MONITOR"); }
void Quelm::cmNB_Click() { onOffKey(*this, st.NBOn, LCDNB, "NB"); }
void Quelm::cmNotch_Click() { onOffKey(*this, st.NotchOn, LCDNotch, "NOTCH"); }
void Quelm::cmNR_Click() { onOffKey(*this, st.NROn, LCDNR, "NR"); }

void Quelm::cmSplit_Click()
{
    if (!isOn(st.PowerOn))
        return;
    st.SplitOn = invert(st.SplitOn);
    RadioSetSplit(isOn(st.SplitOn));
    LCDQRGSplit->setCaption(isOn(st.SplitOn) ? QStringLiteral("SPLIT") : QString());
}

void Quelm::cmTX_Click()
{
    if (!isOn(st.PowerOn))
        return;
    // The key's own flag, not the radio's state: after the CQ caller has keyed
    // and unkeyed the radio the key still sends the opposite of its last press.
    st.TXOn = invert(st.TXOn);
    RadioSetRXTX(isOn(st.TXOn));
}

void Quelm::LCDComp_Click()
{
    if (!isOn(st.PowerOn))
        return;
    st.CompOn = invert(st.CompOn);
    LCDComp->setForeColor(isOn(st.CompOn) ? kBlue : kGrey);
    RadioSetOnOff(QStringLiteral("COMP"), isOn(st.CompOn));
}

void Quelm::LCDAGC_Click()
{
    if (!isOn(st.PowerOn))
        return;
    st.AGCMode = nextOfThree(st.AGCMode);
    showThreeWay(LCDAGC, st.AGCMode, kAgcCaptions);
    RadioSetOnOff(QStringLiteral("AGC"), true, st.AGCMode);
}

void Quelm::LCDDUP_Click()
{
    if (!isOn(st.PowerOn))
        return;
    st.DuplexMode = nextOfThree(st.DuplexMode);
    showThreeWay(LCDDUP, st.DuplexMode, kDuplexCaptions);
    // The caption just shown is what goes to the radio.
    RadioSetDuplex(LCDDUP->caption());
}

} // namespace quelm
