// The display can be read: every caption a field shows fits the field with the
// font the panel gave it, and both the blue of "on" and the grey of "off" stand
// out from the glass drawn behind the switch fields.

#include <cmath>
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/quelm_fixture.h"

using namespace quelm;

namespace {

struct FieldTexts {
    const char* field;
    std::vector<const char*> texts; // the longest texts the field shows
};

const FieldTexts kFields[] = {
    {"QRG", {"888,888.88"}},
    {"LCDModo", {"RTTY-R", "CW-R"}},
    {"LCDStep", {"12.5 KHz", "25 KHz", "100 Hz"}},
    {"LCDCH", {"99"}},
    {"LCDCHText", {"CH"}},
    {"LCDVFO", {"VFOA", "VFOB"}},
    {"LCDAGC", {"AGC OFF", "AGC FAST", "AGC SLOW"}},
    {"LCDDUP", {"DUP OFF", "DUP-", "DUP+"}},
    {"LCDComp", {"COMP"}},
    {"LCDMonitor", {"MONI"}},
    {"LCDNB", {"NB"}},
    {"LCDNR", {"NR"}},
    {"LCDNotch", {"NOTCH"}},
    {"LCDRit", {"RIT"}},
    {"LCDSatQrg", {"888,888.88"}},
};

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

// The contrast ratio of two colours (1 = none, 21 = black on white).
double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor averageOver(const QImage& picture, const QRect& r)
{
    double red = 0, green = 0, blue = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            red += c.red();
            green += c.green();
            blue += c.blue();
        }
    }
    const double n = static_cast<double>(r.width()) * r.height();
    return QColor(static_cast<int>(red / n), static_cast<int>(green / n), static_cast<int>(blue / n));
}

} // namespace

TEST(DisplayFields, EveryCaptionFitsItsFieldInThePanelsFont)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    for (const FieldTexts& c : kFields) {
        const auto* field = f.window->findChild<QLabel*>(QString::fromLatin1(c.field));
        ASSERT_NE(field, nullptr) << c.field;
        const QFontMetrics m(field->font());
        const QRect box = field->contentsRect();
        for (const char* text : c.texts) {
            const QString t = QString::fromLatin1(text);
            EXPECT_LE(m.horizontalAdvance(t), box.width()) << c.field << " \"" << text << "\"";
            EXPECT_LE(m.tightBoundingRect(t).height(), box.height()) << c.field << " \"" << text << "\"";
        }
    }
}

TEST(DisplayFields, OnAndOffColoursBothStandOutFromTheGlassBehindTheSwitchFields)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    const QImage picture = Quelm::panelPicture();
    for (const char* name : {"LCDComp", "LCDAGC", "LCDDUP"}) {
        const auto* field = f.window->findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(field, nullptr) << name;
        const QColor glass = averageOver(picture, field->geometry());
        EXPECT_GE(contrast(fromWinColor(kGrey), glass), 2.2) << name << " off";
        EXPECT_GE(contrast(fromWinColor(kBlue), glass), 2.2) << name << " on";
    }
}
