#include "operating_aids/satellite_conversion.h"

#include "operating_aids/satellite_table.h"
#include "platform/conversions.h"

namespace quelm::sat {

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
    const QString* sense = std::get_if<QString>(&row[SatSense]);
    return sense && *sense == QLatin1String("N");
}

double displayConversion(const SatRowCells& row, double radioKHz)
{
    if (isNonInverting(row))
        return (cellKHz(row[SatQrgLow]) + radioKHz) - cellKHz(row[TrxQrgAtLow]);
    return cellKHz(row[SatQrgHigh]) - (radioKHz - cellKHz(row[TrxQrgAtHigh]));
}

double entryConversion(const SatRowCells& row, double satelliteKHz)
{
    if (isNonInverting(row))
        return (cellKHz(row[TrxQrgAtHigh]) + satelliteKHz) - cellKHz(row[SatQrgHigh]);
    return cellKHz(row[TrxQrgAtLow]) - (satelliteKHz - cellKHz(row[SatQrgLow]));
}

std::optional<double> typedKHz(QStringView typed)
{
    return conv::plainNumber(conv::typedDecimal(typed));
}

std::optional<double> entryFrequency(const SatRowCells& row, QStringView typed)
{
    const std::optional<double> satelliteKHz = typedKHz(typed);
    if (!satelliteKHz)
        return std::nullopt;
    return entryConversion(row, *satelliteKHz);
}

bool entryKeyPasses(int code)
{
    return code <= '.' || (code >= '0' && code <= '9');
}

} // namespace quelm::sat
