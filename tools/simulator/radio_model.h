#pragma once

// The radio behind the serial line: its state and its answer to each CI-V
// frame, without any timing or I/O. The simulator thread owns one and guards it.

#include <cstdint>
#include <optional>
#include <random>

#include "simulator/radio_simulator.h"

namespace quelm::sim {

class RadioModel {
public:
    explicit RadioModel(const SimulatorOptions& options);

    // The radio's answer to one whole received frame; nullopt when the frame
    // is not for this radio or has no addresses to answer to.
    std::optional<Bytes> answer(const Bytes& frame);

    const RadioState& state() const { return st_; }
    RadioState& state() { return st_; }

    // Transceive reports, addressed to everyone (00).
    Bytes frequencyReport() const;
    Bytes modeReport() const;

    // Front-panel operations; false when the radio would not take the value.
    bool dial(std::uint64_t hz);
    bool setMode(std::uint8_t code, std::optional<std::uint8_t> filter);
    void selectVfo(int vfo);

    // The next S-meter reading: the current one, after which a wandering
    // meter takes one seeded random step.
    int takeSMeterReading();

private:
    using Args = Bytes;  // the bytes after the command byte
    std::optional<Bytes> dispatch(std::uint8_t command, const Args& args);
    std::optional<Bytes> onSetFrequency(const Args& args);
    std::optional<Bytes> onSetMode(const Args& args);
    std::optional<Bytes> onVfo(const Args& args);
    std::optional<Bytes> onSplitDuplex(const Args& args);
    std::optional<Bytes> onStep(const Args& args);
    std::optional<Bytes> onLevel(const Args& args);
    std::optional<Bytes> onSMeter(const Args& args);
    std::optional<Bytes> onFunction(const Args& args);
    std::optional<Bytes> onMemory(const Args& args);
    std::optional<Bytes> onChannel(const Args& args);
    std::optional<Bytes> onKeyer(const Args& args);
    std::optional<Bytes> onTransmit(const Args& args);

    VfoState& current() { return st_.vfo[static_cast<std::size_t>(st_.selectedVfo)]; }

    RadioState st_;
    std::minstd_rand rng_;
};

// Whether 38 channel bytes hold something the radio can store.
bool channelContentsValid(const ChannelContents& c);

}  // namespace quelm::sim
