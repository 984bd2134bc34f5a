// The control channel: one line, one command. Each command checks all of its
// arguments before it changes anything, so a refused line leaves the radio as
// it was.

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "simulator/bank_file.h"
#include "simulator/simulator_impl.h"

namespace quelm::sim {

namespace {

constexpr int kDefaultLateMs = 150;   // beyond the program's 0.1 s wait for a frame's end
constexpr int kDefaultSplitMs = 50;
constexpr std::uint8_t kDefaultForeignAddress = 0x58;
const Bytes kDefaultGarbage{0x13, 0x37, 0x00, 0xFD};

const char* const kHelp =
    "ok commands: dial|freq <Hz>, mode <name|code> [filter], vfo A|B, key, unkey, load <bank file>, "
    "smeter <0..255>|wander, corrupt [n], drop [n], split [ms], late [ms], garbage [hex], "
    "foreign [address], silent on|off|<frames>, unplug, plug, baud <rate>, status, help";

std::string error(const std::string& what) { return "error: " + what; }

template <typename T>
std::optional<T> readInt(const std::string& text, int base = 10)
{
    T v{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return v;
}

std::string restOfLine(std::istringstream& args)
{
    std::string rest;
    std::getline(args, rest);
    const auto b = rest.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    const auto e = rest.find_last_not_of(" \t\r");
    return rest.substr(b, e - b + 1);
}

// The optional count or time argument: absent gives the default; nullopt when malformed.
std::optional<int> optionalNumber(std::istringstream& args, int fallback)
{
    std::string word;
    if (!(args >> word))
        return fallback;
    auto v = readInt<int>(word);
    if (!v || *v < 0)
        return std::nullopt;
    return v;
}

}  // namespace

std::string RadioSimulator::Impl::control(const std::string& text)
{
    // Lines may come with a carriage return from a terminal or a file.
    const auto end = text.find_last_not_of(" \t\r\n");
    std::istringstream args(end == std::string::npos ? std::string() : text.substr(0, end + 1));
    std::string verb;
    if (!(args >> verb))
        return "ok";  // an empty line is no command
    std::transform(verb.begin(), verb.end(), verb.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::lock_guard lock(mutex);
    const std::string reply = dispatch(verb, args);
    std::string extra;
    if (reply == "ok" && args >> extra)
        return "ok (ignored: " + extra + restOfLine(args) + ")";
    return reply;
}

std::string RadioSimulator::Impl::dispatch(const std::string& verb, std::istringstream& args)
{
    if (verb == "dial" || verb == "freq")
        return cmdDial(args);
    if (verb == "mode")
        return cmdMode(args);
    if (verb == "vfo")
        return cmdVfo(args);
    if (verb == "key" || verb == "unkey") {
        model.state().transmitting = verb == "key";
        return "ok";
    }
    if (verb == "load")
        return cmdLoad(args);
    if (verb == "smeter")
        return cmdSMeter(args);
    if (verb == "corrupt" || verb == "drop")
        return cmdByteFault(verb, args);
    if (verb == "split" || verb == "late")
        return cmdFrameFault(verb, args);
    if (verb == "garbage")
        return cmdGarbage(args);
    if (verb == "foreign")
        return cmdForeign(args);
    if (verb == "silent")
        return cmdSilent(args);
    if (verb == "unplug" || verb == "plug")
        return cmdPlug(verb == "plug");
    if (verb == "baud")
        return cmdBaud(args);
    if (verb == "status")
        return cmdStatus();
    if (verb == "help")
        return kHelp;
    return error("unknown command \"" + verb + "\" (try help)");
}

std::string RadioSimulator::Impl::cmdDial(std::istringstream& args)
{
    std::string word;
    args >> word;
    const auto hz = readInt<std::uint64_t>(word);
    if (!hz)
        return error("dial needs a frequency in Hz, e.g. dial 14074000");
    if (!model.dial(*hz))
        return error(word + " Hz is outside the radio's ranges (30 kHz - 60 MHz, 108 - 174 MHz)");
    sendFromRadio(model.frequencyReport());
    return "ok";
}

std::string RadioSimulator::Impl::cmdMode(std::istringstream& args)
{
    std::string name;
    std::string filterWord;
    args >> name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto code = modeCodeFromText(name);
    std::optional<std::uint8_t> filter;
    if (args >> filterWord) {
        const auto f = readInt<int>(filterWord);
        if (!f || *f < 1 || *f > 3)
            return error("filter must be 1, 2 or 3");
        filter = static_cast<std::uint8_t>(*f);
    }
    if (!code || !model.setMode(*code, filter))
        return error("mode must be LSB, USB, AM, CW, RTTY, FM, CW-R, RTTY-R or its code");
    sendFromRadio(model.modeReport());
    return "ok";
}

std::string RadioSimulator::Impl::cmdVfo(std::istringstream& args)
{
    std::string which;
    args >> which;
    if (which != "A" && which != "a" && which != "B" && which != "b")
        return error("vfo A or vfo B");
    model.selectVfo(which == "B" || which == "b" ? 1 : 0);
    sendFromRadio(model.frequencyReport());
    sendFromRadio(model.modeReport());
    return "ok";
}

std::string RadioSimulator::Impl::cmdLoad(std::istringstream& args)
{
    const std::string path = restOfLine(args);
    if (path.empty())
        return error("load needs a bank file");
    const BankLoad bank = loadBankFile(path);
    if (bank.error)
        return error(*bank.error);
    model.state().channels = bank.channels;
    return "ok " + std::to_string(bank.used) + " channels";
}

std::string RadioSimulator::Impl::cmdSMeter(std::istringstream& args)
{
    std::string word;
    args >> word;
    if (word == "wander") {
        model.state().sMeterWanders = true;
        return "ok";
    }
    const auto v = readInt<int>(word);
    if (!v || *v < 0 || *v > 255)
        return error("smeter takes a reading 0..255 or \"wander\"");
    model.state().sMeter = *v;
    model.state().sMeterWanders = false;
    return "ok";
}

std::string RadioSimulator::Impl::cmdByteFault(const std::string& verb, std::istringstream& args)
{
    const auto skip = optionalNumber(args, 0);
    if (!skip)
        return error(verb + " takes the number of bytes to let pass first");
    if (verb == "corrupt")
        line.armCorrupt(static_cast<std::size_t>(*skip));
    else
        line.armDrop(static_cast<std::size_t>(*skip));
    return "ok";
}

std::string RadioSimulator::Impl::cmdFrameFault(const std::string& verb, std::istringstream& args)
{
    const auto ms = optionalNumber(args, verb == "late" ? kDefaultLateMs : kDefaultSplitMs);
    if (!ms)
        return error(verb + " takes a time in milliseconds");
    const auto d = std::chrono::milliseconds(*ms);
    if (verb == "late")
        line.armLate(d);
    else
        line.armSplit(d);
    return "ok";
}

std::string RadioSimulator::Impl::cmdGarbage(std::istringstream& args)
{
    const std::string hex = restOfLine(args);
    const auto bytes = hex.empty() ? std::optional<Bytes>(kDefaultGarbage) : fromHex(hex);
    if (!bytes || bytes->empty())
        return error("garbage takes hex bytes, e.g. garbage 13 37 FD");
    sendFromRadio(*bytes);
    return "ok";
}

std::string RadioSimulator::Impl::cmdForeign(std::istringstream& args)
{
    std::string word;
    std::uint8_t from = kDefaultForeignAddress;
    if (args >> word) {
        const auto a = readInt<unsigned>(word, 16);
        if (!a || *a > 0xFF || *a == kRadioAddress)
            return error("foreign takes another radio's address in hex, e.g. foreign 58");
        from = static_cast<std::uint8_t>(*a);
    }
    // Another radio on the bus answering a frequency query.
    Bytes body{0x03};
    appendBcd(body, model.state().current().frequencyHz, 5, BcdOrder::LowFirst);
    sendFromRadio(makeFrame(kControllerAddress, from, body));
    return "ok";
}

std::string RadioSimulator::Impl::cmdSilent(std::istringstream& args)
{
    std::string word;
    args >> word;
    if (word == "on" || word.empty()) {
        silentForever = true;
    } else if (word == "off") {
        silentForever = false;
        silentFrames = 0;
    } else if (const auto n = readInt<std::size_t>(word)) {
        silentForever = false;
        silentFrames = *n;
    } else {
        return error("silent on, silent off or silent <frames>");
    }
    return "ok";
}

std::string RadioSimulator::Impl::cmdPlug(bool plug)
{
    if (!running)
        return error("the simulator is not running");
    if (plug == port.isOpen())
        return error(plug ? "already plugged in" : "already unplugged");
    line.clear();
    assembler.reset();
    if (!plug) {
        port.close();
        wake();
        return "ok";
    }
    try {
        port.open(options.symlinkPath);
    } catch (const std::exception& e) {
        return error(e.what());
    }
    wake();
    return "ok " + port.path();
}

std::string RadioSimulator::Impl::cmdBaud(std::istringstream& args)
{
    std::string word;
    args >> word;
    const auto baud = readInt<int>(word);
    if (!baud || *baud < 300 || *baud > 115200)
        return error("baud takes a rate from 300 to 115200");
    line.setBaud(*baud);
    return "ok";
}

std::string RadioSimulator::Impl::cmdStatus() const
{
    const auto& st = model.state();
    std::ostringstream out;
    out << "ok vfo " << (st.selectedVfo ? 'B' : 'A');
    for (int v = 0; v < 2; ++v)
        out << (v ? ", B " : ", A ") << st.vfo[static_cast<std::size_t>(v)].frequencyHz << ' '
            << modeName(st.vfo[static_cast<std::size_t>(v)].mode);
    char codes[64];
    std::snprintf(codes, sizeof codes, ", split %s, duplex %02X, step %02X, ", st.split ? "on" : "off",
                  st.duplex, st.stepCode);
    out << codes << (st.transmitting ? "TX" : "RX") << ", S " << st.sMeter << ", "
        << (port.isOpen() ? port.path() + (port.clientOpen() ? " (open)" : " (closed)") : std::string("unplugged"));
    return out.str();
}

}  // namespace quelm::sim
