// The keyer field and the satellite panel are classes of their own
// (src/operating_aids); the window gives each its controls and the few radio
// commands and state readings it needs.

#include "front_panel/quelm.h"
#include "operating_aids/keyer_field.h"
#include "operating_aids/satellite_panel.h"

namespace quelm {

void Quelm::createKeyerAndSatellite()
{
    KeyerRadio keyerRadio;
    keyerRadio.PowerOn = [this] { return isOn(st.PowerOn); };
    keyerRadio.RadioReadMemoryKeyer = [this](int Mem) { RadioReadMemoryKeyer(Mem); };
    keyerRadio.RadioSetMemoryKeyer = [this](int Mem, const QByteArray& Buffer) { RadioSetMemoryKeyer(Mem, Buffer); };
    keyerField = new KeyerField({cmCHDown, cmCHUp, cmCWMem, LCDCH, LCDCWMem}, std::move(keyerRadio), this);

    SatelliteRadio satRadio;
    satRadio.PowerOn = [this] { return isOn(st.PowerOn); };
    satRadio.CurrentQrg = [this] { return st.VFOQrg[st.VFOActive]; };
    satRadio.RadioSetMode = [this](const QString& Modo) { RadioSetMode(Modo); };
    satRadio.CambiaQRG = [this](double QRG, bool tx) { CambiaQRG(QRG, tx); };
    satellitePanel = new SatellitePanel({cmSatSelect, cmbSatellite, LCDSat, LCDSatQrg, QRGEditSat}, st.SatTable,
                                        std::move(satRadio), this);
}

} // namespace quelm
