#pragma once

// The keyer memory's text as the radio stores it, and the capitals of the keyer
// box. Pure functions: no widget, no port.

#include <QByteArray>
#include <QString>

namespace quelm::keyer {

// Every keyer memory holds exactly this many characters.
constexpr int kTextLength = 50;
constexpr int kFirstChannel = 1;
constexpr int kLastChannel = 4;

// The text a write sends: the box's text followed by blanks, cut to exactly 50
// characters, one byte each. A character with no single byte of its own (outside
// Latin-1) goes out as "?"; the link itself turns an end-of-frame byte into a blank.
QByteArray memoryText(const QString& boxText);

// A typed character code shown in capitals: a letter becomes its capital where
// that capital is itself a one-byte character; every other one-byte code is
// unchanged (so "ÿ", whose capital lies outside Latin-1, stays as typed). A code
// above Latin-1 gives 0: the key is dropped, as the memory cannot hold it.
int upperCaseKey(int code);

// The channel a caption of the channel field names ("01" .. "04"), rounded to a
// whole number and kept within the four memories.
int channelOf(const QString& caption);

// The caption of a channel: two digits.
QString channelCaption(int channel);

} // namespace quelm::keyer
