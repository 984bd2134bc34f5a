// The simulated radio as a CI-V client sees it: echoes, answers and their
// layouts, state kept between frames.

#include <gtest/gtest.h>

#include "pty_client.h"

namespace quelm::sim::testing {
namespace {

const std::string kOk = "FE FE E0 56 FB FD";
const std::string kNg = "FE FE E0 56 FA FD";

using ProtocolTest = SimulatorTest;

TEST_F(ProtocolTest, EchoesEachFrameByteForByteBeforeItsAnswer)
{
    client->send("FE FE 56 E0 03 FD FE FE 56 E0 04 FD");
    const auto frames = client->readFrames(4);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], hex("FE FE 56 E0 03 FD"));
    EXPECT_EQ(frames[1], hex("FE FE E0 56 03 00 40 07 14 00 FD"));  // FD at position 10
    EXPECT_EQ(frames[2], hex("FE FE 56 E0 04 FD"));
    EXPECT_EQ(frames[3], hex("FE FE E0 56 04 01 01 FD"));           // mode, then the filter byte
}

TEST_F(ProtocolTest, HearsButDoesNotAnswerFramesForAnotherRadio)
{
    client->send("FE FE 58 E0 03 FD");
    EXPECT_EQ(client->readFor(60ms), hex("FE FE 58 E0 03 FD"));
}

TEST_F(ProtocolTest, AnswersTheAddressThatAsked)
{
    EXPECT_EQ(client->ask("FE FE 56 E1 04 FD"), hex("FE FE E1 56 04 01 01 FD"));
}

TEST_F(ProtocolTest, IgnoresBytesThatFormNoFrame)
{
    // Noise, a lone preamble, and a frame cut off by a new one (a collision):
    // only the last, whole frame is heard and answered.
    client->send("00 11 FD FE 22 FE FE 56 E0 05 00 FE FE 56 E0 04 FD");
    const auto frames = client->readFrames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], hex("FE FE 56 E0 04 FD"));
    EXPECT_EQ(frames[1], hex("FE FE E0 56 04 01 01 FD"));
    EXPECT_TRUE(client->readFor(40ms).empty());
}

TEST_F(ProtocolTest, FrequencySetThenQueried)
{
    struct Case {
        const char* set;
        const char* answer;
    };
    // The edges of both ranges and a frequency with every digit in use.
    const Case cases[] = {
        {"00 00 03 00 00", "00 00 03 00 00"},  // 30 kHz
        {"00 00 00 60 00", "00 00 00 60 00"},  // 60 MHz
        {"00 00 00 08 01", "00 00 00 08 01"},  // 108 MHz
        {"00 00 00 74 01", "00 00 00 74 01"},  // 174 MHz
        {"23 01 30 44 01", "23 01 30 44 01"},  // 144,300,123 Hz
    };
    for (const auto& c : cases) {
        EXPECT_EQ(client->ask(std::string("FE FE 56 E0 05 ") + c.set + " FD"), hex(kOk)) << c.set;
        EXPECT_EQ(client->ask("FE FE 56 E0 03 FD"), hex(std::string("FE FE E0 56 03 ") + c.answer + " FD"));
    }
    EXPECT_EQ(sim.frequencyHz(), 144'300'123u);
}

TEST_F(ProtocolTest, ModeSetThenQueried)
{
    EXPECT_EQ(client->ask("FE FE 56 E0 06 05 FD"), hex(kOk));
    EXPECT_EQ(client->ask("FE FE 56 E0 04 FD"), hex("FE FE E0 56 04 05 01 FD"));
    EXPECT_EQ(client->ask("FE FE 56 E0 06 08 02 FD"), hex(kOk));  // with a filter
    EXPECT_EQ(client->ask("FE FE 56 E0 04 FD"), hex("FE FE E0 56 04 08 02 FD"));
    EXPECT_EQ(client->ask("FE FE 56 E0 06 03 FD"), hex(kOk));     // the filter stays
    EXPECT_EQ(client->ask("FE FE 56 E0 04 FD"), hex("FE FE E0 56 04 03 02 FD"));
}

TEST_F(ProtocolTest, EachVfoKeepsItsOwnFrequencyAndMode)
{
    client->ask("FE FE 56 E0 07 01 FD");
    client->ask("FE FE 56 E0 05 00 00 50 45 01 FD");
    client->ask("FE FE 56 E0 06 05 FD");
    EXPECT_EQ(client->ask("FE FE 56 E0 07 00 FD"), hex(kOk));
    EXPECT_EQ(client->ask("FE FE 56 E0 03 FD"), hex("FE FE E0 56 03 00 40 07 14 00 FD"));
    EXPECT_EQ(client->ask("FE FE 56 E0 04 FD"), hex("FE FE E0 56 04 01 01 FD"));
    client->ask("FE FE 56 E0 07 01 FD");
    EXPECT_EQ(client->ask("FE FE 56 E0 03 FD"), hex("FE FE E0 56 03 00 00 50 45 01 FD"));
    EXPECT_EQ(client->ask("FE FE 56 E0 04 FD"), hex("FE FE E0 56 04 05 01 FD"));
    EXPECT_EQ(sim.state().selectedVfo, 1);
}

