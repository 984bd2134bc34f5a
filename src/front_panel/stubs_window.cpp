// Placeholders of the main-window issue: each goes when its real one is written.
#include "front_panel/quelm.h"

namespace quelm {

void Quelm::layoutControls() {}
QImage Quelm::panelPicture() { return QImage(701, 337, QImage::Format_RGB32); }

} // namespace quelm
