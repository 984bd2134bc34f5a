#include "platform/serial_port.h"

#include <QStringList>

namespace quelm {

bool parseSerialSettings(const QString& text, SerialSettings* out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    SerialSettings s;
    bool ok = false;
    s.baud = parts[0].toInt(&ok);
    if (!ok || s.baud < 110 || s.baud > 4000000)
        return false;
    const QString parity = parts[1].toLower();
    if (parity.size() != 1 || !QStringLiteral("neoms").contains(parity[0]))
        return false;
    s.parity = parity[0];
    s.dataBits = parts[2].toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return false;
    s.stopBits = parts[3];
    if (s.stopBits != QLatin1String("1") && s.stopBits != QLatin1String("1.5") && s.stopBits != QLatin1String("2"))
        return false;
    if (out)
        *out = s;
    return true;
}

QString unavailableOnThisSystem(const SerialSettings& s)
{
#ifndef Q_OS_WIN
    if (s.stopBits == QLatin1String("1.5"))
        return QStringLiteral("1.5 stop bits are not available on this system.");
#else
    Q_UNUSED(s);
#endif
    return {};
}

} // namespace quelm
