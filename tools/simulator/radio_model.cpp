#include "simulator/radio_model.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "simulator/civ_frames.h"

namespace quelm::sim {

// In the handlers below an answer body is: nullopt = refused (FA), empty = taken
// (FB), anything else = the data of the answer frame after the addresses.

namespace {

constexpr std::array<std::uint8_t, 6> kLevels{0x01, 0x03, 0x06, 0x0A, 0x0B, 0x0D};
constexpr std::array<std::uint8_t, 6> kFunctions{0x12, 0x22, 0x40, 0x44, 0x45, 0x48};
constexpr std::uint8_t kAgc = 0x12;
constexpr std::size_t kKeyerLength = 50;

template <std::size_t N>
bool contains(const std::array<std::uint8_t, N>& set, std::uint8_t v)
{
    return std::find(set.begin(), set.end(), v) != set.end();
}

const Bytes kTaken{};

std::optional<int> channelNumber(const std::uint8_t* p)
{
    const auto ch = decodeBcd(p, 2, BcdOrder::HighFirst);
    if (!ch || *ch < 1 || *ch > 99)
        return std::nullopt;
    return static_cast<int>(*ch);
}

}  // namespace

bool channelContentsValid(const ChannelContents& c)
{
    const auto rx = decodeBcd(&c[1], 5, BcdOrder::LowFirst);
    const auto tx = decodeBcd(&c[15], 5, BcdOrder::LowFirst);
    const bool split = c[0] & 0x02;
    if (!rx || !frequencyInRange(*rx) || !isModeCode(c[6]))
        return false;
    if (!tx || (split && !frequencyInRange(*tx)) || !isModeCode(c[20]))
        return false;
    for (const std::size_t tone : {9u, 12u, 23u, 26u})
        if (!decodeBcd(&c[tone], 3, BcdOrder::HighFirst))
            return false;
    return true;
}

RadioModel::RadioModel(const SimulatorOptions& options) : rng_(options.sMeterSeed ? options.sMeterSeed : 1)
{
    st_.vfo[0] = {14'074'000, 0x01, 0x01};
    st_.vfo[1] = {7'050'000, 0x00, 0x01};
    for (const auto l : kLevels)
        st_.levels[l] = 128;
    for (const auto f : kFunctions)
        st_.functions[f] = 0;
    st_.functions[kAgc] = 1;
    for (std::size_t i = 1; i <= 4; ++i)
        st_.keyer[i] = std::string(kKeyerLength, ' ');
    st_.sMeter = std::clamp(options.sMeterStart, 0, 255);
    st_.sMeterWanders = options.sMeterWanders;
}

std::optional<Bytes> RadioModel::answer(const Bytes& frame)
{
    if (frame.size() < 5 || frame[2] != kRadioAddress)
        return std::nullopt;
    const std::uint8_t from = frame[3];
    if (frame.size() == 5)  // no command at all
        return makeFrame(from, kRadioAddress, {kNg});
    const Args args(frame.begin() + 5, frame.end() - 1);
    const auto body = dispatch(frame[4], args);
    if (!body)
        return makeFrame(from, kRadioAddress, {kNg});
    if (body->empty())
        return makeFrame(from, kRadioAddress, {kOk});
    return makeFrame(from, kRadioAddress, *body);
}

std::optional<Bytes> RadioModel::dispatch(std::uint8_t command, const Args& args)
{
    switch (command) {
    case 0x02:
        if (!args.empty())
            return std::nullopt;
        {
            Bytes b{0x02};
            appendBcd(b, 30'000, 5, BcdOrder::LowFirst);
            b.push_back(0x2D);
            appendBcd(b, 174'000'000, 5, BcdOrder::LowFirst);
            return b;
        }
    case 0x03:
        if (!args.empty())
            return std::nullopt;
        {
            Bytes b{0x03};
            appendBcd(b, current().frequencyHz, 5, BcdOrder::LowFirst);
            return b;
        }
    case 0x04:
        if (!args.empty())
            return std::nullopt;
        return Bytes{0x04, current().mode, current().filter};
    case 0x05: return onSetFrequency(args);
    case 0x06: return onSetMode(args);
    case 0x07: return onVfo(args);
    case 0x0F: return onSplitDuplex(args);
    case 0x10: return onStep(args);
    case 0x14: return onLevel(args);
    case 0x15: return onSMeter(args);
    case 0x16: return onFunction(args);
    case 0x1A: return onMemory(args);
    case 0x1C: return onTransmit(args);
    default: return std::nullopt;
    }
}

std::optional<Bytes> RadioModel::onSetFrequency(const Args& args)
{
    if (args.size() != 5)
        return std::nullopt;
    const auto hz = decodeBcd(args.data(), 5, BcdOrder::LowFirst);
    if (!hz || !frequencyInRange(*hz))
        return std::nullopt;
    current().frequencyHz = static_cast<std::uint32_t>(*hz);
    return kTaken;
}

std::optional<Bytes> RadioModel::onSetMode(const Args& args)
{
    if (args.empty() || args.size() > 2)
        return std::nullopt;
    const std::optional<std::uint8_t> filter =
        args.size() == 2 ? std::optional<std::uint8_t>(args[1]) : std::nullopt;
    if (!setMode(args[0], filter))
        return std::nullopt;
    return kTaken;
}

std::optional<Bytes> RadioModel::onVfo(const Args& args)
{
    if (args.empty())
        return kTaken;  // VFO mode: the simulated radio is always in it
    if (args.size() != 1)
        return std::nullopt;
    auto& sel = current();
    auto& other = st_.vfo[static_cast<std::size_t>(1 - st_.selectedVfo)];
    switch (args[0]) {
    case 0x00: st_.selectedVfo = 0; break;
    case 0x01: st_.selectedVfo = 1; break;
    case 0xA0: other = sel; break;
    case 0xB0: std::swap(sel, other); break;
    default: return std::nullopt;
    }
    return kTaken;
}

std::optional<Bytes> RadioModel::onSplitDuplex(const Args& args)
{
    if (args.empty())
        return Bytes{0x0F, static_cast<std::uint8_t>(st_.split ? 0x01 : 0x00)};
    if (args.size() != 1)
        return std::nullopt;
    const auto v = args[0];
    if (v == 0x00 || v == 0x01)
        st_.split = v == 0x01;
    else if (v >= 0x10 && v <= 0x12)
        st_.duplex = v;
    else
        return std::nullopt;
    return kTaken;
}

std::optional<Bytes> RadioModel::onStep(const Args& args)
{
    if (args.empty())
        return Bytes{0x10, st_.stepCode};
    if (args.size() != 1 || args[0] > 0x08)  // 04 is the 9 kHz step of the AM band
        return std::nullopt;
    st_.stepCode = args[0];
    return kTaken;
}

std::optional<Bytes> RadioModel::onLevel(const Args& args)
{
    if (args.empty() || !contains(kLevels, args[0]))
        return std::nullopt;
    const auto sub = args[0];
    if (args.size() == 1) {
        Bytes b{0x14, sub};
        appendBcd(b, static_cast<std::uint64_t>(st_.levels[sub]), 2, BcdOrder::HighFirst);
        return b;
    }
    if (args.size() != 3)
        return std::nullopt;
    const auto v = decodeBcd(&args[1], 2, BcdOrder::HighFirst);
    if (!v || *v > 255)
        return std::nullopt;
    st_.levels[sub] = static_cast<int>(*v);
    return kTaken;
}

std::optional<Bytes> RadioModel::onSMeter(const Args& args)
{
    if (args.size() != 1 || args[0] != 0x02)
        return std::nullopt;
    Bytes b{0x15, 0x02};
    appendBcd(b, static_cast<std::uint64_t>(takeSMeterReading()), 2, BcdOrder::HighFirst);
    return b;
}

std::optional<Bytes> RadioModel::onFunction(const Args& args)
{
    if (args.empty() || !contains(kFunctions, args[0]))
        return std::nullopt;
    const auto sub = args[0];
    if (args.size() == 1)
        return Bytes{0x16, sub, st_.functions[sub]};
    const std::uint8_t highest = sub == kAgc ? 0x02 : 0x01;
    if (args.size() != 2 || args[1] > highest)
        return std::nullopt;
    st_.functions[sub] = args[1];
    return kTaken;
}

std::optional<Bytes> RadioModel::onMemory(const Args& args)
{
    if (args.empty())
        return std::nullopt;
    if (args[0] == 0x00)
        return onChannel(args);
    if (args[0] == 0x02)
        return onKeyer(args);
    return std::nullopt;
}

std::optional<Bytes> RadioModel::onChannel(const Args& args)
{
    constexpr std::size_t kWrite = 1 + 2 + std::tuple_size_v<ChannelContents>;
    if (args.size() < 3)
        return std::nullopt;
    const auto ch = channelNumber(&args[1]);
    if (!ch)
        return std::nullopt;
    auto& slot = st_.channels[static_cast<std::size_t>(*ch)];
    if (args.size() == 3) {
        Bytes b{0x1A};
        b.insert(b.end(), args.begin(), args.end());
        if (slot)
            b.insert(b.end(), slot->begin(), slot->end());
        else
            b.push_back(0xFF);
        return b;
    }
    if (args.size() == 4 && args[3] == 0xFF) {  // clear the channel
        slot.reset();
        return kTaken;
    }
    if (args.size() != kWrite)
        return std::nullopt;
    ChannelContents c{};
    std::copy(args.begin() + 3, args.end(), c.begin());
    if (!channelContentsValid(c))
        return std::nullopt;
    slot = c;
    return kTaken;
}

std::optional<Bytes> RadioModel::onKeyer(const Args& args)
{
    if (args.size() < 2 || args[1] < 1 || args[1] > 4)
        return std::nullopt;
    auto& text = st_.keyer[args[1]];
    if (args.size() == 2) {
        Bytes b;
        b.reserve(3 + text.size());
        for (const std::uint8_t x : {std::uint8_t{0x1A}, std::uint8_t{0x02}, args[1]})
            b.push_back(x);
        for (const char c : text)
            b.push_back(static_cast<std::uint8_t>(c));
        return b;
    }
    if (args.size() - 2 > kKeyerLength)
        return std::nullopt;
    text.assign(args.begin() + 2, args.end());
    text.resize(kKeyerLength, ' ');
    return kTaken;
}

std::optional<Bytes> RadioModel::onTransmit(const Args& args)
{
    if (args.empty() || args[0] != 0x00)
        return std::nullopt;
    if (args.size() == 1)
        return Bytes{0x1C, 0x00, static_cast<std::uint8_t>(st_.transmitting ? 0x01 : 0x00)};
    if (args.size() != 2 || args[1] > 0x01)
        return std::nullopt;
    st_.transmitting = args[1] == 0x01;
    return kTaken;
}

Bytes RadioModel::frequencyReport() const
{
    Bytes b{0x00};
    appendBcd(b, st_.current().frequencyHz, 5, BcdOrder::LowFirst);
    return makeFrame(kBroadcast, kRadioAddress, b);
}

Bytes RadioModel::modeReport() const
{
    return makeFrame(kBroadcast, kRadioAddress, {0x01, st_.current().mode, st_.current().filter});
}

bool RadioModel::dial(std::uint64_t hz)
{
    if (!frequencyInRange(hz))
        return false;
    current().frequencyHz = static_cast<std::uint32_t>(hz);
    return true;
}

bool RadioModel::setMode(std::uint8_t code, std::optional<std::uint8_t> filter)
{
    if (!isModeCode(code) || (filter && (*filter < 1 || *filter > 3)))
        return false;
    current().mode = code;
    if (filter)
        current().filter = *filter;
    return true;
}

void RadioModel::selectVfo(int vfo) { st_.selectedVfo = vfo == 1 ? 1 : 0; }

int RadioModel::takeSMeterReading()
{
    const int reading = st_.sMeter;
    if (st_.sMeterWanders) {
        const int step = static_cast<int>(rng_() % 41) - 20;
        st_.sMeter = std::clamp(st_.sMeter + step, 0, 255);
    }
    return reading;
}

}  // namespace quelm::sim
