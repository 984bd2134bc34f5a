// Placeholders of the main-road issue: each goes when its real one is written.
#include "front_panel/quelm.h"

namespace quelm {

void Quelm::cmPower_Click() {}
void Quelm::Timer1_Timer() {}
void Quelm::TimerS_Timer() {}
void Quelm::cm160m_Click() {}
void Quelm::cm80m_Click() {}
void Quelm::cm40m_Click() {}
void Quelm::cm30m_Click() {}
void Quelm::cm20m_Click() {}
void Quelm::cm17m_Click() {}
void Quelm::cm15m_Click() {}
void Quelm::cm12m_Click() {}
void Quelm::cm10m_Click() {}
void Quelm::cm6m_Click() {}
void Quelm::cm2m_Click() {}
void Quelm::cmVFO_Click() {}
void Quelm::cmVFO_DblClick() {}
void Quelm::cmStep_Click() {}
void Quelm::cmbStep_Click() {}
void Quelm::cmbStep_LostFocus() {}
void Quelm::LCDModo_Change() {}
void Quelm::cmSSB_Click() {}
void Quelm::cmFM_Click() {}
void Quelm::cmRTTY_Click() {}

} // namespace quelm
