// The memory editor's bank files on arbitrary bytes and names, read as the
// Memory window reads them: from the program folder on disk, through the main
// window's memory key. Whatever the files hold:
//  - the loader gives every sheet the cells it read, each bank a sheet of its
//    own named as its file, plus the radio bank; nothing but warnings is shown;
//  - the channels sent to the radio, and the rows tuned to, go out as whole
//    frames with no frame mark inside;
//  - "Save all" writes each bank to its own file, which reads back as the
//    sheet was with nothing left out, and writes again byte for byte;
//  - a file the load read whole loses nothing by "Save all": judged from the
//    bytes before and after, not from the reader's notes;
//  - a file the load read only in part is replaced only after a Yes to a
//    question that names it: answered No, it stays byte for byte.
//
// Input: one byte of flags, then the files.
//   bit 0     the main file is the radio bank MEM_Quelm.ini (else the user bank MEM_fuzz.ini)
//   bits 1-2  how many other files come first (0..3), each: a length byte (top bit: the
//             name is wrapped as MEM_<name>.ini; the rest: the name's length), the name
//             (Latin-1), two bytes of length and the contents
//   bit 3     also tune to every radio-bank row, as a click on its row heading does
//   bit 4     the operator answers No to every question of "Save all" (else Yes)
// The rest of the input is the main file.

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "front_panel/quelm.h"
#include "memory_editor/bank_file.h"
#include "memory_editor/memory.h"
#include "platform/conversions.h"
#include "window_rig.h"

using namespace quelm;

namespace {

// File names up to 255 bytes, less the suffix of the file saved beside.
constexpr int kLongestName = 240;

QString programFile(const QString& name)
{
    return QDir(fuzzing::rig().fake.folder.path()).filePath(name);
}

// A name the folder can hold: no separator, no NUL, not "." or "..".
QString storable(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QChar(0), QLatin1Char('_'));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name += QLatin1Char('_');
    return name;
}

QString mainFile(std::uint8_t flags)
{
    return bank::fileName(flags & 1 ? bank::kRadioBank : QStringLiteral("fuzz"));
}

std::map<QString, QByteArray> filesOf(fuzzing::Input& in, std::uint8_t flags)
{
    std::map<QString, QByteArray> files;
    for (int n = (flags >> 1) & 3; n > 0; --n) {
        const std::uint8_t head = in.byte();
        QString name = QString::fromLatin1(in.take(head & 0x7F));
        if (head & 0x80)
            name = bank::fileName(name);
        name = storable(name);
        const QByteArray contents = in.take(in.u16());
        if (!name.isEmpty() && name != QLatin1String("quelm.ini"))
            files[name] = contents;
    }
    files[mainFile(flags)] = in.rest();
    return files;
}

void removeBankFiles()
{
    QDir dir(fuzzing::rig().fake.folder.path());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name != QLatin1String("quelm.ini"))
            dir.remove(name);
}

QByteArray fileBytes(const QString& name)
{
    QFile f(programFile(name));
    fuzzing::check(f.open(QIODevice::ReadOnly), "a saved bank file cannot be read back:", name);
    return f.readAll();
}

void checkNoCritical(const char* when)
{
    const QStringList& criticals = fuzzing::rig().fake.messages.criticals;
    fuzzing::check(criticals.isEmpty(), when, criticals.join(QLatin1Char('|')));
}

// The texts of every sheet's cells, row by row, by sheet name.
std::map<QString, std::vector<QStringList>> textsOf(Memory& m)
{
    std::map<QString, std::vector<QStringList>> out;
    SheetBook& book = *m.F1Book1;
    for (int n = 1; n <= book.sheetCount(); ++n) {
        const SheetModel& s = *book.sheet(n);
        auto& rows = out[book.sheetName(n)];
        for (int r = 1; r <= s.maxRow(); ++r) {
            rows.emplace_back();
            for (int c = 1; c <= s.maxCol(); ++c)
                rows.back() << s.text(r, c);
        }
    }
    return out;
}

