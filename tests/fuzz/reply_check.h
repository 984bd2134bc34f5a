#pragma once
// The forms a ReplyText may take, and nothing else: what the receive loop and
// the memory editor's drains rely on when they take a reply apart.

#include <QRegularExpression>
#include <QString>

#include "fuzz_support.h"

namespace fuzzing {

inline bool isReplyText(const QString& s)
{
    // A decoded number is never negative: one blank, then its digits.
    static const QRegularExpression form(QStringLiteral(
        "\\A(?:"
        "|00:|99:|01:|02:|70: "
        "|85:.*"
        "|(?:10|40|60): [ ](?:0|[1-9][0-9]*)"
        "|11: [ ](?:0|[1-9][0-9]*) [ ](?:0|[1-9][0-9]*)"
        "|20: (?:LSB|USB|AM|CW|RTTY|FM|CW-R|RTTY-R)?"
        ")\\z"),
        QRegularExpression::DotMatchesEverythingOption);
    return form.match(s).hasMatch();
}

inline void checkReplyText(const QString& s)
{
    check(isReplyText(s), "reply text of no known form:", s);
}

} // namespace fuzzing
