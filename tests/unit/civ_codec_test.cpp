#include <cmath>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "radio_link/civ_codec.h"
#include "support/civ_frames.h"

using namespace quelm;
using namespace testframes;
using namespace quelm::civ;

namespace {

constexpr int kRadio = 0x56;



QString decodeText(const QByteArray& bytes)
{
    const int end = bytes.indexOf(static_cast<char>(kEndOfFrame));
    return decodeFrame(std::span(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                       end, kRadio)
        .text;
}

Decoded decodeWhole(const QByteArray& bytes)
{
    const int end = bytes.indexOf(static_cast<char>(kEndOfFrame));
    return decodeFrame(std::span(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                       end, kRadio);
}

// The radio's copy of a frame the program built: source and destination swapped.
QByteArray asAnswer(QByteArray frame)
{
    frame[2] = static_cast<char>(kController);
    frame[3] = static_cast<char>(kRadio);
    return frame;
}

struct FrameCase {
    const char* what;
    std::function<QByteArray()> build;
    const char* expected;
};

void expectFrames(const std::vector<FrameCase>& cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(shown(c.build()), shown(hex(c.expected))) << c.what;
}

} // namespace

TEST(CivFrequency, PacksTenDigitsOfHzLeastSignificantPairFirst)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double kHz;
        const char* bytes;
    } cases[] = {
        {14074, "00 40 07 14 00"},
        {50110.5, "00 05 11 50 00"},
        {0, "00 00 00 00 00"},
        {-5, "00 00 00 00 00"},
        {144300.123456, "23 01 30 44 01"},
        {435150.99999999994, "00 10 15 35 04"}, // the fraction carries into the kHz digits
        {9999999.999, "99 99 99 99 99"},
        // Halves of a Hz go to the even neighbour.
        {14074.0005, "00 40 07 14 00"},
        {14074.0015, "02 40 07 14 00"},
        // Beyond the ten digits: the largest frequency they hold.
        {9999999.9996, "99 99 99 99 99"},
        {10000000, "99 99 99 99 99"},
        {1e300, "99 99 99 99 99"},
        {inf, "99 99 99 99 99"},
        {-inf, "00 00 00 00 00"},
        {nan, "00 00 00 00 00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(frequencyBytes(c.kHz)), shown(hex(c.bytes))) << c.kHz;
}

TEST(CivFrames, CommandWriterFrames)
{
    expectFrames({
        {"freq 14074", [] { return setFreqFrame(kRadio, 14074); }, "FE FE 56 E0 05 00 40 07 14 00 FD"},
        {"mode USB", [] { return setModeFrame(kRadio, "USB"); }, "FE FE 56 E0 06 01 FD"},
        {"mode usb", [] { return setModeFrame(kRadio, "usb"); }, "FE FE 56 E0 06 FD"},
        {"mode empty", [] { return setModeFrame(kRadio, ""); }, "FE FE 56 E0 06 FD"},
        {"mode LSB", [] { return setModeFrame(kRadio, "LSB"); }, "FE FE 56 E0 06 00 FD"},
        {"mode AM", [] { return setModeFrame(kRadio, "AM"); }, "FE FE 56 E0 06 02 FD"},
        {"mode CW", [] { return setModeFrame(kRadio, "CW"); }, "FE FE 56 E0 06 03 FD"},
        {"mode RTTY", [] { return setModeFrame(kRadio, "RTTY"); }, "FE FE 56 E0 06 04 FD"},
        {"mode FM", [] { return setModeFrame(kRadio, "FM"); }, "FE FE 56 E0 06 05 FD"},
        {"mode CW-R", [] { return setModeFrame(kRadio, "CW-R"); }, "FE FE 56 E0 06 07 FD"},
        {"mode RTTY-R", [] { return setModeFrame(kRadio, "RTTY-R"); }, "FE FE 56 E0 06 08 FD"},
        {"vfo A", [] { return setVfoFrame(kRadio, "A"); }, "FE FE 56 E0 07 00 FD"},
        {"vfo B", [] { return setVfoFrame(kRadio, "B"); }, "FE FE 56 E0 07 01 FD"},
        {"vfo A=B", [] { return setVfoFrame(kRadio, "A=B"); }, "FE FE 56 E0 07 A0 FD"},
        {"vfo A<>B", [] { return setVfoFrame(kRadio, "A<>B"); }, "FE FE 56 E0 07 B0 FD"},
        {"vfo a", [] { return setVfoFrame(kRadio, "a"); }, "FE FE 56 E0 07 FD"},
        {"read freq", [] { return readFreqFrame(kRadio); }, "FE FE 56 E0 03 FD"},
        {"read mode", [] { return readModeFrame(kRadio); }, "FE FE 56 E0 04 FD"},
        {"other address", [] { return readFreqFrame(0x5C); }, "FE FE 5C E0 03 FD"},
    });
}

TEST(CivFrames, StepCodesSkipFourAndDropUnknownSteps)
{
    struct Case {
        double hz;
        const char* frame;
    } cases[] = {
        {10, "FE FE 56 E0 10 00 FD"},    {100, "FE FE 56 E0 10 01 FD"},   {1000, "FE FE 56 E0 10 02 FD"},
        {5000, "FE FE 56 E0 10 03 FD"},  {10000, "FE FE 56 E0 10 05 FD"}, {12500, "FE FE 56 E0 10 06 FD"},
        {20000, "FE FE 56 E0 10 07 FD"}, {25000, "FE FE 56 E0 10 08 FD"}, {9000, "FE FE 56 E0 10 FD"},
        {12500.5, "FE FE 56 E0 10 FD"},  {0, "FE FE 56 E0 10 FD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(setStepFrame(kRadio, c.hz)), shown(hex(c.frame))) << c.hz;
}

TEST(CivFrames, SwitchLevelAndTransmitFrames)
{
    expectFrames({
        {"tx", [] { return setRxTxFrame(kRadio, true); }, "FE FE 56 E0 1C 00 01 FD"},
        {"rx", [] { return setRxTxFrame(kRadio, false); }, "FE FE 56 E0 1C 00 00 FD"},
        {"split on", [] { return setSplitFrame(kRadio, true); }, "FE FE 56 E0 0F 01 FD"},
        {"split off", [] { return setSplitFrame(kRadio, false); }, "FE FE 56 E0 0F 00 FD"},
        {"dup off", [] { return setDuplexFrame(kRadio, "DUP OFF"); }, "FE FE 56 E0 0F 10 FD"},
        {"dup-", [] { return setDuplexFrame(kRadio, "DUP-"); }, "FE FE 56 E0 0F 11 FD"},
        {"dup+", [] { return setDuplexFrame(kRadio, "DUP+"); }, "FE FE 56 E0 0F 12 FD"},
        {"DUP", [] { return setDuplexFrame(kRadio, "DUP"); }, "FE FE 56 E0 0F FD"},
        {"read S", [] { return readSFrame(kRadio); }, "FE FE 56 E0 15 02 FD"},
        {"AF 0", [] { return levelFrame(kRadio, "cmAF", 0); }, "FE FE 56 E0 14 01 00 00 FD"},
        {"SQL 128", [] { return levelFrame(kRadio, "cmSQL", 128); }, "FE FE 56 E0 14 03 01 28 FD"},
        {"RF 255", [] { return levelFrame(kRadio, "cmRFGain", 255); }, "FE FE 56 E0 14 0A 02 55 FD"},
        {"NR 7", [] { return levelFrame(kRadio, "cmNRLevel", 7); }, "FE FE 56 E0 14 06 00 07 FD"},
        {"notch 99", [] { return levelFrame(kRadio, "cmNotchLevel", 99); }, "FE FE 56 E0 14 0D 00 99 FD"},
        {"mic 100", [] { return levelFrame(kRadio, "cmMicGain", 100); }, "FE FE 56 E0 14 0B 01 00 FD"},
        {"unknown level", [] { return levelFrame(kRadio, "cmRFSQL", 5); }, "FE FE 56 E0 14 00 05 FD"},
        // Levels that do not fit four digits are clamped; 256..9999 fit as they are.
        {"level -5", [] { return levelFrame(kRadio, "cmAF", -5); }, "FE FE 56 E0 14 01 00 00 FD"},
        {"level 300", [] { return levelFrame(kRadio, "cmAF", 300); }, "FE FE 56 E0 14 01 03 00 FD"},
        {"level 12345", [] { return levelFrame(kRadio, "cmAF", 12345); }, "FE FE 56 E0 14 01 99 99 FD"},
    });
}

TEST(CivFrames, FunctionSwitchFrames)
{
    struct Case {
        const char* what;
        bool value;
        std::optional<int> value2;
        const char* frame;
    } cases[] = {
        {"COMP", true, {}, "FE FE 56 E0 16 44 01 FD"},
        {"MONITOR", false, {}, "FE FE 56 E0 16 45 00 FD"},
        {"NR", true, {}, "FE FE 56 E0 16 40 01 FD"},
        {"NB", false, {}, "FE FE 56 E0 16 22 00 FD"},
        {"NOTCH", true, {}, "FE FE 56 E0 16 48 01 FD"},
        {"AGC", true, 2, "FE FE 56 E0 16 12 02 FD"},
        {"AGC", false, 1, "FE FE 56 E0 16 12 01 FD"}, // the explicit value wins
        {"AGC", true, 0, "FE FE 56 E0 16 12 00 FD"},
        {"nb", true, {}, "FE FE 56 E0 16 01 FD"},
        {"AGC", true, 300, "FE FE 56 E0 16 12 F9 FD"},
        // FD would end the frame after "16 12", which the radio reads as an AGC query.
        {"AGC", true, 253, "FE FE 56 E0 16 12 F9 FD"},
        {"AGC", true, -1, "FE FE 56 E0 16 12 00 FD"},
    };
    for (const auto& c : cases) {
        const auto f = onOffFrame(kRadio, c.what, c.value, c.value2);
        ASSERT_TRUE(f.has_value()) << c.what;
        EXPECT_EQ(shown(*f), shown(hex(c.frame))) << c.what << " " << c.value2.value_or(-99);
    }
}

TEST(CivFrames, RitHasNoFrame)
{
    EXPECT_FALSE(onOffFrame(kRadio, "RIT", true, std::nullopt).has_value());
    EXPECT_FALSE(onOffFrame(kRadio, "RIT", false, 1).has_value());
    EXPECT_TRUE(onOffFrame(kRadio, "rit", false, std::nullopt).has_value());
}

TEST(CivFrames, KeyerFrames)
{
    EXPECT_EQ(shown(readKeyerFrame(kRadio, 4)), shown(hex("FE FE 56 E0 1A 02 04 FD")));
    EXPECT_EQ(shown(readKeyerFrame(kRadio, 300)), shown(hex("FE FE 56 E0 1A 02 F9 FD")));
    EXPECT_EQ(shown(readKeyerFrame(kRadio, -2)), shown(hex("FE FE 56 E0 1A 02 00 FD")));

    const QByteArray text = QByteArray("CQ CQ DE IK0XYZ K").leftJustified(50, ' ');
    const QByteArray f = setKeyerFrame(kRadio, 3, text);
    ASSERT_EQ(f.size(), 58);
    EXPECT_EQ(shown(f.left(7)), shown(hex("FE FE 56 E0 1A 02 03")));
    EXPECT_EQ(f.mid(7, 50), text);
    EXPECT_EQ(static_cast<unsigned char>(f.back()), kEndOfFrame);
}

TEST(CivFrames, KeyerTextCannotEndTheFrameEarly)
{
    QByteArray text(50, 'E');
    text[10] = static_cast<char>(0xFD);
    const QByteArray f = setKeyerFrame(kRadio, 1, text);
    ASSERT_EQ(f.size(), 58);
    EXPECT_EQ(f.indexOf(static_cast<char>(kEndOfFrame)), 57);
    EXPECT_EQ(f[17], ' ');
}

TEST(CivFrames, ChannelReadRequest)
{
    struct Case {
        int channel;
        const char* frame;
    } cases[] = {
        {7, "FE FE 56 E0 1A 00 00 07 FD"},    {12, "FE FE 56 E0 1A 00 00 12 FD"},
        {99, "FE FE 56 E0 1A 00 00 99 FD"},   {1234, "FE FE 56 E0 1A 00 12 34 FD"},
        {-1, "FE FE 56 E0 1A 00 00 00 FD"},   {12345, "FE FE 56 E0 1A 00 99 99 FD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(readChannelFrame(kRadio, c.channel)), shown(hex(c.frame))) << c.channel;
}

TEST(CivTone, SixDigitsOfTenthsHighPairFirst)
{
    struct Case {
        double hz;
        const char* bytes;
    } cases[] = {
        {88.5, "00 08 85"},     {67, "00 06 70"},      {254.1, "00 25 41"},
        {88.55, "00 08 86"},    {88.45, "00 08 84"},   {99.96, "00 10 00"}, // carries into whole Hz
        {100000, "99 99 99"},   {-3, "00 00 00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(toneBytes(c.hz)), shown(hex(c.bytes))) << c.hz;
}

namespace {

ChannelRow row(std::initializer_list<std::pair<int, QString>> texts, std::initializer_list<std::pair<int, double>> numbers)
{
    ChannelRow r;
    for (const auto& [col, t] : texts)
        r.text[col] = t;
    for (const auto& [col, n] : numbers)
        r.number[col] = n;
    return r;
}

} // namespace

TEST(CivChannelWrite, EmptyRowLeavesOutTheRxModeByte)
{
    const QByteArray f = setChannelFrame(kRadio, 5, ChannelRow{});
    EXPECT_EQ(f.size(), 46);
    EXPECT_EQ(shown(f), shown(hex("FE FE 56 E0 1A 00 00 05 00 00 00 00 00 00 01 00 00 08 85 00 08 85"
                                  " 00 00 30 44 01 01 01 10 00 08 85 00 08 85 20 20 20 20 20 20 20 20 20 FD")));
}

TEST(CivChannelWrite, CompleteRow)
{
    const ChannelRow r = row({{1, "Rpt"}, {3, "FM"}, {5, "145600"}, {6, "FM"}, {8, "DUP-"}, {9, "Yes"}},
                             {{2, 145500}, {4, 88.5}, {5, 145600}});
    const QByteArray f = setChannelFrame(kRadio, 12, r);
    ASSERT_EQ(f.size(), 47);
    EXPECT_EQ(shown(f), shown(hex("FE FE 56 E0 1A 00 00 12 03 00 00 50 45 01 05 01 12 00 08 85 00 08 85"
                                  " 00 00 60 45 01 05 01 10 00 08 85 00 08 85 52 50 54 20 20 20 20 20 20 FD")));
}

TEST(CivChannelWrite, CellRules)
{
    struct Case {
        const char* what;
        ChannelRow row;
        int position;
        const char* bytes;
    };
    const Case cases[] = {
        {"name cut and upper-cased", row({{1, "longname123"}}, {}), 37, "4C 4F 4E 47 4E 41 4D 45 31"},
        {"Scan No", row({{9, "No"}}, {}), 8, "00"},
        {"Scan yes", row({{9, "yes"}}, {}), 8, "00"},
        {"TX text sets split", row({{5, "x"}}, {}), 8, "02"},
        {"TX 0 sent as 144300", row({{5, "x"}}, {}), 23, "00 00 30 44 01"},
        {"repeater tone flag", row({}, {{7, 123}}), 16, "01 00 12 30 00 08 85"},
        {"DUP+", row({{8, "DUP+"}}, {}), 16, "20"},
        {"dup- not matched", row({{8, "dup-"}}, {}), 16, "00"},
        {"TX mode empty is USB", row({{3, "LSB"}}, {}), 28, "01"},
        {"TX mode CW-R", row({{3, "LSB"}, {6, "CW-R"}}, {}), 28, "07"},
        {"huge RX clamped", row({{3, "FM"}}, {{2, 2e7}}), 9, "99 99 99 99 99 05"},
        {"negative RX clamped", row({{3, "FM"}}, {{2, -145}}), 9, "00 00 00 00 00 05"},
        {"huge tone clamped", row({{3, "FM"}}, {{4, 123456}}), 20, "99 99 99"},
        {"negative tone", row({{3, "FM"}}, {{4, -8}}), 16, "02 00 08 85 00 00 00"},
    };
    for (const auto& c : cases) {
        // An RX mode keeps every field at its position in the full 47-byte frame.
        ChannelRow r = c.row;
        if (r.text[3].isEmpty())
            r.text[3] = "FM";
        const QByteArray expected = hex(c.bytes);
        EXPECT_EQ(shown(setChannelFrame(kRadio, 1, r).mid(c.position, expected.size())), shown(expected)) << c.what;
    }
    // A TX mode that is no name leaves its byte out as well.
    EXPECT_EQ(setChannelFrame(kRadio, 1, row({{3, "FM"}, {6, "fm"}}, {})).size(), 46);
}

TEST(CivDecode, ReplyTexts)
{
    const QByteArray keyerText = QByteArray("CQ TEST").leftJustified(50, ' ');
    struct Case {
        QByteArray frame;
        QString text;
    };
    const Case cases[] = {
        {hex("FE FE E0 56 03 00 00 05 07 00 FD"), "10:  7050000"},
        {hex("FE FE 00 56 00 00 00 05 07 00 FD"), "10:  7050000"}, // transceive report to 00
        {hex("FE FE 00 56 00 00 00 05 07 FD"), ""},                 // command 00 with FD at 9
        {hex("FE FE 00 56 01 01 02 FD"), "20: USB"},
        {hex("FE FE E0 56 04 08 FD"), "20: RTTY-R"},
        {hex("FE FE E0 56 04 06 FD"), "20: "},
        {hex("FE FE 00 56 01 06 01 FD"), "20: "},
        {hex("FE FE E0 56 15 02 01 20 FD"), "40:  120"},
        {hex("FE FE E0 56 15 02 02 55 FD"), "40:  255"},
        {hex("FE FE E0 56 15 01 02 55 FD"), ""},
        {hex("FE FE E0 56 0C 00 50 02 FD"), "60:  25000"},
        {hex("FE FE E0 56 02 00 00 00 18 00 00 FD"), "11:  18000000  163"},
        {hex("FE FE E0 56 02 00 00 00 18 00 00 00 00 00 30 00 FD"), "00:"}, // the radio's band edges
        {hex("FE FE 56 E0 03 FD"), "99:"},
        {hex("FE FE E0 56 FB FD"), "01:"},
        {hex("FE FE E0 56 FA FD"), "02:"},
        {hex("FE FE E0 56 05 11 22 FB FD"), "01:"}, // OK wherever the command is
        {hex("FE FE E0 56 03 00 FA FD"), "02:"},
        {hex("FE FE E0 E0 FB FD"), "99:"}, // the address is checked before OK
        {hex("FE FE E0 56 1A 02 01") + keyerText + hex("FD"), "85:" + QString::fromLatin1(keyerText)},
        {hex("FE FE E0 56 1A 02 01 41 42 FD"), "85:AB"},
        {hex("FE FE E0 56 1A 02 FD"), "85:"},
        {hex("FE FE E0 56 1A 00 00 07 FD"), ""}, // a channel of another length
        {hex("FE FE E0 56 1A 00 00 07 FF FD"), ""}, // the radio's answer for an empty channel
        {hex("FE FE E0 56 07 00 FD"), ""},
        // BCD nibbles above 9 count as they are.
        {hex("FE FE E0 56 15 02 0A 0F FD"), "40:  1015"},
        {hex("FE FE E0 56 03 47 36 48 47 21 FD"), "10:  2147483647"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeText(c.frame), c.text) << shown(c.frame);
}

TEST(CivDecode, AnEmptyChannelWritesNoCell)
{
    const Decoded d = decodeWhole(hex("FE FE E0 56 1A 00 00 07 FF FD"));
    EXPECT_EQ(d.text, "");
    EXPECT_FALSE(d.channel.has_value());
}

TEST(CivDecode, EndPositionIsCheckedFirst)
{
    // The same well-formed S-meter answer, stretched or cut so its FD lands
    // at each position: only 5..11, 46 and 57 get past the first check.
    for (int end = 0; end <= 60; ++end) {
        QByteArray f = hex("FE FE E0 56 15 02 01 20");
        f = f.left(std::min<int>(end, f.size()));
        while (f.size() < end)
            f.append('\0');
        f.append(static_cast<char>(kEndOfFrame));
        const bool accepted = (end >= 5 && end <= 11) || end == 46 || end == 57;
        EXPECT_EQ(decodeText(f) != "00:", accepted) << "FD at " << end;
    }
    // A foreign source or a bad preamble does not matter when the end is wrong.
    EXPECT_EQ(decodeText(hex("FE FE 56 E0 03 00 00 00 00 00 00 00 FD")), "00:");
    EXPECT_EQ(decodeText(hex("FE FE E0 56 FB") + QByteArray(11, '\0') + hex("FD")), "00:");
    EXPECT_EQ(decodeText(QByteArray(45, '\x11') + hex("FD")), "00:");
}

TEST(CivDecode, PreambleIsCheckedBeforeAddress)
{
    EXPECT_EQ(decodeText(hex("00 FE E0 56 03 00 00 05 07 00 FD")), "00:");
    EXPECT_EQ(decodeText(hex("FE 00 56 E0 03 FD")), "00:");
    EXPECT_EQ(decodeText(hex("FE FE E0 E0 03 00 00 05 07 00 FD")), "99:");
    EXPECT_EQ(decodeFrame({}, -1, kRadio).text, "00:");
}

TEST(CivDecode, ShortFramesReadZerosPastTheirEnd)
{
    // FD at 5 of a frequency answer: the FD itself is the least significant
    // byte of the field and the unreceived positions count as 0.
    EXPECT_EQ(decodeText(hex("FE FE E0 56 03 FD")), "10:  163");
    EXPECT_EQ(decodeText(hex("FE FE E0 56 15 02 FD")), "40:  16300");
}

TEST(CivDecode, OverflowingBcdIsMalformedNotAWrapAround)
{
    EXPECT_EQ(decodeText(hex("FE FE E0 56 03 48 36 48 47 21 FD")), "00:"); // 2147483648
    EXPECT_EQ(decodeText(hex("FE FE E0 56 03 FF FF FF FF FF FD")), "00:");
    EXPECT_EQ(decodeText(hex("FE FE 00 56 00 00 00 00 00 99 FD")), "00:"); // 9,900,000,000 Hz
    EXPECT_EQ(decodeText(hex("FE FE E0 56 02 00 00 00 00 FF 00 FD")), "00:");

    const unsigned char big[] = {0x21, 0x47, 0x48, 0x36, 0x47};
    const int positions[] = {0, 1, 2, 3, 4};
    EXPECT_EQ(bcdField(big, positions), 2147483647);
    const unsigned char over[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(bcdField(over, positions), std::nullopt);
}

TEST(CivChannelRead, RoundTripOfAWrittenRow)
{
    const ChannelRow r = row({{1, "Rpt"}, {3, "FM"}, {5, "145600"}, {6, "CW-R"}, {8, "DUP+"}, {9, "Yes"}},
                             {{2, 145500.125}, {4, 88.5}, {5, 145600}, {7, 123}});
    const Decoded d = decodeWhole(asAnswer(setChannelFrame(kRadio, 12, r)));
    ASSERT_EQ(d.text, "70: ");
    ASSERT_TRUE(d.channel.has_value());
    EXPECT_EQ(d.channel->channel, 12);
    const std::vector<CellWrite> expected = {
        {9, QString("Yes")}, {2, 145500.125}, {3, QString("FM")}, {8, QString("DUP+")}, {7, 123.0},
        {4, 88.5},           {5, 145600.0},   {6, QString("CW-R")}, {1, QString("RPT      ")},
    };
    EXPECT_EQ(d.channel->cells, expected);
}

TEST(CivChannelRead, FlagsDecideTheCells)
{
    // A row without split, tones or scan: those cells come back empty.
    QByteArray f = asAnswer(setChannelFrame(kRadio, 3, row({{1, "a"}, {3, "USB"}}, {{2, 7050}})));
    Decoded d = decodeWhole(f);
    ASSERT_TRUE(d.channel.has_value());
    const std::vector<CellWrite> plain = {
        {9, QString("No")}, {2, 7050.0}, {3, QString("USB")}, {8, QString("")}, {7, QString("")},
        {4, QString("")},   {5, QString("")}, {6, QString("")}, {1, QString("A        ")},
    };
    EXPECT_EQ(d.channel->cells, plain);

    // Both duplex flags: DUP- wins. Mode codes without a name leave their cells out.
    f[16] = 0x30;
    f[14] = 0x06;
    f[8] = 0x02;
    f[28] = 0x09;
    d = decodeWhole(f);
    ASSERT_TRUE(d.channel.has_value());
    const std::vector<CellWrite> odd = {
        {9, QString("No")}, {2, 7050.0}, {8, QString("DUP-")}, {7, QString("")},
        {4, QString("")},   {5, 144300.0}, {1, QString("A        ")},
    };
    EXPECT_EQ(d.channel->cells, odd);
}

TEST(CivChannelRead, OverflowingFrequencyWritesNothing)
{
    QByteArray f = asAnswer(setChannelFrame(kRadio, 3, row({{3, "USB"}}, {{2, 7050}})));
    f[13] = static_cast<char>(0xFF);
    const Decoded d = decodeWhole(f);
    EXPECT_EQ(d.text, "00:");
    EXPECT_FALSE(d.channel.has_value());
}
