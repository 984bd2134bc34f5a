// The memo pad: for each band row the last five frequencies the operator noted,
// most recent first, listed on demand; a click on a listed one tunes to it. It
// lives in memory only and starts empty at every run.

#include <algorithm>
#include <optional>

#include "front_panel/quelm.h"
#include "platform/conversions.h"

namespace quelm {

namespace {

constexpr int kSlots = 5; // slots 1..5 of a row; slot 0 is unused

// The pad's row for the current band (BandIndex only ever holds 0..15).
std::array<double, 6>& padRow(OperatingState& st)
{
    return st.MemoPad[static_cast<std::size_t>(std::clamp(st.BandIndex, 0, kBandRows))];
}

} // namespace

void Quelm::wireMemoPad()
{
    connect(cmMPW, &PanelKey::clicked, this, &Quelm::cmMPW_Click);
    connect(cmMPR, &PanelKey::clicked, this, &Quelm::cmMPR_Click);
    connect(cmbBandStack, &PopupList::chosen, this, &Quelm::cmbBandStack_Click);
    connect(cmbBandStack, &PopupList::lostFocus, this, &Quelm::cmbBandStack_LostFocus);
}

void Quelm::cmMPW_Click()
{
    if (!isOn(st.PowerOn))
        return;
    std::array<double, 6>& row = padRow(st);
    for (int slot = kSlots; slot >= 2; --slot)
        row[slot] = row[slot - 1];
    row[1] = st.VFOQrg[st.VFOActive];
}

void Quelm::cmMPR_Click()
{
    if (!isOn(st.PowerOn))
        return;
    cmbBandStack->clear();
    const std::array<double, 6>& row = padRow(st);
    for (int slot = 1; slot <= kSlots; ++slot) {
        // 0 marks an empty slot
        if (row[slot] != 0)
            cmbBandStack->addItem(conv::formatUpTo2(row[slot]));
    }
    if (cmbBandStack->count() == 0)
        return;
    cmbBandStack->setVisible(true);
    cmbBandStack->raise();
    cmbBandStack->setFocus();
}

void Quelm::cmbBandStack_Click()
{
    const QListWidgetItem* item = cmbBandStack->currentItem();
    const std::optional<double> kHz = item ? conv::localeReading(QStringView(item->text())) : std::nullopt;
    cmbBandStack->setVisible(false);
    // The list can outlive the link (a serial failure while it is open).
    if (!kHz || !isOn(st.PowerOn))
        return;
    CambiaQRG(*kHz, true);
}

void Quelm::cmbBandStack_LostFocus()
{
    cmbBandStack->setVisible(false);
}

} // namespace quelm
