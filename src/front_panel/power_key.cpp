// The power key: opens the serial link and pushes the stored state so that the
// radio and the panel agree, then starts the receive loop; or closes it again.
// PowerOn changes last, so the keys that test it stay quiet during the push.

#include <array>

#include "front_panel/quelm.h"
#include "front_panel/settings_file.h"
#include "operating_aids/voice_recorder.h"
#include "platform/device_access.h"
#include "platform/errors.h"
#include "radio_link/civ_codec.h"

namespace quelm {

namespace {

// What this user can do about a device the system does not let it open.
QString accessAdvice(const DeviceAccess& a)
{
    if (!a.groupMayOpen)
        return QStringLiteral("This user (%1) may not open %2: only its owner, %3, may read and write it. Whoever "
                              "looks after this computer can let a group open it, such as \"dialout\" with "
                              "read and write for the group, and add %1 to that group.")
            .arg(a.user, a.path, a.owner);
    if (a.userInGroup && !a.groupInSession)
        return QStringLiteral("This user (%1) is in the group \"%2\" that may open %3, but this session began "
                              "before %1 joined it. Log out and log in again, then start Quelm and press the power "
                              "key.")
            .arg(a.user, a.group, a.path);
    if (a.groupInSession)
        return QStringLiteral("This user (%1) is in the group \"%2\" of %3 and still may not open it: its "
                              "permissions or an access list forbid it. Whoever looks after this computer can "
                              "tell why.")
            .arg(a.user, a.group, a.path);
    return QStringLiteral("This user (%1) may not open %2: it belongs to the group \"%3\", and only the members "
                          "of that group may open it. Join the group with\n\n"
                          "    sudo usermod -aG %3 $USER\n\n"
                          "then log out and log in again (a new group counts only from the next login), start "
                          "Quelm and press the power key.")
        .arg(a.user, a.path, a.group);
}

} // namespace

void Quelm::cmPower_Click()
{
    // The push serves window events in its pauses; a press then must not open
    // the port a second time or close it under the push.
    if (pushing_)
        return;
    if (isOn(st.PowerOn)) {
        closeLink();
        return;
    }

    try {
        platform.serial.setPortOpen(true);
    } catch (const SerialAccessDenied& e) {
        platform.messages.critical(QStringLiteral("The link to the radio could not be opened on %1.\n\n%2\n\n%3")
                                       .arg(platform.serial.portName(), e.message(), accessAdvice(e.access())));
        return;
    } catch (const SerialError& e) {
        // The settings file is read only at start: a wrong port stays wrong
        // however often the key is pressed.
        platform.messages.critical(
            QStringLiteral("The link to the radio could not be opened on %1.\n\n%2\n\n"
                           "Check the cable, that the radio is on and that no other program uses the port, "
                           "then press the power key again. If the port or its speed is wrong, correct the "
                           "\"port\" and \"speed\" lines of %3 and start Quelm again.")
                .arg(platform.serial.portName(), e.message(),
                     settingsFilePath(platform.programFolder)));
        return;
    }

    pushing_ = true;
    const bool pushed = pushState();
    pushing_ = false;
    if (!pushed)
        return; // the link failed during the push and has been closed

    // Every answer and echo of the push is thrown away before the loop starts;
    // on the way out they tell whether a radio answered at all.
    civ::SourceWatch radio(st.RadioAddress);
    try {
        while (platform.serial.inBufferCount() > 0) {
            const int b = platform.serial.input();
            if (b < 0)
                break;
            radio.feed(static_cast<unsigned char>(b));
        }
    } catch (const SerialError& e) {
        LinkFailed(e.message());
        return;
    }

    LCDRX->setVisible(true);
    LCDOff->setVisible(false);
    Timer1->setEnabled(true);
    TimerS->setEnabled(true);
    st.PowerOn = invert(st.PowerOn);

    // The link stays open, so a radio switched on later is picked up.
    if (!radio.heard())
        noRadioMessage();
}

void Quelm::noRadioMessage()
{
    platform.messages.warning(
        QStringLiteral("No answer from the radio on %1 at %2.\n\n"
                       "The link is open, but the radio answered none of the commands just sent, "
                       "so the display shows the stored state, not the radio's. Check that:\n"
                       "- the radio is switched on and the CI-V cable is plugged in;\n"
                       "- the radio's CI-V baud rate is the speed set in quelm.ini (%2);\n"
                       "- the radio's CI-V address is 56;\n"
                       "- CI-V transceive is on, so the radio reports its changes.\n\n"
                       "The link stays open: once the radio answers, the panel works with it.")
            .arg(platform.serial.portName(), platform.serial.settings()));
}

bool Quelm::pushState()
{
    // After each command: the pause, and whether the link is still there.
    auto paused = [this] {
        CommandPause();
        return platform.serial.portOpen();
    };
    // Receive goes first, always: the radio may have been left keyed by a
    // receive that could not reach it, or by a run of the program that ended
    // without closing (killed, crashed, the power cut), which nothing here
    // remembers. A radio in receive only acknowledges it.
    sendOnLink([this] { link.sendSetRXTX(false); });
    if (!paused())
        return false;
    const int current = st.VFOActive;
    const int other = 1 - current;
    const QString vfoName[2] = {QStringLiteral("A"), QStringLiteral("B")};

    // The other VFO first. Its mode goes out while the current VFO's index is in
    // force, so the current VFO's stored mode is put back afterwards.
    const QString keptMode = st.VFOModo[current];
    RadioSetVFO(vfoName[other]);
    if (!paused())
        return false;
    RadioSetFreq(st.VFOQrg[other]);
    if (!paused())
        return false;
    RadioSetMode(QString(st.VFOModo[other]));
    st.VFOModo[current] = keptMode;
    if (!paused())
        return false;

    RadioSetVFO(vfoName[current]);
    if (!paused())
        return false;
    RadioSetMode(QString(st.VFOModo[current]));
    if (!paused())
        return false;
    CambiaQRG(st.VFOQrg[current], true);
    if (!paused())
        return false;
    RadioSetSplit(isOn(st.SplitOn));
    if (!paused())
        return false;
    RadioSetStep();
    if (!paused())
        return false;

    LCDComp->setForeColor(isOn(st.CompOn) ? kBlue : kGrey);
    RadioSetOnOff(QStringLiteral("COMP"), isOn(st.CompOn));
    if (!paused())
        return false;

    struct Indicator {
        LcdLabel* label;
        const char* function;
        Flag on;
    };
    const std::array<Indicator, 5> indicators{{
        {LCDMonitor, "MONITOR", st.MonitorOn},
        {LCDNB, "NB", st.NBOn},
        {LCDNR, "NR", st.NROn},
        {LCDNotch, "NOTCH", st.NotchOn},
        {LCDRit, "RIT", st.RitOn}, // the link sends nothing for RIT; the pause stays
    }};
    for (const Indicator& i : indicators) {
        i.label->setVisible(isOn(i.on));
        RadioSetOnOff(QString::fromLatin1(i.function), isOn(i.on));
        if (!paused())
            return false;
    }

    showThreeWay(LCDAGC, st.AGCMode,
                 {QStringLiteral("AGC OFF"), QStringLiteral("AGC FAST"), QStringLiteral("AGC SLOW")});
    RadioSetOnOff(QStringLiteral("AGC"), true, st.AGCMode);
    if (!paused())
        return false;

    showThreeWay(LCDDUP, st.DuplexMode,
                 {QStringLiteral("DUP OFF"), QStringLiteral("DUP-"), QStringLiteral("DUP+")});
    RadioSetDuplex(LCDDUP->caption());
    return paused();
}

void Quelm::showThreeWay(LcdLabel* field, int mode, const std::array<QString, 3>& captions)
{
    // Off is grey; mode 1 has its own caption, and every other value (a damaged
    // saved state included) shows the third.
    field->setForeColor(mode == 0 ? kGrey : kBlue);
    field->setCaption(captions[mode == 0 ? 0 : mode == 1 ? 1 : 2]);
}

void Quelm::shutLink(bool playCaption)
{
    // A running CQ cycle ends first, while the port can still take the receive command.
    recorder->linkClosing();
    TimerS->setEnabled(false);
    Timer1->setEnabled(false);
    // A hold or scan must not go on tuning a radio that is no longer reached.
    TimerVFO->setEnabled(false);
    TimerVFOPress->setEnabled(false);
    holding_ = false;
    endTransmit();
    platform.serial.setPortOpen(false);
    platform.wave.command(QStringLiteral("stop"));
    platform.wave.command(QStringLiteral("close"));
    if (playCaption)
        cmPlay->setText(QStringLiteral("PLAY"));
    platform.waits.servingWaitUntil(kWaveCloseWait,
                                    [this] { return platform.wave.mode() == WaveDevice::NotOpen; });
}

void Quelm::endTransmit()
{
    // The CQ caller keys the radio without touching TXOn; the link knows what
    // went out last. A port that has failed cannot take the frame: the lamps
    // show receive all the same, and the next opening sends it first.
    if ((isOn(st.TXOn) || link.mayBeKeyed()) && platform.serial.portOpen()) {
        try {
            link.sendSetRXTX(false);
        } catch (const SerialError&) {
        }
    }
    st.TXOn = kFalse;
    LCDTX->setVisible(false);
    LCDRX->setVisible(true);
}

void Quelm::closeLink()
{
    shutLink(true);
    LCDOff->setVisible(true);
    LCDRX->setVisible(false);
    st.PowerOn = kFalse;
}

void Quelm::LinkFailed(const QString& reason)
{
    // Closing first stops the timers, so no tick can fail again and stack a
    // second message while this one is open.
    if (linkFailing_)
        return;
    linkFailing_ = true;
    const QString port = platform.serial.portName();
    closeLink();
    platform.messages.critical(
        QStringLiteral("The link to the radio on %1 failed and has been closed.\n\n%2\n\n"
                       "Check the cable and the port, then press the power key again.")
            .arg(port, reason));
    linkFailing_ = false;
}

} // namespace quelm
