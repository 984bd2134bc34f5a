#pragma once

// Helpers shared by both windows: comma-separated fields, and (form_pos.h)
// the window placement.

#include <QString>

namespace quelm {

// The n-th comma-separated field of line (1 = first; n of 1 or less gives the
// first). Fields are taken exactly as they stand, blanks and quotes included;
// a field past the last comma is the empty text.
QString PickField(const QString& Line, int N);

} // namespace quelm
