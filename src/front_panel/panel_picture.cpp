// The panel art: a transceiver front panel drawn with QPainter. Every key of
// the window lies over a key cap or knob drawn here with its label beside it.
// Outside the rounded body the picture is one colour, which the outline scan
// cuts away.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include "front_panel/quelm.h"

namespace quelm {

namespace {

const QColor kOutside(255, 0, 255); // cut away by the outline scan
const QColor kLabel(225, 228, 232);
const QColor kAccent(255, 176, 40);
const QColor kIndicatorGlass(104, 120, 96);

QFont labelFont(int px, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans Condensed"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void text(QPainter& p, const QRectF& r, const QString& s, int px = 7, const QColor& c = kLabel,
          int align = Qt::AlignCenter)
{
    p.setFont(labelFont(px));
    p.setPen(c);
    p.drawText(r, align, s);
}

void body(QPainter& p)
{
    // Drawn without smoothing, so that every pixel is either the body or the
    // outside colour and the outline has no fringe.
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(6, 6, 689, 325), 22, 22);
    QLinearGradient g(0, 6, 0, 331);
    g.setColorAt(0, QColor(78, 82, 87));
    g.setColorAt(0.08, QColor(58, 61, 65));
    g.setColorAt(1, QColor(34, 36, 39));
    p.fillPath(outline, g);
    p.setRenderHint(QPainter::Antialiasing, true);
    // a lighter rim just inside the edge
    p.setPen(QPen(QColor(110, 115, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(9.5, 9.5, 682, 318), 19, 19);
}

void dragStrip(QPainter& p)
{
    const QRectF strip(30, 14, 625, 17);
    p.setPen(QPen(QColor(24, 25, 27), 1));
    p.setBrush(QColor(44, 46, 50));
    p.drawRoundedRect(strip, 4, 4);
    for (int x = 40; x < 250; x += 6) {
        p.setPen(QColor(80, 84, 90));
        p.drawLine(QPointF(x, 18), QPointF(x, 27));
    }
    for (int x = 440; x < 646; x += 6) {
        p.setPen(QColor(80, 84, 90));
        p.drawLine(QPointF(x, 18), QPointF(x, 27));
    }
    text(p, QRectF(250, 14, 190, 17), QStringLiteral("QUELM   HF / 50 / 144 MHz"), 9, kLabel);
}

void windowKeys(QPainter& p)
{
    // close: a red round key with a cross
    QRadialGradient g(QPointF(669, 20), 9);
    g.setColorAt(0, QColor(235, 90, 80));
    g.setColorAt(1, QColor(150, 30, 25));
    p.setPen(QPen(QColor(30, 10, 10), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(664.5, 16.5, 14, 14));
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(QPointF(668.5, 20.5), QPointF(674.5, 26.5));
    p.drawLine(QPointF(674.5, 20.5), QPointF(668.5, 26.5));
    // minimise: a narrow key with a bar at its foot
    p.setPen(QPen(QColor(20, 20, 22), 1));
    p.setBrush(QColor(120, 124, 130));
    p.drawRoundedRect(QRectF(657.5, 19.5, 7, 10), 1.5, 1.5);
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(659, 27), QPointF(663, 27));
}

// A key cap filling `r`, with `cap` written on it.
void keyCap(QPainter& p, const QRectF& r, const QString& cap = QString(), const QColor& face = QColor(92, 97, 104))
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, face.lighter(125));
    g.setColorAt(1, face.darker(135));
    p.setPen(QPen(QColor(16, 17, 19), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawLine(r.topLeft() + QPointF(2.5, 1.5), r.topRight() + QPointF(-2.5, 1.5));
    if (!cap.isEmpty()) {
        const int px = r.height() <= 11 ? 7 : 8;
        text(p, r, cap, px, Qt::white);
    }
}

// A key cap with its label printed just above it.
void labelledKey(QPainter& p, const QRectF& r, const QString& label, const QString& cap = QString())
{
    keyCap(p, r, cap);
    text(p, QRectF(r.center().x() - 30, r.top() - 10, 60, 9), label, 7);
}

void knurl(QPainter& p, const QPointF& c, double r, int teeth, const QColor& dark)
{
    p.setPen(QPen(dark, 1));
    for (int i = 0; i < teeth; ++i) {
        const double a = 2 * M_PI * i / teeth;
        p.drawLine(QPointF(c.x() + (r - 3) * qCos(a), c.y() + (r - 3) * qSin(a)),
                   QPointF(c.x() + r * qCos(a), c.y() + r * qSin(a)));
    }
}

void knob(QPainter& p, const QPointF& c, double r, const QColor& base, double pointerAngle)
{
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.6);
    g.setColorAt(0, base.lighter(170));
    g.setColorAt(0.5, base);
    g.setColorAt(1, base.darker(220));
    p.setPen(QPen(QColor(10, 10, 12), 1.2));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    knurl(p, c, r, static_cast<int>(r * 2.2), base.darker(180));
    const double a = qDegreesToRadians(pointerAngle);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() + r * 0.45 * qCos(a), c.y() + r * 0.45 * qSin(a)),
               QPointF(c.x() + (r - 4) * qCos(a), c.y() + (r - 4) * qSin(a)));
}

