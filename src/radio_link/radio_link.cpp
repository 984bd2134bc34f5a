#include "radio_link/radio_link.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/conversions.h"
#include "radio_link/civ_codec.h"

namespace quelm {

RadioLink::RadioLink(SerialPort& port, Clock& clock, SettingsStore& settings, const double& cmdDelay,
                     const int& radioAddress)
    : port_(port), clock_(clock), settings_(settings), cmdDelay_(cmdDelay), radioAddress_(radioAddress)
{
}

void RadioLink::writeFrame(const QByteArray& frame)
{
    port_.output(frame);
    WaitOutBuffEmpty();
}

void RadioLink::WaitOutBuffEmpty()
{
    const double t0 = clock_.now();
    while (port_.outBufferCount() != 0) {
        if (std::fabs(clock_.now() - t0) > cmdDelay_)
            return;
        clock_.sleep(kSlice);
    }
}

void RadioLink::quietWait(double seconds)
{
    const double t0 = clock_.now();
    while (std::fabs(clock_.now() - t0) <= seconds)
        clock_.sleep(kSlice);
}

void RadioLink::sendSetFreq(double kHz)
{
    writeFrame(civ::setFreqFrame(radioAddress_, kHz));
    quietWait(cmdDelay_);
}

void RadioLink::sendSetMode(const QString& modo) { writeFrame(civ::setModeFrame(radioAddress_, modo)); }
void RadioLink::sendSetVFO(const QString& vfo) { writeFrame(civ::setVfoFrame(radioAddress_, vfo)); }
void RadioLink::sendSetStep(double stepHz) { writeFrame(civ::setStepFrame(radioAddress_, stepHz)); }
void RadioLink::sendReadFreq() { writeFrame(civ::readFreqFrame(radioAddress_)); }
void RadioLink::sendReadMode() { writeFrame(civ::readModeFrame(radioAddress_)); }
void RadioLink::sendSetRXTX(bool transmit)
{
    // Keyed counts from before the write: a write that fails part-way may
    // still have reached the radio. Receive counts only once it went out.
    if (transmit)
        mayBeKeyed_ = true;
    writeFrame(civ::setRxTxFrame(radioAddress_, transmit));
    if (!transmit)
        mayBeKeyed_ = false;
}

void RadioLink::sendSetSplit(bool split) { writeFrame(civ::setSplitFrame(radioAddress_, split)); }
void RadioLink::sendSetDuplex(const QString& tipo) { writeFrame(civ::setDuplexFrame(radioAddress_, tipo)); }
void RadioLink::sendReadS() { writeFrame(civ::readSFrame(radioAddress_)); }

void RadioLink::storeLevel(const QString& what, int value)
{
    settings_.saveSetting(QStringLiteral("Quelm"), QStringLiteral("Slider"), what, conv::numberText(value));
}

void RadioLink::ChangeSet(const QString& what, int value)
{
    // Stored first, so the level survives a frame that cannot be written.
    storeLevel(what, value);
    writeFrame(civ::levelFrame(radioAddress_, what, value));
}

void RadioLink::sendSetOnOff(const QString& what, bool value, std::optional<int> value2)
{
    if (const auto frame = civ::onOffFrame(radioAddress_, what, value, value2))
        writeFrame(*frame);
}

void RadioLink::sendReadMemoryKeyer(int mem) { writeFrame(civ::readKeyerFrame(radioAddress_, mem)); }

void RadioLink::sendSetMemoryKeyer(int mem, const QByteArray& buffer)
{
    writeFrame(civ::setKeyerFrame(radioAddress_, mem, buffer));
}

void RadioLink::sendReadMemory(int channel) { writeFrame(civ::readChannelFrame(radioAddress_, channel)); }

void RadioLink::sendSetMemory(int channel)
{
    if (!grid_ || !grid_->hasRow(channel))
        return;
    civ::ChannelRow row;
    for (int col : {1, 3, 5, 6, 8, 9})
        row.text[col] = grid_->cellText(channel, col);
    for (int col : {2, 4, 5, 7})
        row.number[col] = grid_->cellNumber(channel, col);
    writeFrame(civ::setChannelFrame(radioAddress_, channel, row));
}

QString RadioLink::RadioReadFrame()
{
    return readFrame(cmdDelay_);
}

std::optional<QString> RadioLink::takeArrivedFrame()
{
    const double now = clock_.now();
    const bool seenAfresh = !lastLook_ || std::fabs(now - *lastLook_) > cmdDelay_;
    lastLook_ = now;
    const int waiting = port_.inBufferCount();
    if (waiting <= 0) {
        partialSince_.reset();
        partialRestarted_ = false;
        return std::nullopt;
    }
    const QByteArray head = port_.peekInput(std::min(waiting, kFrameSlots));
    const bool whole = head.contains(static_cast<char>(civ::kEndOfFrame)) || head.size() >= kFrameSlots;
    if (!whole) {
        // Seen afresh after a long gap, a frame gets its CmdDelay from now; but
        // only once, or looks that all come late would never take it and the
        // frames behind it would wait for good.
        if (!partialSince_) {
            partialSince_ = now;
        } else if (seenAfresh && !partialRestarted_) {
            partialSince_ = now;
            partialRestarted_ = true;
        }
        if (std::fabs(now - *partialSince_) < cmdDelay_)
            return std::nullopt;
    }
    // Everything the frame needs is in (or its time is up): no wait.
    return readFrame(0.0);
}

QString RadioLink::readFrame(double maxWait)
{
    // Whatever frame takeArrivedFrame saw arriving is taken now.
    partialSince_.reset();
    partialRestarted_ = false;
    std::array<unsigned char, kFrameSlots> bytes{};
    int count = 0;
    int end = -1;
    const double t0 = clock_.now();
    for (;;) {
        const int waiting = port_.inBufferCount();
        for (int i = 0; i < waiting && count < kFrameSlots; ++i) {
            const int b = port_.input();
            if (b < 0)
                break;
            bytes[count] = static_cast<unsigned char>(b);
            if (b == civ::kEndOfFrame) {
                end = count++;
                break;
            }
            ++count;
        }
        if (end >= 0 || count >= kFrameSlots || std::fabs(clock_.now() - t0) >= maxWait)
            break;
        clock_.sleep(kSlice);
    }
    civ::Decoded reply = civ::decodeFrame(std::span<const unsigned char>(bytes.data(), count), end, radioAddress_);
    if (reply.channel && grid_ && grid_->hasRow(reply.channel->channel)) {
        const int r = reply.channel->channel;
        for (const auto& cell : reply.channel->cells) {
            if (const auto* text = std::get_if<QString>(&cell.value))
                grid_->setCellText(r, cell.column, *text);
            else
                grid_->setCellNumber(r, cell.column, std::get<double>(cell.value));
        }
    }
    return reply.text;
}

} // namespace quelm