// The texts a file's cells show in a sheet of `rows` by `cols`.
std::vector<QStringList> textsOf(const bank::Contents& read, int rows, int cols)
{
    std::vector<QStringList> out(static_cast<std::size_t>(rows), QStringList(cols, QString()));
    for (std::size_t r = 0; r < read.rows.size() && r < out.size(); ++r)
        for (std::size_t c = 0; c < read.rows[r].size() && c < std::size_t(cols); ++c) {
            const Cell& cell = read.rows[r][c];
            // A number shows without the blank that stands for its sign.
            out[r][qsizetype(c)] = isNumber(cell) ? cellText(cell).trimmed() : cellText(cell);
        }
    return out;
}

// What saving keeps of a sheet: every row of the radio bank; the rows of a user
// bank that have a frequency, moved up in order.
std::vector<QStringList> kept(const QString& bankName, std::vector<QStringList> rows)
{
    if (bank::isRadioBank(bankName))
        return rows;
    std::vector<QStringList> out;
    for (const QStringList& row : rows)
        if (!row[1].isEmpty())
            out.push_back(row);
    const qsizetype width = rows.empty() ? 0 : rows.front().size();
    while (out.size() < rows.size())
        out.push_back(QStringList(width, QString()));
    return out;
}

int sheetNamed(Memory& m, const QString& name)
{
    for (int n = 1; n <= m.F1Book1->sheetCount(); ++n)
        if (m.F1Book1->sheetName(n) == name)
            return n;
    return 0;
}

bank::Listing listingOf(const std::map<QString, QByteArray>& files)
{
    QStringList names;
    for (const auto& [name, bytes] : files)
        names << name;
    return bank::listBankFiles(names);
}

// Each bank a sheet of its own named as its file, the cells as the reader gives them.
void checkLoaded(Memory& m, const std::map<QString, QByteArray>& files)
{
    const bank::Listing listing = listingOf(files);
    std::set<QString> expected{bank::kRadioBank};
    if (listing.files.empty())
        expected.insert(QStringLiteral("bank 1"));
    for (const auto& file : listing.files)
        expected.insert(file.bank);
    std::set<QString> shown;
    for (int n = 1; n <= m.F1Book1->sheetCount(); ++n)
        shown.insert(m.F1Book1->sheetName(n));
    fuzzing::check(shown == expected && static_cast<int>(expected.size()) == m.F1Book1->sheetCount(),
                   "the sheets are not the banks of the folder");

    for (const auto& file : listing.files) {
        const SheetModel& s = *m.F1Book1->sheet(sheetNamed(m, file.bank));
        fuzzing::check(s.maxRow() == bank::rowsOf(file.bank) && s.maxCol() == bank::columnsOf(file.bank),
                       "a sheet with the wrong layout:", file.bank);
        const bank::Contents read = bank::readBank(files.at(file.fileName), bank::layoutOf(file.bank));
        for (std::size_t r = 0; r < read.rows.size(); ++r)
            for (std::size_t c = 0; c < read.rows[r].size(); ++c)
                if (s.value(int(r) + 1, int(c) + 1) != read.rows[r][c])
                    fuzzing::fail("a cell that is not as read:",
                                  QStringLiteral("%1 row %2 column %3").arg(file.bank).arg(r + 1).arg(c + 1));
    }
}

// The radio bank's channels to the radio, then (when asked) a tune to each row.
void sendAndTune(Memory& m, bool tune)
{
    QuelmFixture& f = fuzzing::rig();
    Quelm& q = *f.window;
    q.cmPower_Click();
    fuzzing::check(isOn(q.st.PowerOn), "the link did not open");
    f.fake.messages.criticals.clear(); // the fake port has no radio behind it
    f.fake.messages.warnings.clear();
    f.fake.serial.clearWrites();

    m.F1Book1->setCurrentSheet(sheetNamed(m, bank::kRadioBank));
    // Down to the last row that holds anything: the empty rows below all make the same frame.
    const SheetModel& radio = *m.F1Book1->current();
    int last = bank::kRadioRows;
    while (last > 1 && radio.rowsEmpty(last, last, 1, bank::kRadioColumns))
        --last;
    m.F1Book1->select(1, 1, last, bank::kRadioColumns);
    m.cmSendSelected_Click();
    int channelFrames = 0;
    for (const auto& w : f.fake.serial.writes())
        channelFrames += w.bytes.size() > 5 && static_cast<unsigned char>(w.bytes[4]) == 0x1A;
    fuzzing::check(channelFrames == last, "not one frame for each channel");
    if (tune) {
        for (int row = 1; row <= last; ++row)
            m.F1Book1_CellClick(row, 0);
    }
    fuzzing::checkFrames(f.fake.serial);
    fuzzing::check(std::isfinite(q.st.VFOQrg[0]) && std::isfinite(q.st.VFOQrg[1]),
                   "a frequency on the panel that is no number");

    q.cmPower_Click();
    f.fake.serial.clearWrites();
    f.fake.messages.criticals.clear(); // band limits of the rows tuned to
}

