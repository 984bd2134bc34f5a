// The receive loop: every 10 ms all frames that have arrived are read and
// turned into display and state changes; every 300 ms the S-meter is asked for. A frame
// whose value cannot be read is dropped: a bad byte on the line never ends
// the program.

#include <algorithm>
#include <optional>

#include <QCursor>

#include "front_panel/quelm.h"
#include "platform/conversions.h"
#include "platform/errors.h"
#include "window_support/bar_control.h"

namespace quelm {

namespace {

constexpr double kOk = 1;
constexpr double kNotGood = 2;
constexpr double kFrequency = 10;
constexpr double kMode = 20;
constexpr double kSMeter = 40;
constexpr double kKeyerText = 85;

std::optional<double> readNumber(const QString& text)
{
    return conv::localeReading(QStringView(text));
}

QString trimBlanks(const QString& s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && s.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && s.at(last - 1) == QLatin1Char(' '))
        --last;
    return s.mid(first, last - first);
}

} // namespace

void Quelm::Timer1_Timer()
{
    try {
        // Only frames that have wholly arrived are taken; the rest of a frame
        // still on the line is left for a later tick, so the window thread never
        // waits in here while the radio sends.
        while (platform.serial.portOpen()) {
            const std::optional<QString> s = link.takeArrivedFrame();
            if (!s)
                break;
            actOnReply(*s);
        }
    } catch (const SerialError& e) {
        LinkFailed(e.message());
    }
}

void Quelm::TimerS_Timer()
{
    RadioReadS();
}

void Quelm::actOnReply(const QString& s)
{
    const double code = conv::decimalReader(cellText(PickWord(s, 1)));
    // The radio answers every command in turn, so the first OK or NG after a
    // typed frequency went out answers that frequency: an OK means the radio
    // took it, and a refusal of a later command must not undo it.
    if (code == kOk) {
        st.PrevQrg = 0;
    } else if (code == kNotGood) {
        if (st.PrevQrg != 0) {
            const double restore = st.PrevQrg;
            st.PrevQrg = 0;
            CambiaQRG(restore, false);
            // The radio stayed where it was: the display must not go on showing
            // the frequency it refused.
            QRG->setCaption(conv::formatFixed2(restore));
            showSatelliteSide(restore);
        }
    } else if (code == kFrequency) {
        frequencyReply(s);
    } else if (code == kMode) {
        LCDModo->setCaption(cellText(PickWord(s, 2)));
    } else if (code == kSMeter) {
        const std::optional<double> value = readNumber(cellText(PickWord(s, 2)));
        if (value)
            LCDS->setValue(std::clamp<double>(*value, LCDS->Min(), std::max(LCDS->Min(), LCDS->Max())));
    } else if (code == kKeyerText) {
        keyerReply(s);
    }
}

void Quelm::frequencyReply(const QString& s)
{
    const std::optional<double> hz = readNumber(cellText(PickWord(s, 2)));
    if (!hz)
        return;
    // Through the caption: the label and the stored frequency both keep two
    // decimals of kHz (10 Hz).
    QRG->setCaption(conv::plainText(*hz / 1000));
    QRG->setCaption(conv::formatFixed2(readNumber(QRG->caption()).value_or(0)));
    CambiaQRG(readNumber(QRG->caption()).value_or(0), false);
    st.PrevQrg = 0;
    showSatelliteSide(readNumber(QRG->caption()).value_or(0));
}

void Quelm::keyerReply(const QString& s)
{
    LCDCWMem->setText(trimBlanks(s.mid(3)));
    QCursor::setPos(LCDCWMem->mapToGlobal(QPoint(30, 30)));
    LCDCWMem->setVisible(true);
    // The operator edits at once, an empty memory as well as a filled one.
    LCDCWMem->setFocus();
}

} // namespace quelm
