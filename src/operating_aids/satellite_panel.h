#pragma once

// The satellite panel: the "SAT" key with its list of satellites, the satellite's
// name, the satellite-side frequency and the box in which the operator types a
// satellite-side frequency. A pick tunes the radio to the satellite's low end; a
// typed frequency goes to the radio through the row's entry conversion. Showing
// the radio's own frequency on the satellite side while the panel is up is the
// frequency command's and the receive loop's (satellite_conversion.h).

#include <array>
#include <functional>

#include <QObject>
#include <QString>

#include "operating_aids/satellite_table.h"
#include "operating_aids/satellite_conversion.h"

namespace quelm {

class KeyEdit;
class LcdLabel;
class PanelKey;
class PopupList;

// What the panel needs of the main window.
struct SatelliteRadio {
    std::function<bool()> PowerOn;       // the serial link is open
    std::function<double()> CurrentQrg;  // the current VFO's frequency, kHz
    std::function<void(const QString& Modo)> RadioSetMode;
    std::function<void(double QRG, bool tx)> CambiaQRG;
};

struct SatelliteControls {
    PanelKey* cmSatSelect = nullptr;
    PopupList* cmbSatellite = nullptr;  // the names; its current row is the chosen satellite
    LcdLabel* LCDSat = nullptr;         // the chosen satellite's name
    LcdLabel* LCDSatQrg = nullptr;      // the satellite-side frequency
    KeyEdit* QRGEditSat = nullptr;      // the entry box
};

class SatellitePanel : public QObject {
    Q_OBJECT
public:
    // Connects the controls' events to the handlers below. The table is read
    // where it stands, for as long as the panel lives.
    SatellitePanel(const SatelliteControls& controls, const SatTableCells& SatTable, SatelliteRadio radio,
                   QObject* parent = nullptr);

    void cmSatSelect_Click();
    void cmbSatellite_Click();
    void LCDSatQrg_Click();
    // Esc abandons, Enter tunes; keys that cannot be part of a frequency are dropped.
    void QRGEditSat_KeyPress(int& KeyAscii);

    // The row of the table last picked, the one LCDSat names, or -1 while none
    // is. The list's current row is not it: a press on another name that ends
    // off the list moves that row without picking anything.
    int chosenRow() const;

private:
    void enterFrequency();
    void showSatelliteQrg(double kHz);

    SatelliteControls c_;
    const SatTableCells& table_;
    SatelliteRadio radio_;
    int chosen_ = -1;
};

} // namespace quelm
