// Placeholders of the main-window issue: each goes when its real one is written.
#include "front_panel/quelm.h"

namespace quelm {

void Quelm::layoutControls() {}
bool Quelm::Form_Load() { return true; }
void Quelm::Form_Unload() {}
void Quelm::cmExit_Click() {}
void Quelm::cmMinimize_Click() {}
void Quelm::MoveBar_MouseDown(Qt::MouseButton) {}
void Quelm::Image1_MouseMove() {}

} // namespace quelm
