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

// A field of blanks holds nothing that a save could lose.
bool holdsSomething(QStringView field) { return !field.trimmed().isEmpty(); }

// Lines of a file that a save would not write back whole.
struct LinesLost {
    int lines = 0;
    int first = 0;
    void add(int line)
    {
        if (lines++ == 0)
            first = line;
    }
};

std::vector<Cell> readRow(const QString& line, int lineNumber, int columns, QStringList& notes)
{
    std::vector<Cell> row(static_cast<std::size_t>(std::max(columns, 0)));
    for (int c = 1; c <= columns; ++c) {
        const QString field = PickField(line, c);
        if (field.isEmpty())
            continue;
        if (c != 2 && c != 5) {
            row[static_cast<std::size_t>(c - 1)] = field;
        } else if (const std::optional<double> n = numberField(field)) {
            row[static_cast<std::size_t>(c - 1)] = *n;
        } else {
            notes << QStringLiteral("line %1: field %2 %3 is not a number; the cell stays empty")
                         .arg(lineNumber)
                         .arg(c)
                         .arg(quoted(field));
        }
    }
    return row;
}

bool holdsPastField(const QString& line, int columns)
{
    const QList<QStringView> fields = QStringView(line).split(QLatin1Char(','));
    for (qsizetype i = std::max(columns, 0); i < fields.size(); ++i)
        if (holdsSomething(fields[i]))
            return true;
    return false;
}

// A line whose frequency field is empty: the sheet shows its texts, but a
// packed save writes no row without a frequency. (A frequency that is no
// number has a note of its own.)
bool textWithoutFrequency(const QString& line, const std::vector<Cell>& row)
{
    if (!PickField(line, 2).isEmpty())
        return false;
    return std::any_of(row.begin(), row.end(), [](const Cell& cell) {
        const auto* text = std::get_if<QString>(&cell);
        return text && holdsSomething(*text);
    });
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

Contents readBank(const QByteArray& bytes, const Layout& sheet)
{
    Contents out;
    std::vector<QString> lines = splitLines(QString::fromLatin1(bytes));
    const std::size_t maxRows = static_cast<std::size_t>(std::max(sheet.rows, 0));
    // Empty lines past the last row hold nothing to leave out: a file that
    // ends in an empty line, as editors make it, loads without a note.
    while (lines.size() > maxRows && lines.back().isEmpty())
        lines.pop_back();
    const std::size_t kept = std::min(lines.size(), maxRows);
    out.rows.resize(kept);
    LinesLost pastColumns;
    LinesLost noFrequency;
    for (std::size_t r = 0; r < kept; ++r) {
        const int line = static_cast<int>(r) + 1;
        out.rows[r] = readRow(lines[r], line, sheet.columns, out.notes);
        if (holdsPastField(lines[r], sheet.columns))
            pastColumns.add(line);
        if (sheet.packed && textWithoutFrequency(lines[r], out.rows[r]))
            noFrequency.add(line);
    }
    if (pastColumns.lines > 0)
        out.notes << QStringLiteral("fields after field %1 left out on %2 line(s) (first: line %3): the sheet has %1 "
                                    "columns")
                         .arg(sheet.columns)
                         .arg(pastColumns.lines)
                         .arg(pastColumns.first);
    if (noFrequency.lines > 0)
        out.notes << QStringLiteral("%1 line(s) with text but no frequency (first: line %2): the sheet shows them, "
                                    "but saving keeps only rows with a frequency")
                         .arg(noFrequency.lines)
                         .arg(noFrequency.first);
    if (lines.size() > kept)
        out.notes << QStringLiteral("%1 line(s) after line %2 left out: the sheet has %2 rows")
                         .arg(lines.size() - kept)
                         .arg(kept);
    return out;
}

QByteArray writeBank(const QString& bank, const std::function<QString(int row, int col)>& text)
{
    const Layout sheet = layoutOf(bank);
    QString all;
    for (int r = 1; r <= sheet.rows; ++r) {
        if (sheet.packed && text(r, 2).isEmpty())
            continue;
        QStringList fields;
        for (int c = 1; c <= sheet.columns; ++c)
            fields << fieldText(text(r, c));
        all += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return all.toLatin1();
}

} // namespace quelm::bank