// Two knobs on one shaft: an outer ring and an inner knob, with a scale.
void concentricKnob(QPainter& p, const QPointF& c, const QString& inner, const QString& outer, double labelY)
{
    p.setPen(QPen(QColor(150, 155, 160), 1));
    for (int i = 0; i <= 10; ++i) {
        const double a = qDegreesToRadians(135.0 + 27.0 * i);
        p.drawLine(QPointF(c.x() + 30 * qCos(a), c.y() + 30 * qSin(a)),
                   QPointF(c.x() + 33 * qCos(a), c.y() + 33 * qSin(a)));
    }
    knob(p, c, 27, QColor(70, 73, 78), -60);
    knob(p, c, 12, QColor(120, 125, 132), 200);
    text(p, QRectF(c.x() - 45, labelY, 90, 9),
         QStringLiteral("%1 (inner) \u00B7 %2 (ring)").arg(inner, outer), 7);
}

void leftSection(QPainter& p)
{
    keyCap(p, QRectF(44, 40, 41, 17), QStringLiteral("POWER"), QColor(120, 60, 55));
    labelledKey(p, QRectF(48, 84, 33, 15), QStringLiteral("TRANSMIT"), QStringLiteral("TX"));

    concentricKnob(p, QPointF(129.5, 98.5), QStringLiteral("NR"), QStringLiteral("NOTCH"), 59);
    labelledKey(p, QRectF(98, 146, 23, 11), QStringLiteral("NR"));
    labelledKey(p, QRectF(136, 146, 23, 11), QStringLiteral("NOTCH"));
    concentricKnob(p, QPointF(129.5, 200.5), QStringLiteral("AF"), QStringLiteral("SQL"), 231);
    labelledKey(p, QRectF(126, 254, 19, 17), QStringLiteral("MIC"));
    labelledKey(p, QRectF(162, 256, 19, 17), QStringLiteral("RF PWR"));

    // jacks at the lower left
    for (const auto& [x, name] : {std::pair{40.0, "PHONES"}, std::pair{78.0, "KEY"}}) {
        p.setPen(QPen(QColor(15, 15, 16), 1));
        p.setBrush(QColor(150, 152, 156));
        p.drawEllipse(QPointF(x, 292), 9, 9);
        p.setBrush(QColor(10, 10, 10));
        p.drawEllipse(QPointF(x, 292), 4, 4);
        text(p, QRectF(x - 25, 303, 50, 9), QString::fromLatin1(name), 7);
    }
}

