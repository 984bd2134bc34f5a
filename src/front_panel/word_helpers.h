#pragma once

// Cutting words out of a line: settings lines and reply texts. Only the blank
// separates words; a word ends early at a blank or at a control code 8, 9, 10 or
// 13 after its first character.

#include <QString>

#include "platform/cell.h"

namespace quelm::words {

// The n-th blank-separated word of s (1 = first), or the empty value when the
// line has no such word (n below 1 included).
Cell PickWord(const QString& s, int n);

// The first word of s; the empty text when s is empty or only blanks.
QString Firststring(const QString& s);

// True for the codes that end a word besides the blank: 8, 9, 10, 13.
bool IsControl(unsigned char b);

// The decimal-reader value of the longest leading part of s that reads as a
// number in the user's format; the empty value when no leading part does.
Cell Firstnum(const QString& s);

} // namespace quelm::words
