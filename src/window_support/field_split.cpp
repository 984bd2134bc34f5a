#include "window_support/field_split.h"

namespace quelm {

QString PickField(const QString& Line, int N)
{
    qsizetype start = 0;
    for (int skipped = 1; skipped < N; ++skipped) {
        const qsizetype comma = Line.indexOf(QLatin1Char(','), start);
        if (comma < 0)
            return {};
        start = comma + 1;
    }
    const qsizetype next = Line.indexOf(QLatin1Char(','), start);
    return next < 0 ? Line.mid(start) : Line.mid(start, next - start);
}

} // namespace quelm
