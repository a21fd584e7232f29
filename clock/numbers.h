#pragma once

#include <QString>

#include <optional>

namespace gameclock {

// The numeric value of a text: its longest leading number, 0 when it has none. Blanks, tabs and
// line feeds are ignored wherever they stand; the point is always the decimal separator; E or D
// starts an exponent; &H and &O start a hexadecimal or octal whole number.
double numericValue(const QString &text);

// A read-out's number: the whole caption must be a number, or there is none.
std::optional<double> strictNumber(const QString &text);

// Plain decimal digits for whole numbers ("0", "7", "60"); other values keep their fraction,
// with a point.
QString numberToText(double value);

} // namespace gameclock
