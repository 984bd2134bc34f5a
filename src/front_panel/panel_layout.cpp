// The geometry, fonts, colours, captions and tooltips of every control of the
// panel, from one table. Positions are pixels of the 701 x 337 panel picture.

#include <algorithm>
#include <initializer_list>

#include <QBitmap>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "front_panel/quelm.h"
#include "front_panel/steps.h"
#include "window_support/bar_control.h"

namespace quelm {

namespace {

enum class Face {
    None,        // the widget's own font
    Small,       // "Small Fonts" 6.75 pt bold
    Digits,      // "DS-Digital", fields that show numbers
    DigitalText, // "DS-Digital", fields and keys that show letters
    List,        // pop-up lists and edit boxes of names
    Symbol,      // the split indicator
};

struct ControlSpec {
    const char* name;
    int left, top, width, height;
    const char* tooltip;
    Face face;
    double points; // size in points at 96 dots per inch
    bool bold;
    unsigned int colour; // text colour of display fields, 0 = the field's default
    const char* caption;
    bool visible;
};

constexpr unsigned int kNoColour = 0;

// Every control of the window. Keys are transparent labels over the picture.
const ControlSpec kControls[] = {
    // power and transmit keys on the left of the panel
    {"cmPower", 44, 40, 41, 17, "Power: open or close the link to the radio", Face::None, 0, false, 0, "", true},
    {"cmTX", 48, 84, 33, 15, "Switch from RX and TX", Face::None, 0, false, 0, "", true},
    // the two concentric level knobs and the keys between them (outer ring first)
    {"cmNotchLevel", 100, 70, 59, 57, "Notch level", Face::None, 0, false, 0, "", true},
    {"cmNRLevel", 114, 86, 25, 25, "NR level", Face::None, 0, false, 0, "", true},
    {"cmRFSQL", 100, 172, 59, 57, "SQL level", Face::None, 0, false, 0, "", true},
    {"cmAF", 114, 188, 25, 25, "AF level", Face::None, 0, false, 0, "", true},
    {"cmNR", 98, 146, 23, 11, "Noise reduction", Face::None, 0, false, 0, "", true},
    {"cmNotch", 136, 146, 23, 11, "Notch", Face::None, 0, false, 0, "", true},
    {"cmMicGain", 126, 254, 19, 17, "Mic gain", Face::None, 0, false, 0, "", true},
    {"cmRFGain", 162, 256, 19, 17, "FR power", Face::None, 0, false, 0, "", true},
    // keys under the display
    {"cmMenu", 210, 226, 33, 15, "Menu", Face::None, 0, false, 0, "", true},
    {"cmSSB", 254, 224, 33, 19, "", Face::None, 0, false, 0, "", true},
    {"cmRTTY", 296, 224, 33, 19, "", Face::None, 0, false, 0, "", true},
    {"cmFM", 338, 224, 33, 19, "", Face::None, 0, false, 0, "", true},
    {"cmCHDown", 232, 258, 23, 13, "Previous CW memory", Face::None, 0, false, 0, "", true},
    {"cmCHUp", 268, 258, 23, 13, "Next CW memory", Face::None, 0, false, 0, "", true},
    {"cmNB", 304, 258, 23, 13, "Noise blanker", Face::None, 0, false, 0, "", true},
    {"cmCWMem", 340, 258, 23, 13, "Read CW memory", Face::None, 0, false, 0, "", true},
    {"cmMonitor", 376, 258, 23, 13, "Monitor", Face::None, 0, false, 0, "", true},
    // band keys
    {"cm160m", 452, 32, 25, 13, "160 m band", Face::None, 0, false, 0, "", true},
    {"cm80m", 488, 32, 25, 13, "80 m band", Face::None, 0, false, 0, "", true},
    {"cm40m", 524, 32, 25, 13, "40 m band", Face::None, 0, false, 0, "", true},
    {"cm30m", 452, 54, 25, 13, "30 m band", Face::None, 0, false, 0, "", true},
    {"cm20m", 488, 54, 25, 13, "20 m band", Face::None, 0, false, 0, "", true},
    {"cm17m", 524, 54, 25, 13, "17 m band", Face::None, 0, false, 0, "", true},
    {"cm15m", 452, 76, 25, 13, "15 m band", Face::None, 0, false, 0, "", true},
    {"cm12m", 488, 76, 25, 13, "12 m band", Face::None, 0, false, 0, "", true},
    {"cm10m", 524, 76, 25, 13, "10 m band", Face::None, 0, false, 0, "", true},
    {"cm6m", 488, 96, 25, 13, "6 m band", Face::None, 0, false, 0, "", true},
    {"cm2m", 524, 96, 25, 13, "2 m band", Face::None, 0, false, 0, "", true},
    // memo pad, VFO, step, split, entry, memory and RIT keys
    {"cmMPW", 454, 120, 41, 11, "Write memory stack", Face::None, 0, false, 0, "", true},
    {"cmMPR", 506, 118, 41, 11, "Read memory stack", Face::None, 0, false, 0, "", true},
    {"cmQRG", 562, 40, 21, 17, "Enter QRG", Face::None, 0, false, 0, "", true},
    {"cmSplit", 562, 74, 19, 15, "Split on/off", Face::None, 0, false, 0, "", true},
    {"cmVFO", 562, 96, 19, 15, "Echange VFO, double click set A=B", Face::None, 0, false, 0, "", true},
    {"cmStep", 564, 120, 17, 9, "Set step", Face::None, 0, false, 0, "", true},
    {"cmMEM", 604, 86, 25, 13, "Show Memory", Face::None, 0, false, 0, "", true},
    {"cmRit", 602, 182, 19, 13, "Rit", Face::None, 0, false, 0, "", true},
    // the tuning knob: hold keys on its upper half, click keys on its lower half
    {"VFODown", 458, 158, 63, 61, "VFO down (hold)", Face::None, 0, false, 0, "", true},
    {"VFOUp", 526, 162, 53, 55, "VFO Up (hold)", Face::None, 0, false, 0, "", true},
    {"VFODownClick", 460, 216, 63, 61, "VFO down (single click)", Face::None, 0, false, 0, "", true},
    {"VFOUpClick", 522, 220, 53, 55, "VFO Up (single click)", Face::None, 0, false, 0, "", true},
    // window keys
    {"MoveBar", 32, 16, 621, 13, "", Face::None, 0, false, 0, "", true},
    {"cmMinimize", 658, 20, 7, 9, "", Face::None, 0, false, 0, "", true},
    {"cmExit", 664, 16, 15, 15, "", Face::None, 0, false, 0, "", true},
    // display fields
    {"LCDModo", 212, 48, 71, 21, "", Face::DigitalText, 14.25, true, kNoColour, "USB", true},
    {"LCDCHText", 286, 54, 14, 11, "", Face::Small, 6.75, true, kNoColour, "CH", true},
    {"LCDCH", 300, 46, 36, 23, "", Face::Digits, 21.75, true, kNoColour, "01", true},
    {"LCDStep", 350, 48, 67, 21, "", Face::DigitalText, 14.25, true, kNoColour, "1", true},
    {"QRG", 210, 62, 205, 47, "", Face::Digits, 33.75, true, kNoColour, "50,110.00", true},
    {"LCDVFO", 332, 98, 35, 21, "", Face::Small, 6.75, true, kNoColour, "VFOA", true},
    {"LCDAGC", 252, 138, 61, 13, "AGC control", Face::Small, 6.75, true, kBlue, "AGC FAST", true},
    {"LCDQRGSplit", 318, 138, 39, 15, "", Face::Symbol, 9, false, kBlue, "", true},
    {"LCDDUP", 330, 138, 31, 13, "Set Simplex/Duplex operation", Face::Small, 6.75, true, kBlue, "DUP+", true},
    {"LCDNR", 360, 138, 21, 13, "", Face::Small, 6.75, true, kBlue, "NR", false},
    {"LCDComp", 210, 150, 33, 13, "Mic compression", Face::Small, 6.75, true, kGrey, "COMP", true},
    {"LCDMonitor", 252, 150, 31, 13, "", Face::Small, 6.75, true, kBlue, "MONI", false},
    {"LCDNB", 292, 150, 21, 13, "", Face::Small, 6.75, true, kBlue, "NB", false},
    {"LCDNotch", 360, 150, 41, 13, "", Face::Small, 6.75, true, kBlue, "NOTCH", false},
    {"LCDRit", 410, 308, 19, 11, "", Face::Small, 6.75, true, kBlue, "RIT", false},
    // the S-meter bar under the frequency (2540 x 238 hundredths of a millimetre)
    {"LCDS", 212, 111, 96, 9, "", Face::None, 0, false, 0, "", true},
    // the two extra panels of the menu key share the row under the S-meter
    {"cmRec", 212, 121, 34, 14, "", Face::DigitalText, 12, false, 0, "REC", false},
    {"cmPause", 249, 121, 46, 14, "", Face::DigitalText, 12, false, 0, "PAUSE", false},
    {"cmStop", 298, 121, 38, 14, "", Face::DigitalText, 12, false, 0, "STOP", false},
    {"cmPlay", 339, 121, 40, 14, "", Face::DigitalText, 12, false, 0, "PLAY", false},
    {"cmCQ", 382, 121, 32, 14, "", Face::DigitalText, 12, false, 0, "CQ", false},
    {"cmSatSelect", 212, 121, 30, 14, "Select satellite", Face::DigitalText, 12, false, 0, "SAT", false},
    {"LCDSat", 245, 121, 76, 14, "", Face::DigitalText, 12, false, kBlue, "", false},
    {"LCDSatQrg", 324, 121, 90, 14, "Satellite qrg, click to change", Face::Digits, 12, false, kBlue, "", false},
    // indicator lamps
    {"LCDSplit", 562, 62, 17, 9, "", Face::None, 0, false, 0, "", false},
    {"LCDTX", 480, 134, 17, 9, "", Face::None, 0, false, 0, "", false},
    {"LCDRX", 538, 133, 17, 9, "", Face::None, 0, false, 0, "", false},
    // the cover of the display while the link is closed
    {"LCDOff", 204, 42, 218, 125, "", Face::None, 0, false, 0, "", true},
    // entry boxes, pop-up lists and the level slider, hidden until used
    {"QRGEdit", 210, 62, 205, 47, "", Face::Digits, 33.75, true, kBlue, "", false},
    {"QRGEditSat", 324, 120, 90, 16, "", Face::Digits, 12, false, kBlue, "", false},
    {"LCDCWMem", 210, 84, 205, 20, "Enter to update memory, ESC to abandon", Face::List, 9, false, kBlue, "", false},
    {"LCDWav", 250, 60, 150, 76, "", Face::List, 9.75, false, 0, "", false},
    {"cmbSatellite", 245, 60, 120, 76, "", Face::List, 9, false, 0, "", false},
    {"cmbBandStack", 492, 118, 73, 69, "", Face::Small, 7, false, 0, "", false},
    {"cmbStep", 546, 118, 55, 108, "", Face::Small, 7, false, 0, "", false},
    {"Slider1", 210, 136, 203, 23, "", Face::None, 0, false, 0, "", false},
};

// "DS-Digital" where installed, else the seven- and fourteen-segment DSEG fonts,
// else a monospace font.
QString digitalFamily(bool letters)
{
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("DS-Digital")))
        return QStringLiteral("DS-Digital");
    const QString dseg = letters ? QStringLiteral("DSEG14 Classic") : QStringLiteral("DSEG7 Classic");
    if (families.contains(dseg))
        return dseg;
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

// The largest pixel size up to `pixels`, and at that size the widest of the
// `stretches` (percent), at which every one of `texts` fits the box.
QFont fitted(QFont font, int pixels, const QStringList& texts, const QSize& box,
             std::initializer_list<int> stretches = {100})
{
    for (int px = pixels; px > 6; --px) {
        for (int stretch : stretches) {
            font.setPixelSize(px);
            font.setStretch(stretch);
            const QFontMetrics m(font);
            const bool fits = std::all_of(texts.begin(), texts.end(), [&](const QString& t) {
                return m.horizontalAdvance(t) <= box.width();
            });
            if (fits && m.ascent() <= box.height() * 3 / 4)
                return font;
        }
    }
    font.setPixelSize(6);
    return font;
}

// Every text a field shows that may be its widest, for fitting the stand-in fonts.
QStringList shownTexts(const ControlSpec& c)
{
    const QString name = QString::fromLatin1(c.name);
    if (name == QLatin1String("QRG") || name == QLatin1String("QRGEdit") || name == QLatin1String("LCDSatQrg")
        || name == QLatin1String("QRGEditSat"))
        return {QStringLiteral("888,888.88")};
    if (name == QLatin1String("LCDModo"))
        return {QStringLiteral("RTTY-R"), QStringLiteral("CW-R"), QStringLiteral("RTTY")};
    if (name == QLatin1String("LCDStep")) {
        QStringList captions;
        for (double hz : {10.0, 100.0, 1000.0, 5000.0, 10000.0, 12500.0, 20000.0, 25000.0})
            captions << steps::caption(hz).value_or(QString());
        return captions;
    }
    if (name == QLatin1String("LCDCH"))
        return {QStringLiteral("88")};
    if (name == QLatin1String("LCDVFO"))
        return {QStringLiteral("VFOA"), QStringLiteral("VFOB")};
    if (name == QLatin1String("LCDAGC"))
        return {QStringLiteral("AGC OFF"), QStringLiteral("AGC FAST"), QStringLiteral("AGC SLOW")};
    if (name == QLatin1String("LCDDUP"))
        return {QStringLiteral("DUP OFF"), QStringLiteral("DUP-"), QStringLiteral("DUP+")};
    if (name == QLatin1String("LCDSat"))
        return {QStringLiteral("XXXXXXX")};
    return {QString::fromLatin1(c.caption)};
}

QFont fontFor(const ControlSpec& c)
{
    const int pixels = static_cast<int>(c.points * 96.0 / 72.0 + 0.5);
    const QSize box(c.width, c.height);
    QFont f;
    switch (c.face) {
    case Face::None:
        return f;
    case Face::Small:
        // A narrow sans face stands in for the bitmap "Small Fonts"; a long
        // caption in a short field ("DUP OFF") is drawn narrower before smaller.
        f = QFont(QStringLiteral("DejaVu Sans Condensed"));
        f.setBold(c.bold);
        return fitted(f, pixels, shownTexts(c), box, {100, 87, 75});
    case Face::Digits:
    case Face::DigitalText: {
        const QString family = digitalFamily(c.face == Face::DigitalText);
        f = QFont(family);
        f.setBold(c.bold);
        if (family == QLatin1String("DS-Digital")) {
            f.setPixelSize(pixels);
            return f;
        }
        return fitted(f, pixels, shownTexts(c), box);
    }
    case Face::List:
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPixelSize(pixels);
        return f;
    case Face::Symbol:
        f = QFont(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(pixels + 2);
        f.setBold(true);
        return f;
    }
    return f;
}

// The panel's own pointer: a small ring with a centre dot, drawn here.
QCursor panelCursor()
{
    QPixmap pm(21, 21);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 3));
    p.drawEllipse(QPointF(10.5, 10.5), 7, 7);
    p.setPen(QPen(QColor(20, 20, 20), 1.5));
    p.drawEllipse(QPointF(10.5, 10.5), 7, 7);
    p.setBrush(QColor(220, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(10.5, 10.5), 2.2, 2.2);
    p.end();
    return QCursor(pm, 10, 10);
}

// The drag strip's pointer: four arrows, drawn here.
QCursor moveCursor()
{
    QPixmap pm(23, 23);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrows;
    const QPointF c(11.5, 11.5);
    for (int i = 0; i < 4; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(90.0 * i);
        QPolygonF head({{0, -10}, {-4, -5}, {-1.2, -5}, {-1.2, 0}, {1.2, 0}, {1.2, -5}, {4, -5}});
        arrows.addPolygon(t.map(head));
        arrows.closeSubpath();
    }
    p.setPen(QPen(Qt::white, 2));
    p.drawPath(arrows);
    p.fillPath(arrows, QColor(20, 20, 20));
    p.end();
    return QCursor(pm, 11, 11);
}

// The 17 x 9 lamps: one image for the receive and split lamps, one for transmit.
QPixmap lamp(const QColor& colour)
{
    QPixmap pm(17, 9);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 9);
    g.setColorAt(0, colour.lighter(160));
    g.setColorAt(1, colour.darker(130));
    p.setBrush(g);
    p.setPen(QPen(colour.darker(200), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, 16, 8), 3, 3);
    return pm;
}

