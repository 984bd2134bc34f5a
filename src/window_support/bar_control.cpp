#include "window_support/bar_control.h"

#include <algorithm>

#include <QPainter>

#include "platform/conversions.h"

namespace quelm {

namespace {
QColor winColor(unsigned int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
} // namespace

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    return values_.value(name.toLower(), defaultValue);
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    if (value == defaultValue)
        values_.remove(name.toLower());
    else
        values_.insert(name.toLower(), value);
}

VexlanProgBar::VexlanProgBar(QWidget* parent) : QWidget(parent) {}

double VexlanProgBar::hdc() const
{
    // The drawing surface is the widget itself; its address serves as the handle.
    return static_cast<double>(reinterpret_cast<quintptr>(static_cast<const QPaintDevice*>(this)));
}

void VexlanProgBar::setValue(double Valore)
{
    bar_.value = static_cast<float>(Valore);
    update();
    emit propertyChanged(QStringLiteral("Value"));
}

short VexlanProgBar::Max() const { return static_cast<short>(conv::roundHalfEven(bar_.max)); }

void VexlanProgBar::setMax(short Valore)
{
    bar_.max = Valore;
    update();
    emit propertyChanged(QStringLiteral("Max"));
}

short VexlanProgBar::Min() const { return static_cast<short>(conv::roundHalfEven(bar_.min)); }

void VexlanProgBar::setMin(short Valore)
{
    bar_.min = Valore;
    update();
    emit propertyChanged(QStringLiteral("Min"));
}

void VexlanProgBar::setBackColor(unsigned int Valore)
{
    backColorValue_ = Valore;
    SetBarBackColor(Valore);
    emit propertyChanged(QStringLiteral("BackColor"));
}

void VexlanProgBar::setForeColor(unsigned int Valore)
{
    foreColorValue_ = Valore;
    SetBarColor(Valore);
    emit propertyChanged(QStringLiteral("ForeColor"));
}

void VexlanProgBar::UserControl_ReadProperties(const PropertyBag& PropBag)
{
    bar_.min = PropBag.ReadProperty(QStringLiteral("Min"), 0).toFloat();
    bar_.max = PropBag.ReadProperty(QStringLiteral("Max"), 0).toFloat();
    bar_.value = PropBag.ReadProperty(QStringLiteral("Value"), 0).toFloat();
    foreColorValue_ = PropBag.ReadProperty(QStringLiteral("ForeColor"), 0).toUInt();
    SetBarColor(foreColorValue_);
    backColorValue_ = PropBag.ReadProperty(QStringLiteral("BackColor"), 0).toUInt();
    SetBarBackColor(backColorValue_);
}

void VexlanProgBar::UserControl_WriteProperties(PropertyBag& PropBag) const
{
    PropBag.WriteProperty(QStringLiteral("Min"), bar_.min, 0.0f);
    PropBag.WriteProperty(QStringLiteral("Max"), bar_.max, 0.0f);
    PropBag.WriteProperty(QStringLiteral("Value"), bar_.value, 0.0f);
    PropBag.WriteProperty(QStringLiteral("BackColor"), backColorValue_, 0u);
    PropBag.WriteProperty(QStringLiteral("ForeColor"), foreColorValue_, 0u);
}

void VexlanProgBar::UserControl_Resize()
{
    bar_.geometry = QRect(0, 0, static_cast<int>(scalewidth()), static_cast<int>(scaleHeight()));
}

void VexlanProgBar::SetBarColor(unsigned int color)
{
    bar_.barColor = color;
    update();
}

void VexlanProgBar::SetBarBackColor(unsigned int color)
{
    bar_.backColor = color;
    update();
}

void VexlanProgBar::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    UserControl_Resize();
}

void VexlanProgBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = bar_.geometry;
    p.fillRect(r, winColor(bar_.backColor));
    if (bar_.max <= bar_.min)
        return; // an empty range shows no bar
    const double frac = std::clamp((bar_.value - bar_.min) / (bar_.max - bar_.min), 0.0f, 1.0f);
    p.fillRect(QRectF(r.x(), r.y(), r.width() * frac, r.height()), winColor(bar_.barColor));
}

} // namespace quelm
