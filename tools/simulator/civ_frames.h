#pragma once

// The radio's side of CI-V framing: BCD fields, the mode table and the
// assembler that cuts a byte stream into whole frames.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/radio_simulator.h"

namespace quelm::sim {

inline constexpr std::uint8_t kPreamble = 0xFE;
inline constexpr std::uint8_t kEnd = 0xFD;
inline constexpr std::uint8_t kOk = 0xFB;
inline constexpr std::uint8_t kNg = 0xFA;
inline constexpr std::uint8_t kRadioAddress = 0x56;
inline constexpr std::uint8_t kControllerAddress = 0xE0;
inline constexpr std::uint8_t kBroadcast = 0x00;

enum class BcdOrder { HighFirst, LowFirst };

// The value of n BCD bytes; nullopt when a nibble is not a decimal digit.
std::optional<std::uint64_t> decodeBcd(const std::uint8_t* bytes, std::size_t n, BcdOrder order);
// Appends value as n BCD bytes (digits beyond 2n are cut off at the top).
void appendBcd(Bytes& out, std::uint64_t value, std::size_t n, BcdOrder order);

// Mode code for a name ("USB") or for a two-digit hex code ("01"); nullopt for
// anything else, code 06 included.
std::optional<std::uint8_t> modeCodeFromText(const std::string& text);
// "LSB".."RTTY-R"; empty for a code the radio does not have.
std::string modeName(std::uint8_t code);
bool isModeCode(std::uint8_t code);

// Whether the radio can tune to this frequency: 30 kHz .. 60 MHz and 108 .. 174 MHz.
bool frequencyInRange(std::uint64_t hz);

// FE FE to from <body> FD.
Bytes makeFrame(std::uint8_t to, std::uint8_t from, const Bytes& body);

// Collects bytes into whole frames FE FE ... FD. Bytes outside a frame are
// ignored; a preamble inside a frame starts the frame again (a collision on
// the bus); a run without FD longer than any real frame is dropped.
class FrameAssembler {
public:
    static constexpr std::size_t kMaxFrame = 128;

    // A whole frame when this byte completes one.
    std::optional<Bytes> feed(std::uint8_t byte);
    void reset();

private:
    enum class Stage { Idle, OnePreamble, InFrame };
    Stage stage_ = Stage::Idle;
    Bytes frame_;
};

}  // namespace quelm::sim
