#include "radio_link/civ_codec.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

#include "platform/conversions.h"

namespace quelm::civ {

namespace {

template <typename Key>
struct Entry {
    Key key;
    unsigned char code;
};

template <typename Key, std::size_t N>
std::optional<unsigned char> lookUp(const Entry<Key>(&table)[N], const Key& key)
{
    for (const auto& e : table) {
        if (e.key == key)
            return e.code;
    }
    return std::nullopt;
}

struct TextEntry {
    const char* text;
    unsigned char code;
};

template <std::size_t N>
std::optional<unsigned char> lookUpText(const TextEntry (&table)[N], const QString& text)
{
    for (const auto& e : table) {
        if (text == QLatin1String(e.text))
            return e.code;
    }
    return std::nullopt;
}

constexpr TextEntry kModes[] = {{"LSB", 0x00}, {"USB", 0x01}, {"AM", 0x02},   {"CW", 0x03},
                                {"RTTY", 0x04}, {"FM", 0x05}, {"CW-R", 0x07}, {"RTTY-R", 0x08}};
constexpr TextEntry kVfos[] = {{"A", 0x00}, {"B", 0x01}, {"A=B", 0xA0}, {"A<>B", 0xB0}};
constexpr TextEntry kDuplex[] = {{"DUP OFF", 0x10}, {"DUP-", 0x11}, {"DUP+", 0x12}};
constexpr TextEntry kLevels[] = {{"cmAF", 0x01},        {"cmSQL", 0x03},     {"cmNRLevel", 0x06},
                                 {"cmNotchLevel", 0x0D}, {"cmMicGain", 0x0B}, {"cmRFGain", 0x0A}};
constexpr TextEntry kFunctions[] = {{"COMP", 0x44}, {"MONITOR", 0x45}, {"NR", 0x40},
                                    {"NB", 0x22},   {"AGC", 0x12},     {"NOTCH", 0x48}};
constexpr Entry<double> kSteps[] = {{10, 0x00},    {100, 0x01},   {1000, 0x02},  {5000, 0x03},
                                    {10000, 0x05}, {12500, 0x06}, {20000, 0x07}, {25000, 0x08}};

constexpr std::int64_t kMaxHz = 9999999999;

// A plain data byte. FA to FF are the line's own marks (NG, OK, collision, end,
// preamble): one of them inside a frame would cut it short or start another, so
// the largest data byte is F9.
char byteOf(int value)
{
    return static_cast<char>(static_cast<unsigned char>(std::clamp(value, 0, 0xF9)));
}

char bcdPair(int pair)
{
    return static_cast<char>(((pair / 10) << 4) | (pair % 10));
}

// The whole number nearest to value, halves to even, read by its written digits;
// NaN and values below `low` give `low`, values above `high` give `high`.
std::int64_t roundedWithin(double value, std::int64_t low, std::int64_t high)
{
    if (std::isnan(value))
        return low;
    if (value >= static_cast<double>(high))
        return high;
    if (value <= static_cast<double>(low))
        return low;
    const auto whole = static_cast<std::int64_t>(conv::roundHalfEven(value, 0));
    return std::clamp(whole, low, high);
}

void append(QByteArray& body, std::optional<unsigned char> code)
{
    if (code)
        body.append(static_cast<char>(*code));
}

QByteArray body(std::initializer_list<int> bytes)
{
    QByteArray b;
    for (int v : bytes)
        b.append(byteOf(v));
    return b;
}

// A text field of a frame: an FD inside it would end the frame at the radio.
QByteArray frameSafe(QByteArray text)
{
    text.replace(static_cast<char>(kEndOfFrame), ' ');
    return text;
}

} // namespace

QByteArray frame(int radioAddress, const QByteArray& bodyBytes)
{
    QByteArray f;
    f.reserve(bodyBytes.size() + 5);
    f.append(static_cast<char>(kPreamble));
    f.append(static_cast<char>(kPreamble));
    f.append(static_cast<char>(static_cast<unsigned char>(std::clamp(radioAddress, 0, 255))));
    f.append(static_cast<char>(kController));
    f.append(bodyBytes);
    f.append(static_cast<char>(kEndOfFrame));
    return f;
}

std::optional<unsigned char> modeCode(const QString& text) { return lookUpText(kModes, text); }
std::optional<unsigned char> vfoCode(const QString& text) { return lookUpText(kVfos, text); }
std::optional<unsigned char> duplexCode(const QString& text) { return lookUpText(kDuplex, text); }
std::optional<unsigned char> levelCode(const QString& text) { return lookUpText(kLevels, text); }
std::optional<unsigned char> functionCode(const QString& text) { return lookUpText(kFunctions, text); }
std::optional<unsigned char> stepCode(double hz) { return lookUp(kSteps, hz); }

QString modeName(int code)
{
    for (const auto& e : kModes) {
        if (e.code == code)
            return QLatin1String(e.text);
    }
    return {};
}

std::int64_t frequencyHz(double kHz)
{
    // Rounding the whole value to thousandths is the same as rounding the
    // fraction and carrying a 1.000 into the kHz digits.
    if (std::isnan(kHz) || kHz <= 0)
        return 0;
    if (kHz >= 1e7)
        return kMaxHz;
    return roundedWithin(kHz * 1000.0, 0, kMaxHz);
}

QByteArray frequencyBytes(double kHz)
{
    std::int64_t hz = frequencyHz(kHz);
    QByteArray b;
    for (int i = 0; i < 5; ++i) {
        b.append(bcdPair(static_cast<int>(hz % 100)));
        hz /= 100;
    }
    return b;
}

QByteArray levelBytes(int value)
{
    const int v = std::clamp(value, 0, 9999);
    QByteArray b;
    b.append(bcdPair(v / 100));
    b.append(bcdPair(v % 100));
    return b;
}

QByteArray channelBytes(int channel)
{
    return levelBytes(channel);
}

QByteArray toneBytes(double hz)
{
    const auto tenths = static_cast<int>(roundedWithin(hz * 10.0, 0, 999999));
    QByteArray b;
    b.append(bcdPair(tenths / 10000));
    b.append(bcdPair(tenths / 100 % 100));
    b.append(bcdPair(tenths % 100));
    return b;
}

QByteArray setFreqFrame(int radioAddress, double kHz)
{
    return frame(radioAddress, body({0x05}) + frequencyBytes(kHz));
}

QByteArray setModeFrame(int radioAddress, const QString& mode)
{
    QByteArray b = body({0x06});
    append(b, modeCode(mode));
    return frame(radioAddress, b);
}

QByteArray setVfoFrame(int radioAddress, const QString& vfo)
{
    QByteArray b = body({0x07});
    append(b, vfoCode(vfo));
    return frame(radioAddress, b);
}

QByteArray setStepFrame(int radioAddress, double stepHz)
{
    QByteArray b = body({0x10});
    append(b, stepCode(stepHz));
    return frame(radioAddress, b);
}

QByteArray readFreqFrame(int radioAddress) { return frame(radioAddress, body({0x03})); }
QByteArray readModeFrame(int radioAddress) { return frame(radioAddress, body({0x04})); }
QByteArray readSFrame(int radioAddress) { return frame(radioAddress, body({0x15, 0x02})); }

QByteArray setRxTxFrame(int radioAddress, bool transmit)
{
    return frame(radioAddress, body({0x1C, 0x00, transmit ? 0x01 : 0x00}));
}

QByteArray setSplitFrame(int radioAddress, bool split)
{
    return frame(radioAddress, body({0x0F, split ? 0x01 : 0x00}));
}

QByteArray setDuplexFrame(int radioAddress, const QString& tipo)
{
    QByteArray b = body({0x0F});
    append(b, duplexCode(tipo));
    return frame(radioAddress, b);
}

QByteArray levelFrame(int radioAddress, const QString& what, int value)
{
    QByteArray b = body({0x14});
    append(b, levelCode(what));
    return frame(radioAddress, b + levelBytes(value));
}

std::optional<QByteArray> onOffFrame(int radioAddress, const QString& what, bool value,
                                     std::optional<int> value2)
{
    // The radio has no CI-V switch for RIT in this command set; a frame without
    // its sub-command would be read by the radio as some other command.
    if (what == QLatin1String("RIT"))
        return std::nullopt;
    QByteArray b = body({0x16});
    append(b, functionCode(what));
    b.append(byteOf(value2 ? *value2 : (value ? 1 : 0)));
    return frame(radioAddress, b);
}

QByteArray readKeyerFrame(int radioAddress, int mem)
{
    return frame(radioAddress, body({0x1A, 0x02, mem}));
}

QByteArray setKeyerFrame(int radioAddress, int mem, const QByteArray& text)
{
    return frame(radioAddress, body({0x1A, 0x02, mem}) + frameSafe(text));
}

QByteArray readChannelFrame(int radioAddress, int channel)
{
    return frame(radioAddress, body({0x1A, 0x00}) + channelBytes(channel));
}

QByteArray setChannelFrame(int radioAddress, int channel, const ChannelRow& row)
{
    const auto isText = [&](int col, const char* t) { return row.text[col] == QLatin1String(t); };
    const auto orDefault = [&](int col, double fallback) {
        return row.number[col] == 0 ? fallback : row.number[col];
    };
    QByteArray b = body({0x1A, 0x00}) + channelBytes(channel);
    b.append(byteOf((isText(9, "Yes") ? 0x01 : 0) | (row.text[5].isEmpty() ? 0 : 0x02)));
    b += frequencyBytes(row.number[2]);
    append(b, modeCode(row.text[3]));
    b.append(byteOf(0x01));
    int toneFlags = 0;
    if (row.number[4] != 0)
        toneFlags |= 0x02;
    if (row.number[7] != 0)
        toneFlags |= 0x01;
    if (isText(8, "DUP-"))
        toneFlags |= 0x10;
    else if (isText(8, "DUP+"))
        toneFlags |= 0x20;
    b.append(byteOf(toneFlags));
    b += toneBytes(orDefault(7, 88.5));
    b += toneBytes(orDefault(4, 88.5));
    b += frequencyBytes(orDefault(5, 144300));
    if (row.text[6].isEmpty())
        b.append(byteOf(0x01));
    else
        append(b, modeCode(row.text[6]));
    b += body({0x01, 0x10}) + toneBytes(88.5) + toneBytes(88.5);
    const QString name = (row.text[1].toUpper() + QString(9, QLatin1Char(' '))).left(9);
    b += frameSafe(name.toLatin1());
    return frame(radioAddress, b);
}

std::optional<std::int32_t> bcdField(std::span<const unsigned char> bytes, std::span<const int> positions)
{
    std::int64_t value = 0;
    for (int p : positions) {
        const int byte = p >= 0 && static_cast<std::size_t>(p) < bytes.size() ? bytes[p] : 0;
        value = value * 100 + 10 * (byte >> 4) + (byte & 0x0F);
        if (value > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

namespace {

class FrameView {
public:
    FrameView(std::span<const unsigned char> bytes, int endPos) : bytes_(bytes), end_(endPos) {}
    int at(int p) const { return p >= 0 && static_cast<std::size_t>(p) < bytes_.size() ? bytes_[p] : 0; }
    int end() const { return end_; }
    // nullopt on overflow.
    std::optional<std::int32_t> bcd(std::initializer_list<int> mostSignificantFirst) const
    {
        return bcdField(bytes_, std::span<const int>(mostSignificantFirst.begin(), mostSignificantFirst.size()));
    }
    QString characters(int from, int to) const
    {
        QByteArray bytes;
        for (int p = from; p <= to; ++p)
            bytes.append(static_cast<char>(at(p)));
        return QString::fromLatin1(bytes);
    }

private:
    std::span<const unsigned char> bytes_;
    int end_;
};

const QString kMalformed = QStringLiteral("00:");

bool acceptedEnd(int end)
{
    return (end >= 5 && end <= 11) || end == 46 || end == 57;
}

std::optional<ReceivedChannel> channelCells(const FrameView& f)
{
    const auto channel = f.bcd({6, 7});
    const auto rx = f.bcd({13, 12, 11, 10, 9});
    const auto tx = f.bcd({27, 26, 25, 24, 23});
    const auto repeater = f.bcd({17, 18, 19});
    const auto squelch = f.bcd({20, 21, 22});
    if (!channel || !rx || !tx || !repeater || !squelch)
        return std::nullopt;
    ReceivedChannel c;
    c.channel = *channel;
    auto& cells = c.cells;
    const int flags = f.at(8);
    const int toneFlags = f.at(16);
    const QString none;
    cells.push_back({9, (flags & 0x01) ? QStringLiteral("Yes") : QStringLiteral("No")});
    cells.push_back({2, *rx / 1000.0});
    if (const QString m = modeName(f.at(14)); !m.isEmpty())
        cells.push_back({3, m});
    cells.push_back({8, (toneFlags & 0x10) ? QStringLiteral("DUP-")
                         : (toneFlags & 0x20) ? QStringLiteral("DUP+") : none});
    if (toneFlags & 0x01)
        cells.push_back({7, *repeater / 10.0});
    else
        cells.push_back({7, none});
    if (toneFlags & 0x02)
        cells.push_back({4, *squelch / 10.0});
    else
        cells.push_back({4, none});
    if (flags & 0x02) {
        cells.push_back({5, *tx / 1000.0});
        if (const QString m = modeName(f.at(28)); !m.isEmpty())
            cells.push_back({6, m});
    } else {
        cells.push_back({5, none});
        cells.push_back({6, none});
    }
    cells.push_back({1, f.characters(37, 45)});
    return c;
}

QString numberReply(const char* code, std::optional<std::int32_t> value)
{
    if (!value)
        return kMalformed;
    return QLatin1String(code) + QLatin1String(": ") + conv::numberText(*value);
}

Decoded dispatch(const FrameView& f)
{
    const int command = f.at(4);
    const int sub = f.at(5);
    if (command == 0x1A && sub == 0x02)
        return {QStringLiteral("85:") + f.characters(7, f.end() - 1), std::nullopt};
    if (command == 0x1A && sub == 0x00 && f.end() == 46) {
        auto channel = channelCells(f);
        if (!channel)
            return {kMalformed, std::nullopt};
        return {QStringLiteral("70: "), std::move(channel)};
    }
    if (command == 0x02) {
        const auto lower = f.bcd({9, 8, 7, 6, 5});
        const auto upper = f.bcd({15, 14, 13, 12, 11});
        if (!lower || !upper)
            return {kMalformed, std::nullopt};
        return {QStringLiteral("11: ") + conv::numberText(*lower) + QLatin1Char(' ') + conv::numberText(*upper),
                std::nullopt};
    }
    if ((command == 0x00 && f.end() == 10) || command == 0x03)
        return {numberReply("10", f.bcd({9, 8, 7, 6, 5})), std::nullopt};
    if (command == 0x04 || command == 0x01)
        return {QStringLiteral("20: ") + modeName(f.at(5)), std::nullopt};
    if (command == 0x0C)
        return {numberReply("60", f.bcd({7, 6, 5})), std::nullopt};
    if (command == 0x15 && sub == 0x02)
        return {numberReply("40", f.bcd({6, 7})), std::nullopt};
    return {};
}

} // namespace

Decoded decodeFrame(std::span<const unsigned char> bytes, int endPos, int radioAddress)
{
    const FrameView f(bytes, endPos);
    if (!acceptedEnd(endPos))
        return {kMalformed, std::nullopt};
    if (f.at(0) != kPreamble || f.at(1) != kPreamble)
        return {kMalformed, std::nullopt};
    if (f.at(3) != radioAddress)
        return {QStringLiteral("99:"), std::nullopt};
    if (f.at(endPos - 1) == kOk)
        return {QStringLiteral("01:"), std::nullopt};
    if (f.at(endPos - 1) == kNotGood)
        return {QStringLiteral("02:"), std::nullopt};
    return dispatch(f);
}

void SourceWatch::feed(unsigned char b)
{
    switch (state_) {
    case 0:
        state_ = b == kPreamble ? 1 : 0;
        break;
    case 1:
        state_ = b == kPreamble ? 2 : 0;
        break;
    case 2: // a run of more than two FE is still the preamble
        state_ = b == kPreamble ? 2 : 3;
        break;
    default:
        if (b == address_)
            heard_ = true;
        state_ = b == kPreamble ? 1 : 0;
        break;
    }
}

} // namespace quelm::civ
