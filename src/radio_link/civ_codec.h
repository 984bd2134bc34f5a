#pragma once

// The CI-V codec: the bytes of every frame the program sends, and the meaning of
// one frame the radio sends back. Pure functions: no port, no clock, no widget.
//
// Values that do not fit their field are clamped to the nearest value the field
// can carry (a frequency to 0 .. 9,999,999.999 kHz, a level to 0 .. 9999, a
// plain data byte to 0 .. F9, a channel to 0 .. 9999, a tone to 0 .. 99,999.9 Hz),
// so no frame ever carries a nibble above 9, a byte out of range, or one of the
// line's marks FA .. FF as a data byte (a text field has its FD made a blank).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include <QByteArray>
#include <QString>

namespace quelm::civ {

inline constexpr unsigned char kPreamble = 0xFE;
inline constexpr unsigned char kController = 0xE0;
inline constexpr unsigned char kEndOfFrame = 0xFD;
inline constexpr unsigned char kOk = 0xFB;
inline constexpr unsigned char kNotGood = 0xFA;

// The largest frequency the ten Hz digits hold.
inline constexpr double kMaxFrequencyKHz = 9999999.999;

// FE FE address E0, the body (command, sub-command, data), FD.
QByteArray frame(int radioAddress, const QByteArray& body);

// Tables: exact, case-sensitive texts. nullopt: the text is in no table, and the
// frame goes out without that byte.
std::optional<unsigned char> modeCode(const QString& text);
// "" for a code without a name (06 among them).
QString modeName(int code);
std::optional<unsigned char> vfoCode(const QString& text);
std::optional<unsigned char> stepCode(double hz);
std::optional<unsigned char> duplexCode(const QString& text);
std::optional<unsigned char> levelCode(const QString& text);
std::optional<unsigned char> functionCode(const QString& text);

// The frequency rounded to whole Hz (halves to even), clamped to what ten digits hold.
std::int64_t frequencyHz(double kHz);
// Five BCD bytes of Hz, least significant pair first.
QByteArray frequencyBytes(double kHz);
// Four digits, high pair first.
QByteArray levelBytes(int value);
QByteArray channelBytes(int channel);
// Six digits of tenths of Hz, high pair first.
QByteArray toneBytes(double hz);

// Whole frames.
QByteArray setFreqFrame(int radioAddress, double kHz);
QByteArray setModeFrame(int radioAddress, const QString& mode);
QByteArray setVfoFrame(int radioAddress, const QString& vfo);
QByteArray setStepFrame(int radioAddress, double stepHz);
QByteArray readFreqFrame(int radioAddress);
QByteArray readModeFrame(int radioAddress);
QByteArray setRxTxFrame(int radioAddress, bool transmit);
QByteArray setSplitFrame(int radioAddress, bool split);
QByteArray setDuplexFrame(int radioAddress, const QString& tipo);
QByteArray readSFrame(int radioAddress);
QByteArray levelFrame(int radioAddress, const QString& what, int value);
// nullopt: nothing is to be sent ("RIT", which this radio cannot switch over CI-V).
std::optional<QByteArray> onOffFrame(int radioAddress, const QString& what, bool value,
                                     std::optional<int> value2);
QByteArray readKeyerFrame(int radioAddress, int mem);
QByteArray setKeyerFrame(int radioAddress, int mem, const QByteArray& text);
QByteArray readChannelFrame(int radioAddress, int channel);

// The cells of one memory row that a channel write needs, by column 1..9
// (Description, RX, Mode, Subtone, TX, Mode, Subtone, DUP, Scan).
struct ChannelRow {
    std::array<QString, 10> text;
    std::array<double, 10> number{};
};
QByteArray setChannelFrame(int radioAddress, int channel, const ChannelRow& row);

// One cell write of a received channel, in the order they are to be made.
struct CellWrite {
    int column;
    std::variant<QString, double> value;
    bool operator==(const CellWrite&) const = default;
};
struct ReceivedChannel {
    int channel = 0;
    std::vector<CellWrite> cells;
};

struct Decoded {
    QString text;
    std::optional<ReceivedChannel> channel;
};

// The ReplyText of the frame held in `bytes` (positions from the first byte read;
// positions past the span read as 0) whose first FD is at `endPos` (-1: none).
// A BCD field that overflows 32 bits marks the frame malformed ("00:").
Decoded decodeFrame(std::span<const unsigned char> bytes, int endPos, int radioAddress);

// A BCD field read most significant byte first; nibbles above 9 count as they are.
// nullopt when the value leaves the signed 32-bit range.
std::optional<std::int32_t> bcdField(std::span<const unsigned char> bytes, std::span<const int> positions);

// Watches a stream of received bytes, fed one at a time, for the head of a frame
// sent by `radioAddress` (FE FE, any destination, that address): whether the
// radio has said anything at all. The echo of the program's own frames (source
// E0) does not count. Keeps three bytes of state, whatever the stream's length.
class SourceWatch {
public:
    explicit SourceWatch(int radioAddress) : address_(radioAddress) {}
    void feed(unsigned char b);
    bool heard() const { return heard_; }

private:
    int address_;
    int state_ = 0; // 0 nothing, 1 FE, 2 FE FE, 3 FE FE destination
    bool heard_ = false;
};

} // namespace quelm::civ