TEST_F(ProtocolTest, AEqualsBCopiesTheSelectedVfoAndExchangeSwapsThem)
{
    client->ask("FE FE 56 E0 05 00 00 05 07 00 FD");  // A: 7050 kHz USB; B: 7050 kHz LSB
    client->ask("FE FE 56 E0 06 03 FD");              // A: CW
    EXPECT_EQ(client->ask("FE FE 56 E0 07 A0 FD"), hex(kOk));
    auto st = sim.state();
    EXPECT_EQ(st.vfo[1].frequencyHz, 7'050'000u);
    EXPECT_EQ(st.vfo[1].mode, 0x03);

    client->ask("FE FE 56 E0 05 00 00 00 21 00 FD");  // A: 21 MHz
    EXPECT_EQ(client->ask("FE FE 56 E0 07 B0 FD"), hex(kOk));
    EXPECT_EQ(client->ask("FE FE 56 E0 03 FD"), hex("FE FE E0 56 03 00 00 05 07 00 FD"));
    st = sim.state();
    EXPECT_EQ(st.selectedVfo, 0);
    EXPECT_EQ(st.vfo[1].frequencyHz, 21'000'000u);
}

TEST_F(ProtocolTest, RefusesWhatARealRadioWouldNot)
{
    const char* refused[] = {
        "FE FE 56 E0 05 99 99 02 00 00 FD",  // 29,999 Hz
        "FE FE 56 E0 05 01 00 00 60 00 FD",  // 60,000,001 Hz
        "FE FE 56 E0 05 99 99 99 07 01 FD",  // 107,999,999 Hz
        "FE FE 56 E0 05 01 00 00 74 01 FD",  // 174,000,001 Hz
        "FE FE 56 E0 05 0A 00 05 07 00 FD",  // a nibble that is no digit
        "FE FE 56 E0 05 00 40 07 14 FD",     // four frequency bytes
        "FE FE 56 E0 06 06 FD",              // mode 06
        "FE FE 56 E0 06 09 FD",              // no such mode
        "FE FE 56 E0 06 FD",                 // mode without its byte
        "FE FE 56 E0 06 01 04 FD",           // no such filter
        "FE FE 56 E0 33 FD",                 // unknown command
        "FE FE 56 E0 07 C0 FD",              // unknown VFO sub-command
        "FE FE 56 E0 14 02 01 28 FD",        // unknown level
        "FE FE 56 E0 14 01 00 FD",           // half a level
        "FE FE 56 E0 14 01 02 56 FD",        // level 256
        "FE FE 56 E0 16 99 01 FD",           // unknown function
        "FE FE 56 E0 16 22 02 FD",           // only AGC has a value 2
        "FE FE 56 E0 15 01 FD",              // unknown meter
        "FE FE 56 E0 1A 05 FD",              // unknown memory sub-command
        "FE FE 56 E0 1A 00 00 FD",           // channel cut short
        "FE FE 56 E0 1A 00 01 00 FD",        // channel 100
        "FE FE 56 E0 1A 02 05 FD",           // keyer memory 5
        "FE FE 56 E0 1C 00 02 FD",           // transmit switch 02
        "FE FE 56 E0 FD",                    // no command at all
    };
    for (const char* frame : refused)
        EXPECT_EQ(client->ask(frame), hex(kNg)) << frame;
    const auto st = sim.state();
    EXPECT_EQ(st.vfo[0].frequencyHz, 14'074'000u);
    EXPECT_EQ(st.vfo[0].mode, 0x01);
    EXPECT_EQ(st.vfo[0].filter, 0x01);
    EXPECT_EQ(st.levels.at(0x01), 128);
}

TEST_F(ProtocolTest, SwitchesLevelsAndTransmitChangeState)
{
    const char* taken[] = {
        "FE FE 56 E0 0F 01 FD",        "FE FE 56 E0 0F 12 FD",     "FE FE 56 E0 10 06 FD",
        "FE FE 56 E0 14 03 01 28 FD",  "FE FE 56 E0 14 0A 02 55 FD", "FE FE 56 E0 16 12 02 FD",
        "FE FE 56 E0 16 22 01 FD",     "FE FE 56 E0 1C 00 01 FD",
    };
    for (const char* frame : taken)
        EXPECT_EQ(client->ask(frame), hex(kOk)) << frame;
    const auto st = sim.state();
    EXPECT_TRUE(st.split);
    EXPECT_EQ(st.duplex, 0x12);
    EXPECT_EQ(st.stepCode, 0x06);
    EXPECT_EQ(st.levels.at(0x03), 128);
    EXPECT_EQ(st.levels.at(0x0A), 255);
    EXPECT_EQ(st.functions.at(0x12), 2);
    EXPECT_EQ(st.functions.at(0x22), 1);
    EXPECT_TRUE(st.transmitting);
    // The radio reads them back as it stores them.
    EXPECT_EQ(client->ask("FE FE 56 E0 14 0A FD"), hex("FE FE E0 56 14 0A 02 55 FD"));
    EXPECT_EQ(client->ask("FE FE 56 E0 16 12 FD"), hex("FE FE E0 56 16 12 02 FD"));
    EXPECT_EQ(client->ask("FE FE 56 E0 1C 00 FD"), hex("FE FE E0 56 1C 00 01 FD"));
}

