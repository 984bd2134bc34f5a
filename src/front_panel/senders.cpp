// The window's side of the radio commands: each shows and stores what it sends,
// then hands the frame to the link. A frame goes out only while the serial port
// is open; with the link closed the display and state steps still run and the
// call ends quietly, so no key, timer or other window can fail on a closed port.

#include <optional>

#include "front_panel/quelm.h"
#include "front_panel/steps.h"
#include "operating_aids/satellite_conversion.h"
#include "operating_aids/satellite_panel.h"
#include "platform/conversions.h"
#include "platform/errors.h"

namespace quelm {

bool Quelm::sendOnLink(const std::function<void()>& write)
{
    if (!platform.serial.portOpen())
        return false;
    try {
        write();
        return true;
    } catch (const SerialError& e) {
        LinkFailed(e.message());
        return false;
    }
}

void Quelm::showSatelliteSide(double radioKHz)
{
    if (LCDSatQrg->isHidden())
        return;
    const int row = satellitePanel ? satellitePanel->chosenRow() : -1;
    if (row < 0)
        return;
    LCDSatQrg->setCaption(conv::formatFixed2(sat::displayConversion(st.SatTable[row], radioKHz)));
}

void Quelm::RadioSetFreq(double& freq)
{
    if (freq < 0)
        freq = 0;
    const double kHz = freq;
    QRG->setCaption(conv::formatFixed2(kHz));
    showSatelliteSide(kHz);
    sendOnLink([&] { link.sendSetFreq(kHz); });
}

void Quelm::RadioSetMode(const QString& Modo)
{
    // A copy: the caller may pass one of the stored modes, which the change
    // handler of the mode field rewrites.
    const QString mode = Modo;
    LCDModo->setCaption(mode);
    st.VFOModo[st.VFOActive] = mode;
    sendOnLink([&] { link.sendSetMode(mode); });
}

void Quelm::RadioSetVFO(const QString& VFO)
{
    if (VFO == QLatin1String("A"))
        LCDVFO->setCaption(QStringLiteral("VFOA"));
    else if (VFO == QLatin1String("B"))
        LCDVFO->setCaption(QStringLiteral("VFOB"));
    sendOnLink([&] { link.sendSetVFO(VFO); });
}

void Quelm::RadioSetStep()
{
    const double step = st.VFOStep[st.VFOActive];
    if (const std::optional<QString> caption = steps::caption(step))
        LCDStep->setCaption(*caption);
    sendOnLink([&] { link.sendSetStep(step); });
}

void Quelm::RadioReadFreq()
{
    sendOnLink([&] { link.sendReadFreq(); });
}

void Quelm::RadioReadMode()
{
    sendOnLink([&] { link.sendReadMode(); });
}

void Quelm::RadioSetRXTX(bool RX)
{
    LCDTX->setVisible(RX);
    LCDRX->setVisible(!RX);
    sendOnLink([&] { link.sendSetRXTX(RX); });
}

void Quelm::RadioSetSplit(bool Split)
{
    LCDSplit->setVisible(Split);
    sendOnLink([&] { link.sendSetSplit(Split); });
}

void Quelm::RadioSetDuplex(const QString& Tipo)
{
    sendOnLink([&] { link.sendSetDuplex(Tipo); });
}

void Quelm::RadioReadS()
{
    sendOnLink([&] { link.sendReadS(); });
}

void Quelm::ChangeSet(const QString& What, int Value)
{
    // The level is kept whether or not it can reach the radio (the link stores it
    // itself before it sends).
    if (!platform.serial.portOpen()) {
        link.storeLevel(What, Value);
        return;
    }
    sendOnLink([&] { link.ChangeSet(What, Value); });
}

void Quelm::RadioSetOnOff(const QString& What, bool Value, std::optional<int> Value2)
{
    sendOnLink([&] { link.sendSetOnOff(What, Value, Value2); });
}

void Quelm::RadioReadMemoryKeyer(int Mem)
{
    sendOnLink([&] { link.sendReadMemoryKeyer(Mem); });
}

void Quelm::RadioSetMemoryKeyer(int Mem, const QByteArray& Buffer)
{
    sendOnLink([&] { link.sendSetMemoryKeyer(Mem, Buffer); });
}

QString Quelm::RadioReadFrame()
{
    QString reply;
    sendOnLink([&] { reply = link.RadioReadFrame(); });
    return reply;
}

void Quelm::CommandPause(double d)
{
    platform.waits.commandPause(d);
}

} // namespace quelm
