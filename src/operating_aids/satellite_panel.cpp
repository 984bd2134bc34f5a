#include "operating_aids/satellite_panel.h"

#include <optional>

#include <QCoreApplication>
#include <QKeyEvent>

#include "window_support/panel_widgets.h"
#include "platform/conversions.h"

namespace quelm {

namespace {
constexpr int kEnter = 13;
constexpr int kEsc = 27;
} // namespace

SatellitePanel::SatellitePanel(const SatelliteControls& controls, const SatTableCells& SatTable,
                               SatelliteRadio radio, QObject* parent)
    : QObject(parent), c_(controls), table_(SatTable), radio_(std::move(radio))
{
    connect(c_.cmSatSelect, &PanelKey::clicked, this, &SatellitePanel::cmSatSelect_Click);
    connect(c_.cmbSatellite, &PopupList::chosen, this, &SatellitePanel::cmbSatellite_Click);
    connect(c_.LCDSatQrg, &LcdLabel::clicked, this, &SatellitePanel::LCDSatQrg_Click);
    c_.QRGEditSat->onKeyPress = [this](int& KeyAscii) { QRGEditSat_KeyPress(KeyAscii); };
}

int SatellitePanel::chosenRow() const
{
    return chosen_;
}

void SatellitePanel::showSatelliteQrg(double kHz)
{
    c_.LCDSatQrg->setCaption(conv::formatFixed2(kHz));
}

void SatellitePanel::cmSatSelect_Click()
{
    c_.cmbSatellite->show();
    c_.cmbSatellite->raise();
}

void SatellitePanel::cmbSatellite_Click()
{
    const int r = c_.cmbSatellite->currentRow();
    if (r < 0 || r >= kSatRows || !radio_.PowerOn()) {
        // Nothing can be tuned over a closed link: the satellite chosen before
        // stays chosen, so its name and the conversions still agree.
        c_.cmbSatellite->setCurrentRow(chosen_);
        c_.cmbSatellite->hide();
        return;
    }
    chosen_ = r;
    const sat::SatRowCells& row = table_[r];
    c_.LCDSat->setCaption(c_.cmbSatellite->item(r)->text());
    showSatelliteQrg(sat::cellKHz(row[SatQrgLow]));
    c_.QRGEditSat->setText(c_.LCDSatQrg->caption());
    c_.QRGEditSat->show();
    c_.QRGEditSat->setFocus();
    // The box tunes the radio on an Enter that waits in the event queue, so the
    // mode command below goes out before the frequency.
    QCoreApplication::postEvent(c_.QRGEditSat,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
    c_.cmbSatellite->hide();
    if (isText(row[SatModeFlag]) && std::get<QString>(row[SatModeFlag]) == QLatin1String("U"))
        radio_.RadioSetMode(cellText(row[SatModo]));
}

void SatellitePanel::LCDSatQrg_Click()
{
    c_.QRGEditSat->setText(c_.LCDSatQrg->caption());
    c_.QRGEditSat->show();
}

void SatellitePanel::QRGEditSat_KeyPress(int& KeyAscii)
{
    if (KeyAscii == kEsc)
        c_.QRGEditSat->hide();
    else if (KeyAscii == kEnter)
        enterFrequency();
    if (!sat::entryKeyPasses(KeyAscii))
        KeyAscii = 0;
}

void SatellitePanel::enterFrequency()
{
    c_.QRGEditSat->hide();
    if (!radio_.PowerOn())
        return;
    const QString typed = c_.QRGEditSat->text();
    if (const std::optional<double> shown = sat::typedKHz(typed))
        showSatelliteQrg(*shown);
    const int r = chosenRow();
    if (r < 0)
        return;
    const std::optional<double> radioKHz = sat::entryFrequency(table_[r], typed);
    if (!radioKHz) {
        // Nothing to tune: the field goes back to where the radio stands.
        showSatelliteQrg(sat::displayConversion(table_[r], radio_.CurrentQrg()));
        return;
    }
    // Sent and checked against the band limits; the frequency command also
    // shows the new frequency on the satellite side.
    radio_.CambiaQRG(*radioKHz, true);
}

} // namespace quelm
