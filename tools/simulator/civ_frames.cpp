#include "simulator/civ_frames.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace quelm::sim {

namespace {

struct ModeEntry {
    const char* name;
    std::uint8_t code;
};

constexpr std::array<ModeEntry, 8> kModes{{{"LSB", 0x00}, {"USB", 0x01}, {"AM", 0x02}, {"CW", 0x03},
                                           {"RTTY", 0x04}, {"FM", 0x05}, {"CW-R", 0x07},
                                           {"RTTY-R", 0x08}}};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::uint64_t> decodeBcd(const std::uint8_t* bytes, std::size_t n, BcdOrder order)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = order == BcdOrder::HighFirst ? bytes[i] : bytes[n - 1 - i];
        const int high = b >> 4;
        const int low = b & 0x0F;
        if (high > 9 || low > 9)
            return std::nullopt;
        value = value * 100 + static_cast<std::uint64_t>(high * 10 + low);
    }
    return value;
}

void appendBcd(Bytes& out, std::uint64_t value, std::size_t n, BcdOrder order)
{
    Bytes pairs(n);
    for (std::size_t i = 0; i < n; ++i) {  // pairs[0] is the least significant
        const auto pair = static_cast<unsigned>(value % 100);
        value /= 100;
        pairs[i] = static_cast<std::uint8_t>(((pair / 10) << 4) | (pair % 10));
    }
    if (order == BcdOrder::LowFirst)
        out.insert(out.end(), pairs.begin(), pairs.end());
    else
        out.insert(out.end(), pairs.rbegin(), pairs.rend());
}

std::optional<std::uint8_t> modeCodeFromText(const std::string& text)
{
    for (const auto& m : kModes)
        if (text == m.name)
            return m.code;
    if (text.size() == 2 && hexDigit(text[0]) >= 0 && hexDigit(text[1]) >= 0) {
        const auto code = static_cast<std::uint8_t>(hexDigit(text[0]) * 16 + hexDigit(text[1]));
        if (isModeCode(code))
            return code;
    }
    return std::nullopt;
}

std::string modeName(std::uint8_t code)
{
    for (const auto& m : kModes)
        if (m.code == code)
            return m.name;
    return {};
}

bool isModeCode(std::uint8_t code) { return !modeName(code).empty(); }

bool frequencyInRange(std::uint64_t hz)
{
    return (hz >= 30'000 && hz <= 60'000'000) || (hz >= 108'000'000 && hz <= 174'000'000);
}

Bytes makeFrame(std::uint8_t to, std::uint8_t from, const Bytes& body)
{
    Bytes f;
    f.reserve(body.size() + 5);
    for (const std::uint8_t b : {kPreamble, kPreamble, to, from})
        f.push_back(b);
    for (const std::uint8_t b : body)
        f.push_back(b);
    f.push_back(kEnd);
    return f;
}

std::optional<Bytes> FrameAssembler::feed(std::uint8_t byte)
{
    if (byte == kPreamble) {
        if (stage_ == Stage::OnePreamble) {
            stage_ = Stage::InFrame;
            frame_.assign({kPreamble, kPreamble});
        } else if (stage_ == Stage::Idle || frame_.size() > 2) {
            // The start of a frame; inside one it is a collision and the new frame wins.
            stage_ = Stage::OnePreamble;
            frame_.clear();
        }
        return std::nullopt;  // a third preamble in a row is skipped
    }
    if (stage_ == Stage::Idle)
        return std::nullopt;
    if (stage_ == Stage::OnePreamble) {  // a lone FE is noise
        reset();
        return std::nullopt;
    }
    frame_.push_back(byte);
    if (byte == kEnd) {
        Bytes done;
        done.swap(frame_);
        reset();
        return done;
    }
    if (frame_.size() >= kMaxFrame)
        reset();
    return std::nullopt;
}

void FrameAssembler::reset()
{
    stage_ = Stage::Idle;
    frame_.clear();
}

std::string toHex(const Bytes& bytes)
{
    std::string s;
    s.reserve(bytes.size() * 3);
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        if (i)
            s += ' ';
        s += buf;
    }
    return s;
}

std::optional<Bytes> fromHex(const std::string& text)
{
    Bytes out;
    int pending = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == ',') {
            if (pending >= 0)
                return std::nullopt;  // a lone digit
            continue;
        }
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        if (pending < 0) {
            pending = d;
        } else {
            out.push_back(static_cast<std::uint8_t>(pending * 16 + d));
            pending = -1;
        }
    }
    if (pending >= 0)
        return std::nullopt;
    return out;
}

}  // namespace quelm::sim
