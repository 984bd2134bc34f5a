// The reply decoder on raw bytes: the frame as the reader stores it (up to its
// first FD), and the same frame with its tail cut off, which the decoder must
// read as zeros and never past the bytes it was given.

#include <algorithm>
#include <span>
#include <vector>

#include "radio_link/civ_codec.h"
#include "radio_link/radio_link.h"
#include "reply_check.h"

using namespace quelm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input in(data, size);
    const int cut = in.byte();
    const QByteArray raw = in.take(RadioLink::kFrameSlots);
    const qsizetype fd = raw.indexOf(static_cast<char>(civ::kEndOfFrame));
    const int end = static_cast<int>(fd);
    // Copied, so a read past the end is one that the address sanitizer sees.
    const std::vector<unsigned char> frame(raw.begin(), fd >= 0 ? raw.begin() + fd + 1 : raw.end());

    const civ::Decoded whole = civ::decodeFrame(frame, end, 0x56);
    fuzzing::checkReplyText(whole.text);
    fuzzing::check(whole.channel.has_value() == (whole.text == QLatin1String("70: ")),
                   "a channel comes with 70 and only with 70:", whole.text);
    if (whole.channel) {
        for (const civ::CellWrite& c : whole.channel->cells)
            fuzzing::check(c.column >= 1 && c.column <= 9, "channel cell outside columns 1..9");
    }
    if (end < 0)
        fuzzing::check(whole.text == QLatin1String("00:"), "no FD must read as malformed:", whole.text);

    const std::vector<unsigned char> shorter(frame.begin(), frame.begin() + std::min<std::size_t>(cut, frame.size()));
    fuzzing::checkReplyText(civ::decodeFrame(shorter, end, 0x56).text);
    return 0;
}
