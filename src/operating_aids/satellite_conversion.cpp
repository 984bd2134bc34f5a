#include "operating_aids/satellite_conversion.h"

#include "platform/conversions.h"

namespace quelm::sat {

namespace {
enum Column { Sense = 0, SatLow = 1, SatHigh = 2, TrxAtHigh = 3, TrxAtLow = 4 };
}

double cellKHz(const Cell& cell)
{
    if (const double* number = std::get_if<double>(&cell))
        return *number;
    if (const QString* text = std::get_if<QString>(&cell))
        return conv::decimalReader(*text);
    return 0.0;
}

bool isNonInverting(const SatRowCells& row)
{
    const QString* sense = std::get_if<QString>(&row[Sense]);
    return sense && *sense == QLatin1String("N");
}

double displayConversion(const SatRowCells& row, double radioKHz)
{
    if (isNonInverting(row))
        return (cellKHz(row[SatLow]) + radioKHz) - cellKHz(row[TrxAtLow]);
    return cellKHz(row[SatHigh]) - (radioKHz - cellKHz(row[TrxAtHigh]));
}

double entryConversion(const SatRowCells& row, double satelliteKHz)
{
    if (isNonInverting(row))
        return (cellKHz(row[TrxAtHigh]) + satelliteKHz) - cellKHz(row[SatHigh]);
    return cellKHz(row[TrxAtLow]) - (satelliteKHz - cellKHz(row[SatLow]));
}

} // namespace quelm::sat
