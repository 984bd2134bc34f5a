#pragma once

// Memory channels from a bank file of the program (one line per channel,
// nine comma-separated fields: Description, RX kHz, Mode, Subtone, TX kHz,
// Mode, Subtone, DUP, Scan). The radio stores each line as the program's
// channel write would: the same flags, tones and defaults.

#include <array>
#include <optional>
#include <string>

#include "simulator/radio_simulator.h"

namespace quelm::sim {

using ChannelTable = std::array<std::optional<ChannelContents>, 100>;  // index 1..99

struct BankLoad {
    ChannelTable channels{};
    int used = 0;                        // channels that hold something
    std::optional<std::string> error;    // set: nothing was loaded
};

// Line n is channel n; a line without an RX frequency leaves its channel empty,
// and lines after the 99th are ignored.
BankLoad parseBankText(const std::string& text);
BankLoad loadBankFile(const std::string& path);

}  // namespace quelm::sim
