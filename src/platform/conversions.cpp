#include "platform/conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

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

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Digits grouped by thousands with the locale's separator.
QString groupDigits(const QString& digits, const QLocale& locale)
{
    QString out;
    const QString group = locale.groupSeparator();
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        out += digits[i];
        const qsizetype left = n - 1 - i;
        if (left > 0 && left % 3 == 0)
            out += group;
    }
    return out;
}

// The digits of |value| rounded to two places, halves away from zero at the
// written fifteenth digit (as a display pattern rounds what it shows): whole part
// and two fraction digits.
void splitTwoPlaces(double value, QString* whole, QString* fraction)
{
    const double scaled = QString::number(std::fabs(value) * 100.0, 'g', 15).toDouble();
    QString all = QString::number(std::floor(scaled + 0.5), 'f', 0);
    while (all.size() <= 2)
        all.prepend(QLatin1Char('0'));
    *whole = all.left(all.size() - 2);
    *fraction = all.right(2);
}

QString formatPattern(double value, bool keepTrailingZeros)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const QLocale locale;
    QString whole;
    QString fraction;
    splitTwoPlaces(value, &whole, &fraction);
    const bool zero = whole == QLatin1String("0") && fraction == QLatin1String("00");
    if (!keepTrailingZeros) {
        while (fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
    }
    QString out;
    if (value < 0 && !zero)
        out += locale.negativeSign();
    if (whole != QLatin1String("0"))
        out += groupDigits(whole, locale);
    out += locale.decimalPoint();
    out += fraction;
    return out;
}

// |value| (finite, not negative) in plain decimal with up to 15 significant
// digits and no trailing zeros; an exponent form only from 1E+15 up, where the
// digits no longer fit.
QString plainDecimal(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    const QString e = QString::number(value, 'e', 14); // d.dddddddddddddde[+-]XX
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    QString digits = e.left(ePos);
    digits.remove(QLatin1Char('.'));
    const int exponent = e.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    if (exponent >= 15)
        return QString::number(value, 'g', 15).toUpper();
    if (exponent < 0)
        return QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    const int wholeDigits = exponent + 1;
    if (digits.size() <= wholeDigits)
        return digits + QString(wholeDigits - digits.size(), QLatin1Char('0'));
    return digits.left(wholeDigits) + QLatin1Char('.') + digits.mid(wholeDigits);
}

} // namespace

double decimalReader(QStringView text)
{
    std::string number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        if (text[i] == QLatin1Char('-'))
            number += '-';
        ++i;
    }
    bool point = false;
    bool anyDigit = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isBlank(c))
            continue;
        if (isDigit(c)) {
            number += static_cast<char>(c.unicode());
            anyDigit = true;
        } else if (c == QLatin1Char('.') && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0.0;
    // from_chars is correctly rounded and ignores the C locale, which Qt sets
    // from the environment (a German LC_NUMERIC would make strtod stop at ".").
    const char* first = number.data();
    if (*first == '-')
        ++first;
    double magnitude = 0.0;
    const auto result = std::from_chars(first, number.data() + number.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        // A runaway digit string stays finite; one too small for a double is 0.
        const std::string_view digits(first, number.data() + number.size());
        const bool tooBig = digits.substr(0, digits.find('.')).find_first_not_of('0') != std::string_view::npos;
        magnitude = tooBig ? std::numeric_limits<double>::max() : 0.0;
    }
    return number[0] == '-' ? -magnitude : magnitude;
}

std::optional<double> plainNumber(QStringView text)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text[i] == QLatin1Char(' '))
        ++i;
    while (end > i && text[end - 1] == QLatin1Char(' '))
        --end;
    if (i < end && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    bool digit = false;
    bool point = false;
    for (qsizetype k = i; k < end; ++k) {
        if (isDigit(text[k]))
            digit = true;
        else if (text[k] == QLatin1Char('.') && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digit)
        return std::nullopt;
    return decimalReader(text);
}

QString typedDecimal(QStringView text)
{
    const QLocale locale;
    const QString decimalText = locale.decimalPoint();
    const QString groupText = locale.groupSeparator();
    const QChar decimal = decimalText.size() == 1 ? decimalText.front() : QLatin1Char('.');
    const QChar group = groupText.size() == 1 ? groupText.front() : QChar();
    const auto isMark = [&](QChar c) { return c == QLatin1Char('.') || c == decimal; };
    qsizetype last = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isMark(text[i]))
            last = i;
    }
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i == last || (i < last && c == text[last])) {
            out += QLatin1Char('.');
        } else if (i < last && isMark(c)) {
            continue; // the other mark, before the decimal point: a group
        } else if (c == group && !group.isNull() && (last < 0 || i < last)) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<double> localeReading(QStringView text)
{
    const QLocale locale;
    QString t = text.toString().trimmed();
    if (t.endsWith(locale.decimalPoint()))
        t.chop(locale.decimalPoint().size());
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = locale.toDouble(t, &ok);
    if (!ok) {
        // Group separators in any place, as the platform's own reading takes them.
        QString noGroups = t;
        noGroups.remove(locale.groupSeparator());
        if (noGroups.isEmpty())
            return std::nullopt;
        v = locale.toDouble(noGroups, &ok);
    }
    // "inf", "nan" and overflowing exponents are no numbers for the program.
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
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
    if (!std::isfinite(value))
        return QString::number(value);
    const QString digits = plainDecimal(std::fabs(value));
    // A value that shows as 0 gets the blank, also -0.
    const bool negative = value < 0 && digits != QLatin1String("0");
    return (negative ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
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