// The bank files the load reads only in part, with their banks.
std::map<QString, QString> readInPart(const std::map<QString, QByteArray>& files)
{
    std::map<QString, QString> out;
    for (const auto& file : listingOf(files).files)
        if (!bank::readBank(files.at(file.fileName), bank::layoutOf(file.bank)).notes.isEmpty())
            out[file.fileName] = file.bank;
    return out;
}

// The files that the questions asked to replace.
std::set<QString> askedFor(const std::map<QString, QString>& candidates)
{
    std::set<QString> out;
    for (const QString& question : fuzzing::rig().fake.messages.questions) {
        bool named = false;
        for (const auto& [file, bankName] : candidates)
            if (question.startsWith(QStringLiteral("The bank file %1 was read only in part").arg(file))) {
                out.insert(file);
                named = true;
            }
        fuzzing::check(named, "a question that names no file read in part:", question);
    }
    return out;
}

bool sameFile(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Every file read in part that a sheet writes was asked about (answered Yes),
// or is byte for byte as it was (answered No).
void checkAsked(const std::map<QString, QString>& inPart, const std::set<QString>& asked, bool yes,
                const std::map<QString, QByteArray>& onDisk, Memory& m)
{
    for (const auto& [file, bankName] : inPart) {
        if (!yes) {
            fuzzing::check(fileBytes(file) == onDisk.at(file), "a file read in part replaced after a No:", file);
            continue;
        }
        const bool written = sheetNamed(m, bankName) != 0;
        fuzzing::check(!written || asked.count(file), "a file read in part replaced unasked:", file);
    }
}

// A number field as its cell shows it, however the file spells it; a field
// of blanks shows nothing.
QString shownNumber(const QString& field)
{
    if (field.trimmed().isEmpty())
        return {};
    std::optional<double> n = conv::plainNumber(field);
    if (!n) {
        // The exponent form of a number from 1E+15 up; one past the largest reads as the largest.
        bool ok = false;
        const double e = field.toDouble(&ok);
        if (ok || std::isinf(e))
            n = std::isinf(e) ? std::copysign(std::numeric_limits<double>::max(), e) : e;
    }
    return n ? cellText(*n).trimmed() : QStringLiteral("no number: ") + field;
}

// What a line holds that a save must keep: the texts as they are, the numbers
// of fields 2 and 5 as their cells show them, a field of blanks as nothing,
// and no empty fields at the end.
QStringList held(const QString& line)
{
    QStringList fields = line.split(QLatin1Char(','));
    for (qsizetype i = 0; i < fields.size(); ++i)
        fields[i] = i == 1 || i == 4 ? shownNumber(fields[i]) : fields[i].trimmed().isEmpty() ? QString() : fields[i];
    while (!fields.isEmpty() && fields.back().isEmpty())
        fields.removeLast();
    return fields;
}

// What a file holds, line by line: for a packed bank the lines that hold
// anything, in order; for the radio bank every line in its place.
std::vector<QStringList> heldLines(const QByteArray& bytes, bool packed)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    std::vector<QStringList> out;
    for (const QString& line : QString::fromLatin1(bytes).split(lineEnd))
        if (QStringList fields = held(line); !packed || !fields.isEmpty())
            out.push_back(std::move(fields));
    while (!out.empty() && out.back().isEmpty())
        out.pop_back();
    return out;
}

