#pragma once

#include <QMap>
#include <QRect>
#include <QVariant>
#include <QWidget>

namespace quelm {

// Stored properties of a control: values by name, names matched without regard
// to case. A value equal to its default is not written, as a design host does.
class PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const;
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue);
    bool contains(const QString& name) const { return values_.contains(name.toLower()); }

private:
    QMap<QString, QVariant> values_;
};

// The S-meter bar: a filled horizontal bar from Min to Max in the bar colour on
// the background colour. Colours are Windows colour values 0x00BBGGRR. The inner
// `Bar` holds range and value and always covers the whole control.
class VexlanProgBar : public QWidget {
    Q_OBJECT
public:
    explicit VexlanProgBar(QWidget* parent = nullptr);

    double hdc() const;
    double scalewidth() const { return width(); }
    double scaleHeight() const { return height(); }
    void Refresh() { repaint(); }

    double Value() const { return bar_.value; }
    void setValue(double Valore);
    short Max() const;
    void setMax(short Valore);
    short Min() const;
    void setMin(short Valore);
    unsigned int BackColor() const { return backColorValue_; }
    void setBackColor(unsigned int Valore);
    unsigned int ForeColor() const { return foreColorValue_; }
    void setForeColor(unsigned int Valore);

    void UserControl_ReadProperties(const PropertyBag& PropBag);
    void UserControl_WriteProperties(PropertyBag& PropBag) const;

    // What the inner bar was last given: its place and its two colours.
    QRect barGeometry() const { return bar_.geometry; }
    unsigned int barColor() const { return bar_.barColor; }
    unsigned int barBackColor() const { return bar_.backColor; }

signals:
    // A stored property changed (the host's notification).
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Bar {
        float min = 0;
        float max = 100;
        float value = 0;
        QRect geometry;
        unsigned int barColor = 0;
        unsigned int backColor = 0;
    };

    void UserControl_Resize();
    void SetBarColor(unsigned int color);
    void SetBarBackColor(unsigned int color);

    Bar bar_;
    unsigned int backColorValue_ = 0;
    unsigned int foreColorValue_ = 0;
};

} // namespace quelm
