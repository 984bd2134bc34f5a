// The VFO key (swap, and A=B on a double click), the step key with its list,
// the mode field's change handler and the three mode keys.

#include <array>
#include <optional>

#include "front_panel/quelm.h"
#include "front_panel/steps.h"

namespace quelm {

namespace {

struct ModeStep {
    const char* from; // nullptr: any other caption
    const char* to;
};

// Each key's cycle: the first row whose caption matches gives the next mode.
const std::array<ModeStep, 2> kSSBCycle{{{"USB", "LSB"}, {nullptr, "USB"}}};
const std::array<ModeStep, 2> kFMCycle{{{"FM", "AM"}, {nullptr, "FM"}}};
const std::array<ModeStep, 4> kRTTYCycle{{{"CW", "CW-R"}, {"CW-R", "RTTY"}, {"RTTY", "RTTY-R"}, {nullptr, "CW"}}};

template <std::size_t N>
QString nextMode(const std::array<ModeStep, N>& cycle, const QString& caption)
{
    for (const ModeStep& s : cycle) {
        if (!s.from || caption == QLatin1String(s.from))
            return QString::fromLatin1(s.to);
    }
    return caption;
}

} // namespace

void Quelm::cmVFO_Click()
{
    if (!isOn(st.PowerOn))
        return;
    // The label says which VFO the radio is on; the swap follows it.
    if (LCDVFO->caption() == QLatin1String("VFOA")) {
        st.VFOActive = 1;
        RadioSetVFO(QStringLiteral("B"));
    } else {
        st.VFOActive = 0;
        RadioSetVFO(QStringLiteral("A"));
    }
    CommandPause();
    RadioSetStep();
    CommandPause();
    RadioSetMode(st.VFOModo[st.VFOActive]);
    CommandPause();
    // The radio's own frequency of that VFO comes back through the receive loop.
    RadioReadFreq();
}

void Quelm::cmVFO_DblClick()
{
    if (!isOn(st.PowerOn))
        return;
    RadioSetVFO(QStringLiteral("A=B"));
    const int from = st.VFOActive;
    const int to = 1 - from;
    st.VFOQrg[to] = st.VFOQrg[from];
    st.VFOModo[to] = st.VFOModo[from];
}

void Quelm::cmStep_Click()
{
    if (!isOn(st.PowerOn))
        return;
    cmbStep->setVisible(true);
    cmbStep->raise();
}

void Quelm::cmbStep_Click()
{
    const QListWidgetItem* item = cmbStep->currentItem();
    const QString chosen = item ? item->text() : QString();
    if (const std::optional<double> hz = steps::forListText(chosen))
        st.VFOStep[st.VFOActive] = *hz;
    // With the link closed the step is kept and shown; RadioSetStep sends nothing then.
    RadioSetStep();
    cmbStep->setVisible(false);
}

void Quelm::cmbStep_LostFocus()
{
    cmbStep->setVisible(false);
}

void Quelm::LCDModo_Change()
{
    st.VFOModo[st.VFOActive] = LCDModo->caption();
}

void Quelm::cmSSB_Click()
{
    if (isOn(st.PowerOn))
        RadioSetMode(nextMode(kSSBCycle, LCDModo->caption()));
}

void Quelm::cmFM_Click()
{
    if (isOn(st.PowerOn))
        RadioSetMode(nextMode(kFMCycle, LCDModo->caption()));
}

void Quelm::cmRTTY_Click()
{
    if (isOn(st.PowerOn))
        RadioSetMode(nextMode(kRTTYCycle, LCDModo->caption()));
}

} // namespace quelm
