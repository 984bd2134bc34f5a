#include "memory_editor/bank_file.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include <QRegularExpression>

#include "platform/conversions.h"
#include "window_support/field_split.h"

namespace quelm::bank {

namespace {

const QString kPrefix = QStringLiteral("MEM");
const QString kBankPrefix = QStringLiteral("MEM_");
const QString kSuffix = QStringLiteral(".ini");

QString quoted(const QString& text)
{
    constexpr int kShown = 24;
    QString shown = text.left(kShown);
    for (QChar& c : shown)
        if (c.unicode() < 0x20)
            c = QLatin1Char('?');
    return QLatin1Char('"') + shown + (text.size() > kShown ? QStringLiteral("...\"") : QStringLiteral("\""));
}

std::vector<QString> splitLines(const QString& all)
{
    std::vector<QString> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QChar c = all[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.push_back(all.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < all.size() && all[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < all.size())
        lines.push_back(all.mid(start));
    return lines;
}

QString fieldText(QString text)
{
    for (QChar& c : text)
        if (c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return text;
}

// A number field: a plain decimal number, or the exponent form a number cell's
// text takes from 1E+15 up ("1E+20", "-1.23456789012346E+18"), so that such a
// number in a file the program wrote reads back. The largest number's text lies
// just past the largest number: it reads as that number again.
std::optional<double> numberField(const QString& field)
{
    if (const std::optional<double> n = conv::plainNumber(field))
        return n;
    static const QRegularExpression written(QStringLiteral("^ *([-+]?)([0-9]+(\\.[0-9]+)?E\\+[0-9]+) *$"));
    const QRegularExpressionMatch m = written.match(field);
    if (!m.hasMatch())
        return std::nullopt;
    const QByteArray magnitude = m.captured(2).toLatin1();
    double n = 0;
    const auto r = std::from_chars(magnitude.constData(), magnitude.constData() + magnitude.size(), n);
    if (r.ec == std::errc::result_out_of_range)
        n = std::numeric_limits<double>::max();
    else if (r.ec != std::errc() || r.ptr != magnitude.constData() + magnitude.size())
        return std::nullopt;
    return m.captured(1) == QLatin1String("-") ? -n : n;
}

} // namespace

QString fileName(const QString& bank) { return kBankPrefix + bank + kSuffix; }

Listing listBankFiles(const QStringList& fileNames)
{
    QStringList names = fileNames;
    std::sort(names.begin(), names.end());
    Listing out;
    for (const QString& name : names) {
        if (!name.startsWith(kPrefix, Qt::CaseInsensitive) || !name.endsWith(kSuffix, Qt::CaseInsensitive))
            continue;
        // Saving writes "MEM_<bank>.ini" as spelt: a file of another spelling
        // would come back as a second file beside it, or, in a folder that
        // ignores the case, be written over by a bank it never was.
        if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix)) {
            out.skipped << QStringLiteral("%1: not a bank file name: its letter case differs from MEM_<bank>.ini")
                               .arg(name);
            continue;
        }
        if (!name.startsWith(kBankPrefix) || name.size() <= kBankPrefix.size() + kSuffix.size()) {
            out.skipped << QStringLiteral("%1: not a bank file name (MEM_<bank>.ini)").arg(name);
            continue;
        }
        out.files.push_back({name, name.mid(kBankPrefix.size(), name.size() - kBankPrefix.size() - kSuffix.size())});
    }
    return out;
}

Contents readBank(const QByteArray& bytes, int columns, int maxRows)
{
    Contents out;
    std::vector<QString> lines = splitLines(QString::fromLatin1(bytes));
    // Empty lines past the last row hold nothing to leave out: a file that
    // ends in an empty line, as editors make it, loads without a note.
    while (lines.size() > static_cast<std::size_t>(std::max(maxRows, 0)) && lines.back().isEmpty())
        lines.pop_back();
    const int kept = static_cast<int>(std::min<std::size_t>(lines.size(), static_cast<std::size_t>(std::max(maxRows, 0))));
    out.rows.resize(static_cast<std::size_t>(kept));
    for (int r = 0; r < kept; ++r) {
        std::vector<Cell>& row = out.rows[static_cast<std::size_t>(r)];
        row.resize(static_cast<std::size_t>(std::max(columns, 0)));
        const QString& line = lines[static_cast<std::size_t>(r)];
        for (int c = 1; c <= columns; ++c) {
            const QString field = PickField(line, c);
            if (field.isEmpty())
                continue;
            if (c == 2 || c == 5) {
                if (const std::optional<double> n = numberField(field))
                    row[static_cast<std::size_t>(c - 1)] = *n;
                else
                    out.notes << QStringLiteral("line %1: field %2 %3 is not a number; the cell stays empty")
                                     .arg(r + 1)
                                     .arg(c)
                                     .arg(quoted(field));
            } else {
                row[static_cast<std::size_t>(c - 1)] = field;
            }
        }
    }
    if (lines.size() > static_cast<std::size_t>(kept))
        out.notes << QStringLiteral("%1 line(s) after line %2 left out: the sheet has %2 rows")
                         .arg(lines.size() - static_cast<std::size_t>(kept))
                         .arg(kept);
    return out;
}

QByteArray writeBank(const QString& bank, const std::function<QString(int row, int col)>& text)
{
    const bool radio = isRadioBank(bank);
    const int rows = rowsOf(bank);
    const int columns = columnsOf(bank);
    QString all;
    for (int r = 1; r <= rows; ++r) {
        if (!radio && text(r, 2).isEmpty())
            continue;
        QStringList fields;
        for (int c = 1; c <= columns; ++c)
            fields << fieldText(text(r, c));
        all += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return all.toLatin1();
}

} // namespace quelm::bank
