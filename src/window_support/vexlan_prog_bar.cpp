#include "window_support/vexlan_prog_bar.h"

#include <cmath>

#include <QPainter>

#include "platform/conversions.h"

namespace quelm {

namespace {
QColor winColor(unsigned int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
} // namespace

VexlanProgBar::VexlanProgBar(QWidget* parent) : QWidget(parent) {}

void VexlanProgBar::setValue(double Valore)
{
    value_ = static_cast<float>(Valore);
    update();
}

short VexlanProgBar::Max() const { return static_cast<short>(conv::roundHalfEven(max_)); }
void VexlanProgBar::setMax(short Valore) { max_ = Valore; update(); }
short VexlanProgBar::Min() const { return static_cast<short>(conv::roundHalfEven(min_)); }
void VexlanProgBar::setMin(short Valore) { min_ = Valore; update(); }
void VexlanProgBar::setBackColor(unsigned int Valore) { backColorValue_ = Valore; update(); }
void VexlanProgBar::setForeColor(unsigned int Valore) { foreColorValue_ = Valore; update(); }

void VexlanProgBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), winColor(backColorValue_));
    if (max_ <= min_)
        return;
    const double frac = std::clamp((value_ - min_) / (max_ - min_), 0.0f, 1.0f);
    p.fillRect(QRectF(0, 0, width() * frac, height()), winColor(foreColorValue_));
}

} // namespace quelm