TEST_F(ProtocolTest, SMeterAnswersTwoBcdBytesHighFirst)
{
    sim.control("smeter 255");
    EXPECT_EQ(client->ask("FE FE 56 E0 15 02 FD"), hex("FE FE E0 56 15 02 02 55 FD"));
    sim.control("smeter 7");
    EXPECT_EQ(client->ask("FE FE 56 E0 15 02 FD"), hex("FE FE E0 56 15 02 00 07 FD"));
}

TEST_F(ProtocolTest, ChannelWrittenThenReadBackByteForByte)
{
    // RX 145.5 MHz FM, flags scan+split, tones, TX 145.6 MHz FM, name RPT.
    const std::string contents =
        "03 00 00 50 45 01 05 01 12 00 08 85 00 08 85 00 00 60 45 01 05 01 10 00 08 85 00 08 85 "
        "52 50 54 20 20 20 20 20 20";
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 42 " + contents + " FD"), hex(kOk));
    const Bytes back = client->ask("FE FE 56 E0 1A 00 00 42 FD");
    EXPECT_EQ(back.size(), 47u);
    EXPECT_EQ(back, hex("FE FE E0 56 1A 00 00 42 " + contents + " FD"));
    EXPECT_TRUE(sim.state().channels[42].has_value());
    EXPECT_FALSE(sim.state().channels[41].has_value());
}

TEST_F(ProtocolTest, EmptyChannelAnswersShortAndAClearEmptiesIt)
{
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 07 FD"), hex("FE FE E0 56 1A 00 00 07 FF FD"));
    const std::string contents =
        "00 00 40 07 14 00 01 01 00 00 08 85 00 08 85 00 00 30 44 01 01 01 10 00 08 85 00 08 85 "
        "20 20 20 20 20 20 20 20 20";
    client->ask("FE FE 56 E0 1A 00 00 07 " + contents + " FD");
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 07 FF FD"), hex(kOk));
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 07 FD"), hex("FE FE E0 56 1A 00 00 07 FF FD"));
}

TEST_F(ProtocolTest, RefusesChannelsItCannotStore)
{
    const std::string good =
        "00 00 40 07 14 00 01 01 00 00 08 85 00 08 85 00 00 30 44 01 01 01 10 00 08 85 00 08 85 "
        "20 20 20 20 20 20 20 20 20";
    auto with = [&](std::size_t byte, const char* value) {
        std::string s = good;
        s.replace(byte * 3, 2, value);
        return "FE FE 56 E0 1A 00 00 09 " + s + " FD";
    };
    EXPECT_EQ(client->ask(with(6, "06")), hex(kNg));  // RX mode 06
    EXPECT_EQ(client->ask(with(5, "09")), hex(kNg));  // RX 914 MHz
    EXPECT_EQ(client->ask(with(20, "0B")), hex(kNg)); // TX mode
    // The program's frame for a row without RX mode is one byte short.
    std::string shortFrame = good;
    shortFrame.erase(6 * 3, 3);
    EXPECT_EQ(client->ask("FE FE 56 E0 1A 00 00 09 " + shortFrame + " FD"), hex(kNg));
    EXPECT_FALSE(sim.state().channels[9].has_value());
}

TEST_F(ProtocolTest, KeyerMemoriesHoldFiftyCharacters)
{
    const std::string text = "CQ CQ DE TEST TEST K                              ";  // 50
    ASSERT_EQ(text.size(), 50u);
    Bytes write = hex("FE FE 56 E0 1A 02 03");
    write.insert(write.end(), text.begin(), text.end());
    write.push_back(0xFD);
    ASSERT_EQ(write.size(), 58u);
    client->send(write);
    auto frames = client->readFrames(2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1], hex(kOk));

    const Bytes back = client->ask("FE FE 56 E0 1A 02 03 FD");
    ASSERT_EQ(back.size(), 58u);  // FD at position 57
    EXPECT_EQ(Bytes(back.begin(), back.begin() + 7), hex("FE FE E0 56 1A 02 03"));
    EXPECT_EQ(std::string(back.begin() + 7, back.end() - 1), text);

    // A shorter text is kept blank-padded; the other memories are untouched.
    client->ask("FE FE 56 E0 1A 02 01 35 4E 4E FD");
    EXPECT_EQ(sim.state().keyer[1], "5NN" + std::string(47, ' '));
    EXPECT_EQ(sim.state().keyer[3], text);
}

}  // namespace
}  // namespace quelm::sim::testing