void styleDisplayField(LcdLabel* l, const ControlSpec& c)
{
    if (c.colour != kNoColour)
        l->setForeColor(c.colour);
    l->setCaption(QString::fromLatin1(c.caption));
    const QString name = QString::fromLatin1(c.name);
    if (name == QLatin1String("LCDStep") || name == QLatin1String("QRG") || name == QLatin1String("LCDSatQrg"))
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    else
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void styleKey(PanelKey* k, const ControlSpec& c, const QCursor& pointer)
{
    k->setCursor(pointer);
    k->setText(QString::fromLatin1(c.caption));
    if (*c.caption) {
        k->setAlignment(Qt::AlignCenter);
        QPalette p = k->palette();
        // captions drawn on the display glass, greyed while the key is off
        p.setColor(QPalette::WindowText, fromWinColor(kBlue));
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(140, 158, 130));
        k->setPalette(p);
    }
}

} // namespace

QStringList panelControlNames()
{
    QStringList names;
    for (const ControlSpec& c : kControls)
        names << QString::fromLatin1(c.name);
    return names;
}

namespace {

void placeFromTable(Quelm& q, const QCursor& pointer)
{
    for (const ControlSpec& c : kControls) {
        QWidget* w = q.findChild<QWidget*>(QString::fromLatin1(c.name), Qt::FindDirectChildrenOnly);
        Q_ASSERT_X(w, "layoutControls", c.name);
        if (!w)
            continue;
        w->setGeometry(c.left, c.top, c.width, c.height);
        w->setToolTip(QString::fromLatin1(c.tooltip));
        if (c.face != Face::None)
            w->setFont(fontFor(c));
        if (auto* k = qobject_cast<PanelKey*>(w))
            styleKey(k, c, pointer);
        else if (auto* l = qobject_cast<LcdLabel*>(w))
            styleDisplayField(l, c);
        else if (auto* e = qobject_cast<QLineEdit*>(w); e && c.colour != kNoColour) {
            QPalette p = e->palette();
            p.setColor(QPalette::Text, fromWinColor(c.colour));
            e->setPalette(p);
        }
        w->raise(); // table order is stacking order: later rows lie above
        w->setVisible(c.visible);
    }
}

void styleIndicators(Quelm& q)
{
    // Drawn as a split sign: two arrows running opposite ways.
    q.LCDQRGSplit->setShownAs([](const QString& caption) {
        return caption.isEmpty() ? QString() : QStringLiteral("\u21C4");
    });
    const QPixmap receive = lamp(QColor(40, 200, 60));
    q.LCDSplit->setPixmap(receive);
    q.LCDRX->setPixmap(receive);
    q.LCDTX->setPixmap(lamp(QColor(230, 40, 30)));

    q.LCDOff->setAutoFillBackground(true);
    QPalette off = q.LCDOff->palette();
    off.setColor(QPalette::Window, QColor(28, 32, 30));
    q.LCDOff->setPalette(off);

    PropertyBag stored; // the S-meter as the panel stores it
    stored.WriteProperty(QStringLiteral("max"), 255.0f, 0.0f);
    stored.WriteProperty(QStringLiteral("backcolor"), 0x00E2E6DBu, 0u);
    stored.WriteProperty(QStringLiteral("forecolor"), 0x000000C0u, 0u);
    q.LCDS->UserControl_ReadProperties(stored);
}

void preparePopups(Quelm& q)
{
    q.cmbStep->addItems(steps::listTexts());
    for (PopupList* l : {q.cmbStep, q.cmbBandStack}) {
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setFrameShape(QFrame::Box);
    }
    q.Slider1->setRange(0, 255);
    q.Slider1->setSingleStep(1);
    q.Slider1->setPageStep(5);
    q.LCDCWMem->setMaxLength(50);
    for (QLineEdit* e : {static_cast<QLineEdit*>(q.QRGEdit), static_cast<QLineEdit*>(q.QRGEditSat),
                         static_cast<QLineEdit*>(q.LCDCWMem)})
        e->setFrame(false);
}

} // namespace

void Quelm::layoutControls()
{
    setFixedSize(701, 337);
    Image1->setGeometry(0, 0, 701, 337);
    Image1->lower();
    const QCursor pointer = panelCursor();
    placeFromTable(*this, pointer);
    MoveBar->setCursor(moveCursor());
    for (LcdLabel* clickable : {LCDComp, LCDAGC, LCDDUP, LCDSatQrg})
        clickable->setCursor(pointer);
    cmRit->setEnabled(false);
    cmMenu->Tag = QStringLiteral("0");
    TimerVFOPress->Tag = QStringLiteral("1");
    styleIndicators(*this);
    preparePopups(*this);
}

} // namespace quelm
