#include "simulator/bank_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "simulator/civ_frames.h"

namespace quelm::sim {

namespace {

constexpr double kDefaultToneHz = 88.5;
constexpr double kDefaultTxKHz = 144300.0;

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    fields.resize(9);
    return fields;
}

// A number in plain decimal with a point; an empty text is "no value".
std::optional<double> readNumber(const std::string& text, bool& bad)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    if (b == e)
        return std::nullopt;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data() + b, text.data() + e, v);
    if (ec != std::errc() || ptr != text.data() + e || !std::isfinite(v)) {
        bad = true;
        return std::nullopt;
    }
    return v;
}

// A sub-tone cell: a tone in Hz, or "none" / empty for none (0).
std::optional<double> readTone(const std::string& text, std::string& error)
{
    if (text == "none")
        return 0.0;
    bool bad = false;
    const auto v = readNumber(text, bad);
    if (bad || (v && (*v < 0 || *v >= 100000))) {
        error = "sub-tone \"" + text + "\" is not a tone in Hz";
        return std::nullopt;
    }
    return v.value_or(0.0);
}

std::optional<std::uint64_t> readFrequencyHz(const std::string& text, const char* what, bool& present,
                                              std::string& error)
{
    bool bad = false;
    const auto kHz = readNumber(text, bad);
    present = kHz.has_value();
    if (bad || (kHz && !frequencyInRange(static_cast<std::uint64_t>(std::llround(std::max(0.0, *kHz) * 1000))))) {
        error = std::string(what) + " frequency \"" + text + "\" kHz is not one the radio can store";
        return std::nullopt;
    }
    return kHz ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(std::llround(*kHz * 1000))) : 0;
}

void appendTone(Bytes& out, double hz)
{
    appendBcd(out, static_cast<std::uint64_t>(std::llround((hz == 0 ? kDefaultToneHz : hz) * 10)), 3,
              BcdOrder::HighFirst);
}

// One line as a channel; nullopt with an empty error for a line without RX frequency.
std::optional<ChannelContents> channelFromLine(const std::string& line, std::string& error)
{
    const auto f = splitFields(line);
    bool rxPresent = false;
    bool txPresent = false;
    const auto rx = readFrequencyHz(f[1], "RX", rxPresent, error);
    if (!rx || !rxPresent)
        return std::nullopt;
    const auto tx = readFrequencyHz(f[4], "TX", txPresent, error);
    const auto rxMode = modeCodeFromText(f[2].empty() ? "USB" : f[2]);
    const auto txMode = modeCodeFromText(f[5].empty() ? "USB" : f[5]);
    const auto squelchTone = readTone(f[3], error);
    const auto repeaterTone = readTone(f[6], error);
    if (!tx || !squelchTone || !repeaterTone)
        return std::nullopt;
    if (!rxMode || !txMode) {
        error = "mode \"" + (rxMode ? f[5] : f[2]) + "\" is not one of the radio's modes";
        return std::nullopt;
    }
    Bytes b;
    b.push_back(static_cast<std::uint8_t>((f[8] == "Yes" ? 0x01 : 0) | (f[4].empty() ? 0 : 0x02)));
    appendBcd(b, *rx, 5, BcdOrder::LowFirst);
    b.push_back(*rxMode);
    b.push_back(0x01);
    b.push_back(static_cast<std::uint8_t>((*squelchTone != 0 ? 0x02 : 0) | (*repeaterTone != 0 ? 0x01 : 0) |
                                          (f[7] == "DUP-" ? 0x10 : f[7] == "DUP+" ? 0x20 : 0)));
    appendTone(b, *repeaterTone);
    appendTone(b, *squelchTone);
    appendBcd(b, txPresent ? *tx : static_cast<std::uint64_t>(kDefaultTxKHz * 1000), 5, BcdOrder::LowFirst);
    b.push_back(*txMode);
    b.insert(b.end(), {0x01, 0x10, 0x00, 0x08, 0x85, 0x00, 0x08, 0x85});
    std::string name = f[0] + std::string(9, ' ');
    for (std::size_t i = 0; i < 9; ++i)
        b.push_back(static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(name[i]))));
    ChannelContents c{};
    std::copy(b.begin(), b.end(), c.begin());
    return c;
}

}  // namespace

BankLoad parseBankText(const std::string& text)
{
    BankLoad result;
    std::istringstream in(text);
    std::string line;
    for (int n = 1; n <= 99 && std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string error;
        auto c = channelFromLine(line, error);
        if (!error.empty()) {
            return BankLoad{{}, 0, "line " + std::to_string(n) + ": " + error};
        }
        if (c) {
            result.channels[static_cast<std::size_t>(n)] = c;
            ++result.used;
        }
    }
    return result;
}

BankLoad loadBankFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        BankLoad failed;
        failed.error = "cannot open bank file \"" + path + "\"";
        return failed;
    }
    std::ostringstream all;
    all << in.rdbuf();
    return parseBankText(all.str());
}

}  // namespace quelm::sim
