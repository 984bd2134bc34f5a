#include "operating_aids/keyer_text.h"

#include <algorithm>

#include <QChar>

#include "platform/conversions.h"

namespace quelm::keyer {

QByteArray memoryText(const QString& boxText)
{
    return boxText.leftJustified(kTextLength, QLatin1Char(' '), true).toLatin1();
}

int upperCaseKey(int code)
{
    if (code < 0)
        return code;
    // The memory goes to the radio one byte a character: what has no byte of its
    // own would reach it as "?", so it is not taken at all.
    if (code > 0xFF)
        return 0;
    const char16_t upper = QChar(static_cast<char16_t>(code)).toUpper().unicode();
    return upper <= 0xFF ? upper : code;
}

int channelOf(const QString& caption)
{
    const double value = conv::roundHalfEven(conv::decimalReader(caption));
    return static_cast<int>(std::clamp<double>(value, kFirstChannel, kLastChannel));
}

QString channelCaption(int channel)
{
    return QStringLiteral("%1").arg(channel, 2, 10, QLatin1Char('0'));
}

} // namespace quelm::keyer