// A file the load read whole (no notes) has lost nothing by "Save all".
void checkNothingLost(const std::map<QString, QByteArray>& onDisk, const std::map<QString, QString>& inPart)
{
    for (const auto& file : listingOf(onDisk).files) {
        if (inPart.count(file.fileName))
            continue;
        const bool packed = bank::layoutOf(file.bank).packed;
        fuzzing::check(heldLines(fileBytes(file.fileName), packed) == heldLines(onDisk.at(file.fileName), packed),
                       "a file read whole lost what it held by saving:", file.fileName);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input in(data, size);
    const std::uint8_t flags = in.byte();
    const std::map<QString, QByteArray> files = filesOf(in, flags);

    // The reader alone, for both layouts.
    const QByteArray& main = files.at(mainFile(flags));
    for (const QString& layout : {bank::kRadioBank, QStringLiteral("fuzz")}) {
        const bank::Contents c = bank::readBank(main, bank::layoutOf(layout));
        fuzzing::check(c.rows.size() <= std::size_t(bank::rowsOf(layout)), "more rows than the sheet has");
        for (const auto& row : c.rows) {
            fuzzing::check(row.size() == std::size_t(bank::columnsOf(layout)), "a row of the wrong width");
            for (std::size_t col = 0; col < row.size(); ++col) {
                const bool numberColumn = col == 1 || col == 4;
                fuzzing::check(numberColumn ? !isText(row[col]) : !isNumber(row[col]),
                               "a number column with a text or a text column with a number");
                if (isText(row[col]))
                    fuzzing::check(!std::get<QString>(row[col]).isEmpty(), "an empty text cell");
            }
        }
    }

    QuelmFixture& f = fuzzing::rig();
    removeBankFiles();
    std::map<QString, QByteArray> onDisk;
    for (const auto& [name, bytes] : files) {
        // A name too long to save beside (the new file is written under the
        // name and a suffix first) can only fail to save, with a message.
        if (QFile::encodeName(name).size() > kLongestName)
            continue;
        QFile file(programFile(name));
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            onDisk[name] = bytes;
    }
    f.fake.messages.criticals.clear();
    f.fake.messages.warnings.clear();

    Quelm& q = *f.window;
    Memory& m = q.memoryEditor();
    checkNoCritical("a damaged bank file raised more than a warning:");
    for (const QString& w : f.fake.messages.warnings)
        fuzzing::check(w.contains(QStringLiteral("MEM")), "a warning that names no file:", w);
    checkLoaded(m, onDisk);

    sendAndTune(m, flags & 8);

    // Save all: each bank in its own file, which reads back as the sheet was,
    // with nothing left out, and writes again byte for byte.
    const auto before = textsOf(m);
    const bool yes = !(flags & 16);
    f.fake.messages.questions.clear();
    f.fake.messages.answer = yes;
    m.cmSaveAll_Click();
    checkNoCritical("the banks were not saved:");
    const std::map<QString, QString> inPart = readInPart(onDisk);
    const std::set<QString> asked = askedFor(inPart);
    checkAsked(inPart, asked, yes, onDisk, m);
    checkNothingLost(onDisk, inPart);
    for (int n = 1; n <= m.F1Book1->sheetCount(); ++n) {
        const SheetModel* s = m.F1Book1->sheet(n);
        const QString name = bank::fileName(s->name());
        if (!yes && std::any_of(asked.begin(), asked.end(), [&name](const QString& a) { return sameFile(a, name); }))
            continue;  // kept, as checked above
        const QByteArray saved = fileBytes(name);
        fuzzing::check(saved == bank::writeBank(s->name(), [s](int r, int c) { return s->text(r, c); }),
                       "a bank file that is not its sheet:", name);
        const bank::Contents back = bank::readBank(saved, bank::layoutOf(s->name()));
        fuzzing::check(back.notes.isEmpty(), "a saved bank reads back with notes:", back.notes.join(QLatin1Char('|')));
        const std::vector<QStringList> rows = textsOf(back, s->maxRow(), s->maxCol());
        fuzzing::check(rows == kept(s->name(), before.at(s->name())), "a bank that saving changed:", name);
        fuzzing::check(bank::writeBank(s->name(), [&rows](int r, int c) { return rows[r - 1][c - 1]; }) == saved,
                       "a bank that changes with every save:", name);
    }

    m.Form_Unload();
    removeBankFiles();
    f.fake.messages.criticals.clear();
    f.fake.messages.warnings.clear();
    // What the program's event loop would have done by now: the sheets' old
    // selection models go once their sheets are gone.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
