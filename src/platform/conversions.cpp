#include "platform/conversions.h"

#include <cmath>

#include <QLocale>

namespace quelm {

QString cellText(const Cell& c)
{
    if (const auto* s = std::get_if<QString>(&c))
        return *s;
    if (const auto* d = std::get_if<double>(&c))
        return conv::plainText(*d);
    return {};
}

namespace conv {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Digits of `text` grouped by thousands with the locale's separator.
QString groupDigits(const QString& digits, const QLocale& locale)
{
    QString out;
    const QString group = locale.groupSeparator();
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        out += digits[i];
        const int left = n - 1 - i;
        if (left > 0 && left % 3 == 0)
            out += group;
    }
    return out;
}

// Splits |value| rounded to `decimals` places into whole digits and fraction digits.
void splitRounded(double value, int decimals, QString* whole, QString* fraction)
{
    const double scaled = roundHalfEven(
        QString::number(std::fabs(value) * std::pow(10.0, decimals), 'g', 15).toDouble());
    QString all = QString::number(scaled, 'f', 0);
    while (all.size() <= decimals)
        all.prepend(QLatin1Char('0'));
    *whole = all.left(all.size() - decimals);
    *fraction = all.right(decimals);
}

QString formatPattern(double value, bool keepTrailingZeros)
{
    const QLocale locale;
    QString whole;
    QString fraction;
    splitRounded(value, 2, &whole, &fraction);
    if (!keepTrailingZeros) {
        while (fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
    }
    const bool zero = whole.count(QLatin1Char('0')) == whole.size()
        && fraction.count(QLatin1Char('0')) == fraction.size();
    QString out;
    if (value < 0 && !zero)
        out += locale.negativeSign();
    if (whole != QLatin1String("0"))
        out += groupDigits(whole, locale);
    out += locale.decimalPoint();
    out += fraction;
    return out;
}

} // namespace

double decimalReader(QStringView text)
{
    int i = 0;
    const int n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    double sign = 1.0;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        if (text[i] == QLatin1Char('-'))
            sign = -1.0;
        ++i;
    }
    double value = 0.0;
    double scale = 0.0; // 0 while before the point
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isBlank(c))
            continue;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const int d = c.unicode() - '0';
            if (scale == 0.0) {
                value = value * 10.0 + d;
            } else {
                value += d * scale;
                scale /= 10.0;
            }
        } else if (c == QLatin1Char('.') && scale == 0.0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    return sign * value;
}

std::optional<double> localeReading(QStringView text)
{
    const QLocale locale;
    QString t = text.toString().trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (t.endsWith(locale.decimalPoint()))
        t.chop(locale.decimalPoint().size());
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = locale.toDouble(t, &ok);
    if (ok)
        return v;
    // Group separators in any place, as the platform's own reading takes them.
    QString noGroups = t;
    noGroups.remove(locale.groupSeparator());
    v = locale.toDouble(noGroups, &ok);
    if (ok && !noGroups.isEmpty())
        return v;
    return std::nullopt;
}

std::optional<double> localeReading(const Cell& cell)
{
    if (isEmptyValue(cell))
        return 0.0;
    if (const auto* d = std::get_if<double>(&cell))
        return *d;
    return localeReading(QStringView(std::get<QString>(cell)));
}

QString numberText(double value)
{
    if (value == 0.0)
        value = 0.0; // no "-0"
    QString digits = QString::number(std::fabs(value), 'g', 15);
    return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

QString plainText(double value)
{
    QString text = numberText(value);
    if (text.startsWith(QLatin1Char(' ')))
        text.remove(0, 1);
    const QLocale locale;
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    if (text.startsWith(QLatin1Char('-')))
        text.replace(0, 1, locale.negativeSign());
    return text;
}

QString formatFixed2(double value)
{
    return formatPattern(value, true);
}

QString formatUpTo2(double value)
{
    return formatPattern(value, false);
}

double roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5)
        return floor + 1.0;
    if (diff < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

double roundHalfEven(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // The product is nudged through a decimal text so 14074.005 rounds by its
    // written digits, not by its binary neighbour.
    const double scaled = QString::number(value * scale, 'g', 15).toDouble();
    return roundHalfEven(scaled) / scale;
}

} // namespace conv
} // namespace quelm
