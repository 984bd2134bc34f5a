#pragma once

#include <QWidget>

namespace quelm {

// The S-meter bar: a filled horizontal bar from Min to Max in the bar colour on
// the background colour. Colours are Windows colour values 0x00BBGGRR.
class VexlanProgBar : public QWidget {
    Q_OBJECT
public:
    explicit VexlanProgBar(QWidget* parent = nullptr);

    double Value() const { return value_; }
    void setValue(double Valore);
    short Max() const;
    void setMax(short Valore);
    short Min() const;
    void setMin(short Valore);
    unsigned int BackColor() const { return backColorValue_; }
    void setBackColor(unsigned int Valore);
    unsigned int ForeColor() const { return foreColorValue_; }
    void setForeColor(unsigned int Valore);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    float min_ = 0;
    float max_ = 100;
    float value_ = 0;
    unsigned int backColorValue_ = 0;
    unsigned int foreColorValue_ = 0;
};

} // namespace quelm
