#pragma once

#include <optional>

#include <QString>
#include <QStringView>

#include "platform/cell.h"

namespace quelm::conv {

// The longest leading number of a text, "." as the decimal point; blanks are
// skipped; reading stops at the first character that cannot continue the number;
// no number gives 0. Never fails and never gives infinity (a digit string too long
// for a double gives the largest double). "14,074.5" gives 14, "7a" 7, "" 0,
// " -5" -5. No exponent: "1e3" gives 1.
double decimalReader(QStringView text);

// The whole text (blanks around it allowed) as a number in the user's format:
// group separators and a trailing decimal separator accepted. A text that is no
// number gives nullopt, the caller decides. The empty text is no number, nor are
// "inf", "nan" or a value too large for a double.
std::optional<double> localeReading(QStringView text);
// As above for a cell: the empty value reads as 0, a number as itself.
std::optional<double> localeReading(const Cell& cell);

// One blank before a non-negative number, "-" before a negative one, "." as the
// decimal point, no grouping, up to 15 significant digits, no trailing zeros:
// " 1200", " 14074.5", "-3", " 0", " 0.00001". Below 1E+15 no exponent is
// written, so decimalReader reads every such text back to its value.
QString numberText(double value);

// As numberText without the leading blank and with the user's decimal separator.
QString plainText(double value);

// "###,###.00": grouped by thousands, exactly two decimals, no digit before the
// decimal separator below 1 (0 gives ".00"), the user's separators, a leading
// minus for a negative value that does not show as zero. Rounds halves away
// from zero at the written digits (14074.005 shows "14,074.01").
QString formatFixed2(double value);

// "###,###.##": grouped, up to two decimals, trailing zeros dropped, the decimal
// separator kept after a whole number (14074 gives "14,074.").
QString formatUpTo2(double value);

// The whole text as a plain decimal number: blanks around, an optional sign,
// digits with at most one point ("145750", " 88.5", "-3", ".5"); nothing else
// (no grouping, no exponent, no comma). nullopt for any other text.
std::optional<double> plainNumber(QStringView text);

// A typed number rewritten with "." as its decimal point and its grouping taken
// out, so that it means the same under every desktop language: a point and the
// user's decimal separator both mark the decimals; where both appear, the last
// mark is the decimal point and the marks before it (and the user's group
// separator) only group. "14074.5", "14074,5" (comma locale), "14.074,5" (comma
// locale) and "14,074.5" all give "14074.5". A mark repeated as the last one
// stays a second point ("435.1.5", "435,1,5" in a comma locale), and a group
// separator after the decimal point stays, so the reader decides what such a text
// is. Blanks and every other character are left where they are.
QString typedDecimal(QStringView text);

// Nearest whole number, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
double roundHalfEven(double value);

// Rounds to `decimals` places, halves to even at that place.
double roundHalfEven(double value, int decimals);

} // namespace quelm::conv