void display(QPainter& p)
{
    // bezel, then the pale green glass
    p.setPen(QPen(QColor(14, 15, 16), 1));
    p.setBrush(QColor(22, 23, 25));
    p.drawRoundedRect(QRectF(196.5, 34.5, 233, 140), 6, 6);
    QLinearGradient g(0, 40, 0, 168);
    g.setColorAt(0, QColor(206, 222, 190));
    g.setColorAt(1, QColor(178, 198, 160));
    p.setPen(QPen(QColor(70, 80, 65), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(202.5, 40.5, 221, 127), 3, 3);
    // The indicator row under the line is a darker strip of the glass, so the
    // grey of a switch that is off stands out as clearly as the blue of one on.
    QPainterPath strip;
    strip.addRoundedRect(QRectF(203, 41, 220, 126), 3, 3);
    QPainterPath below;
    below.addRect(QRectF(203, 136, 220, 31));
    p.setPen(Qt::NoPen);
    p.setBrush(kIndicatorGlass);
    p.drawPath(strip.intersected(below));
    // printed legends of the glass
    p.setPen(QPen(QColor(120, 135, 110), 1));
    p.drawLine(QPointF(208, 135.5), QPointF(418, 135.5));
    // the RIT lamp window at the foot of the panel
    p.setPen(QPen(QColor(14, 15, 16), 1));
    p.setBrush(QColor(190, 206, 176));
    p.drawRoundedRect(QRectF(406.5, 306.5, 26, 14), 2, 2);
}

void displayKeys(QPainter& p)
{
    labelledKey(p, QRectF(210, 226, 33, 15), QStringLiteral("MENU"));
    labelledKey(p, QRectF(254, 224, 33, 19), QStringLiteral("USB/LSB"), QStringLiteral("SSB"));
    labelledKey(p, QRectF(296, 224, 33, 19), QStringLiteral("CW/RTTY"), QStringLiteral("CW"));
    labelledKey(p, QRectF(338, 224, 33, 19), QStringLiteral("FM/AM"), QStringLiteral("FM"));
    labelledKey(p, QRectF(232, 258, 23, 13), QStringLiteral("CH-"));
    labelledKey(p, QRectF(268, 258, 23, 13), QStringLiteral("CH+"));
    labelledKey(p, QRectF(304, 258, 23, 13), QStringLiteral("NB"));
    labelledKey(p, QRectF(340, 258, 23, 13), QStringLiteral("KEYER"));
    labelledKey(p, QRectF(376, 258, 23, 13), QStringLiteral("MONI"));
    text(p, QRectF(402, 296, 34, 9), QStringLiteral("RIT"), 6);
    // speaker grille
    p.setPen(QPen(QColor(18, 19, 21), 2, Qt::SolidLine, Qt::RoundCap));
    for (int y = 286; y <= 318; y += 5)
        p.drawLine(QPointF(214, y), QPointF(392, y));
}

void bandKeys(QPainter& p)
{
    const struct { double x, y; const char* name; } keys[] = {
        {452, 32, "160"}, {488, 32, "80"}, {524, 32, "40"}, {452, 54, "30"}, {488, 54, "20"},
        {524, 54, "17"},  {452, 76, "15"}, {488, 76, "12"}, {524, 76, "10"}, {488, 96, "6"}, {524, 96, "2"},
    };
    for (const auto& k : keys)
        keyCap(p, QRectF(k.x, k.y, 25, 13), QString::fromLatin1(k.name));
    text(p, QRectF(446, 96, 40, 13), QStringLiteral("BAND\nm"), 6, kAccent);
    keyCap(p, QRectF(454, 120, 41, 11), QStringLiteral("MEMO-W"));
    keyCap(p, QRectF(506, 118, 41, 11), QStringLiteral("MEMO-R"));
    text(p, QRectF(459, 133, 20, 10), QStringLiteral("TX"), 7, kAccent, Qt::AlignRight | Qt::AlignVCenter);
    text(p, QRectF(516, 132, 20, 10), QStringLiteral("RX"), 7, kAccent, Qt::AlignRight | Qt::AlignVCenter);
    // lamp sockets of the transmit and receive indicators
    p.setPen(QPen(QColor(14, 15, 16), 1));
    p.setBrush(QColor(30, 32, 34));
    p.drawRoundedRect(QRectF(479.5, 133.5, 18, 10), 3, 3);
    p.drawRoundedRect(QRectF(537.5, 132.5, 18, 10), 3, 3);
    p.drawRoundedRect(QRectF(561.5, 61.5, 18, 10), 3, 3);
}

void rightColumn(QPainter& p)
{
    keyCap(p, QRectF(562, 40, 21, 17), QStringLiteral("F"));
    text(p, QRectF(585, 40, 20, 17), QStringLiteral("QRG"), 7, kLabel, Qt::AlignLeft | Qt::AlignVCenter);
    text(p, QRectF(582, 59, 30, 14), QStringLiteral("SPLIT"), 6, kAccent, Qt::AlignLeft | Qt::AlignVCenter);
    keyCap(p, QRectF(562, 74, 19, 15), QStringLiteral("SPL"));
    keyCap(p, QRectF(562, 96, 19, 15), QStringLiteral("A/B"));
    text(p, QRectF(583, 100, 20, 12), QStringLiteral("VFO"), 7, kLabel, Qt::AlignLeft | Qt::AlignVCenter);
    keyCap(p, QRectF(564, 120, 17, 9));
    text(p, QRectF(583, 118, 24, 12), QStringLiteral("STEP"), 7, kLabel, Qt::AlignLeft | Qt::AlignVCenter);
    labelledKey(p, QRectF(604, 86, 25, 13), QStringLiteral("MEMORY"), QStringLiteral("MEM"));
    labelledKey(p, QRectF(602, 182, 19, 13), QStringLiteral("RIT"));
    // maker's plate
    text(p, QRectF(590, 256, 96, 14), QStringLiteral("QUELM"), 12, kLabel);
    text(p, QRectF(584, 270, 108, 10), QStringLiteral("ALL MODE TRANSCEIVER"), 6, QColor(170, 175, 180));
    text(p, QRectF(584, 281, 108, 10), QStringLiteral("CI-V REMOTE"), 6, kAccent);
}

void tuningKnob(QPainter& p)
{
    const QPointF c(518.5, 217.5);
    // skirt with a scale
    p.setPen(QPen(QColor(10, 10, 12), 1));
    p.setBrush(QColor(40, 42, 46));
    p.drawEllipse(c, 62, 62);
    p.setPen(QPen(QColor(150, 155, 160), 1));
    for (int i = 0; i < 60; ++i) {
        const double a = 2 * M_PI * i / 60;
        const double inner = i % 5 == 0 ? 56 : 59;
        p.drawLine(QPointF(c.x() + inner * qCos(a), c.y() + inner * qSin(a)),
                   QPointF(c.x() + 61 * qCos(a), c.y() + 61 * qSin(a)));
    }
    knob(p, c, 52, QColor(64, 67, 72), -120);
    // the finger dimple
    QRadialGradient d(c + QPointF(-22, -18), 11);
    d.setColorAt(0, QColor(30, 31, 34));
    d.setColorAt(1, QColor(80, 84, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(d);
    p.drawEllipse(c + QPointF(-22, -18), 9, 9);
    text(p, QRectF(440, 150, 40, 9), QStringLiteral("\u25C0 DOWN"), 7, kAccent);
    text(p, QRectF(558, 150, 40, 9), QStringLiteral("UP \u25B6"), 7, kAccent);
    text(p, QRectF(438, 279, 46, 9), QStringLiteral("\u25C0 SCAN"), 7, kLabel);
    text(p, QRectF(554, 279, 46, 9), QStringLiteral("SCAN \u25B6"), 7, kLabel);
    text(p, QRectF(478, 300, 82, 9), QStringLiteral("TUNING: hold / click"), 7, kLabel);
    // a faint seam between the hold half and the click half
    p.setPen(QPen(QColor(255, 255, 255, 40), 1, Qt::DashLine));
    p.drawLine(QPointF(462, 218.5), QPointF(575, 218.5));
}

} // namespace

QImage Quelm::panelPicture()
{
    QImage img(701, 337, QImage::Format_RGB32);
    img.fill(kOutside);
    QPainter p(&img);
    body(p);
    dragStrip(p);
    windowKeys(p);
    leftSection(p);
    display(p);
    displayKeys(p);
    bandKeys(p);
    rightColumn(p);
    tuningKnob(p);
    p.end();
    return img;
}

} // namespace quelm
