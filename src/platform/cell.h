#pragma once

#include <variant>

#include <QString>

namespace quelm {

// A table element: a text, a number, or nothing (the empty value, which differs
// from the empty text).
using Cell = std::variant<std::monostate, QString, double>;

inline bool isEmptyValue(const Cell& c) { return std::holds_alternative<std::monostate>(c); }
inline bool isText(const Cell& c) { return std::holds_alternative<QString>(c); }
inline bool isNumber(const Cell& c) { return std::holds_alternative<double>(c); }

// The cell as text: the empty value gives "", a number its plain text.
QString cellText(const Cell& c);

} // namespace quelm
