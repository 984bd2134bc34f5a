#include "front_panel/word_helpers.h"

#include "platform/conversions.h"

namespace quelm::words {

namespace {
constexpr QChar kBlank = QLatin1Char(' ');

// Characters outside the single-byte range never end a word.
bool endsWord(QChar c)
{
    if (c == kBlank)
        return true;
    return c.unicode() < 256 && IsControl(static_cast<unsigned char>(c.unicode()));
}
} // namespace

bool IsControl(unsigned char b)
{
    return b == 8 || b == 9 || b == 10 || b == 13;
}

QString Firststring(const QString& s)
{
    const qsizetype len = s.size();
    qsizetype a = 0;
    while (a < len && s[a] == kBlank)
        ++a;
    if (a >= len - 1)
        return s.mid(a); // the single last character, or nothing
    qsizetype end = a + 1; // the first character always belongs to the word
    while (end < len && !endsWord(s[end]))
        ++end;
    return s.mid(a, end - a);
}

Cell PickWord(const QString& s, int n)
{
    const qsizetype len = s.size();
    qsizetype pos = 0;
    for (;;) {
        while (pos < len && s[pos] == kBlank)
            ++pos;
        if (pos >= len)
            return std::monostate{};
        if (--n == 0)
            return Firststring(s.mid(pos));
        while (pos < len && s[pos] != kBlank)
            ++pos;
    }
}

Cell Firstnum(const QString& s)
{
    for (qsizetype len = s.size(); len > 0; --len) {
        const QStringView head = QStringView(s).left(len);
        if (conv::localeReading(head))
            return conv::decimalReader(head);
    }
    return std::monostate{};
}

} // namespace quelm::words
