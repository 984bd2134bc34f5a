// Bank files: which files are banks, reading a file's bytes into cells (with
// notes for what had to be left out), writing a sheet, and replacing a file on
// disk without ever leaving it half written.

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "memory_editor/bank_file.h"
#include "platform/file_folder.h"

using namespace quelm;

namespace {

using Row = std::vector<Cell>;

Cell t(const char* text) { return QString::fromLatin1(text); }
Cell n(double value) { return value; }
const Cell e{};

std::string shown(const Cell& c)
{
    if (isEmptyValue(c))
        return "<empty>";
    if (const auto* d = std::get_if<double>(&c))
        return "#" + std::to_string(*d);
    return "'" + std::get<QString>(c).toStdString() + "'";
}

std::string shown(const std::vector<Row>& rows)
{
    std::string out;
    for (const Row& r : rows) {
        for (const Cell& c : r)
            out += shown(c) + " ";
        out += "|";
    }
    return out;
}

} // namespace

TEST(BankFiles, ListingTakesBankFileNamesInNameOrder)
{
    const bank::Listing l = bank::listBankFiles(
        {"MEM_b.ini", "MEM_Quelm.ini", "MEM_a.ini", "MEM.ini", "MEMO.ini", "MEM_.ini", "quelm.ini", "mem_x.ini",
         "MEM_x.INI", "MEM_quelm.ini", "MEM_bank 1.ini", "MEM_a.ini.Xq3fT2"});
    QStringList files;
    QStringList banks;
    for (const auto& f : l.files) {
        files << f.fileName;
        banks << f.bank;
    }
    EXPECT_EQ(files, QStringList({"MEM_Quelm.ini", "MEM_a.ini", "MEM_b.ini", "MEM_bank 1.ini", "MEM_quelm.ini"}));
    EXPECT_EQ(banks, QStringList({"Quelm", "a", "b", "bank 1", "quelm"}));
    ASSERT_EQ(l.skipped.size(), 5);
    EXPECT_TRUE(l.skipped[0].startsWith("MEM.ini:"));
    EXPECT_TRUE(l.skipped[1].startsWith("MEMO.ini:"));
    EXPECT_TRUE(l.skipped[2].startsWith("MEM_.ini:"));
    // Another letter case of the pattern is no bank file either, and is told as such.
    EXPECT_EQ(l.skipped[3], "MEM_x.INI: not a bank file name: its letter case differs from MEM_<bank>.ini");
    EXPECT_EQ(l.skipped[4], "mem_x.ini: not a bank file name: its letter case differs from MEM_<bank>.ini");
}

const bank::Layout kUser = bank::layoutOf("bank 1");
const bank::Layout kRadio = bank::layoutOf("Quelm");
// A user bank of two rows.
const bank::Layout kShort{3, 2, true};

struct ReadCase {
    const char* what;
    QByteArray bytes;
    bank::Layout layout;
    std::vector<Row> rows;
    int notes;
};

TEST(BankFiles, ReadingLinesIntoCells)
{
    const std::vector<ReadCase> cases = {
        {"user row", "Beacon,28200,CW\r\n", kUser, {{t("Beacon"), n(28200), t("CW")}}, 0},
        {"empty file", "", kUser, {}, 0},
        {"empty lines take rows", "\r\nA,1,USB\r\n\r\n", kUser, {{e, e, e}, {t("A"), n(1), t("USB")}, {e, e, e}}, 0},
        {"short line", "A,1\r\n", kUser, {{t("A"), n(1), e}}, 0},
        {"long line", "A,1,USB,x,y\r\n", kUser, {{t("A"), n(1), t("USB")}}, 1},
        {"fraction and blanks", "x, 7050.5 ,CW\r\n", kUser, {{t("x"), n(7050.5), t("CW")}}, 0},
        {"field 2 no number", "A,abc,USB\r\n", kUser, {{t("A"), e, t("USB")}}, 1},
        {"grouped number is no number", "A,7.050.5,USB\r\n", kUser, {{t("A"), e, t("USB")}}, 1},
        {"a comma splits a field", "A,145,750\r\n", kUser, {{t("A"), n(145), t("750")}}, 0},
        {"blanks stay in texts", " A ,1, USB\r\n", kUser, {{t(" A "), n(1), t(" USB")}}, 0},
        {"LF and CR endings", "A,1,USB\nB,2,LSB\rC,3,CW", kUser,
         {{t("A"), n(1), t("USB")}, {t("B"), n(2), t("LSB")}, {t("C"), n(3), t("CW")}}, 0},
        {"Latin-1", "Caf\xe9,1,\r\n", kUser, {{QString::fromUtf8("Café"), n(1), e}}, 0},
        {"radio row", "RPT R6,145750,FM,,,,88.5,DUP-,Yes\r\n", kRadio,
         {{t("RPT R6"), n(145750), t("FM"), e, e, e, t("88.5"), t("DUP-"), t("Yes")}}, 0},
        {"radio TX no number", "x,145750,FM,none,abc,,,,No\r\n", kRadio,
         {{t("x"), n(145750), t("FM"), t("none"), e, e, e, e, t("No")}}, 1},
        {"lines past the last row", "a,1,\r\nb,2,\r\nc,3,\r\nd,4,\r\n", kShort,
         {{t("a"), n(1), e}, {t("b"), n(2), e}}, 1},
        // Editors end a file with an empty line: past the last row it holds nothing.
        {"final empty line past the last row", "a,1,\r\nb,2,\r\n\r\n", kShort, {{t("a"), n(1), e}, {t("b"), n(2), e}}, 0},
        {"final LF after CR LF past the last row", "a,1,\r\nb,2,\r\n\n", kShort, {{t("a"), n(1), e}, {t("b"), n(2), e}}, 0},
        {"empty lines past the last row", "a,1,\r\nb,2,\r\n\r\n\r\n\r\n", kShort, {{t("a"), n(1), e}, {t("b"), n(2), e}}, 0},
        {"a line past the last row before the empty one", "a,1,\r\nb,2,\r\n\r\nc,3,\r\n\r\n", kShort,
         {{t("a"), n(1), e}, {t("b"), n(2), e}}, 1},
        {"a blank past the last row is no empty line", "a,1,\r\nb,2,\r\n \r\n", kShort,
         {{t("a"), n(1), e}, {t("b"), n(2), e}}, 1},
    };
    for (const ReadCase& c : cases) {
        const bank::Contents got = bank::readBank(c.bytes, c.layout);
        EXPECT_EQ(shown(got.rows), shown(c.rows)) << c.what;
        EXPECT_EQ(got.notes.size(), c.notes) << c.what << ": " << got.notes.join(" / ").toStdString();
    }
}

TEST(BankFiles, NotesSayWhatWasLeftOut)
{
    const bank::Contents got = bank::readBank("A,abc,USB\r\nB,2,\r\nC,3,\r\n", kShort);
    EXPECT_EQ(got.notes, QStringList({"line 1: field 2 \"abc\" is not a number; the cell stays empty",
                                      "1 line(s) after line 2 left out: the sheet has 2 rows"}));
    // Empty lines after the last line left out are not counted with it.
    EXPECT_EQ(bank::readBank("a,1,\r\n\r\nc,3,\r\n\r\n\r\n", bank::Layout{3, 1, true}).notes,
              QStringList({"2 line(s) after line 1 left out: the sheet has 1 rows"}));
}

TEST(BankFiles, NotesCountTheLinesASaveWouldNotWriteBack)
{
    const QString pastThree = "fields after field 3 left out on %1 line(s) (first: line %2): the sheet has 3 columns";
    const QString noFrequency = "%1 line(s) with text but no frequency (first: line %2): the sheet shows them, but "
                                "saving keeps only rows with a frequency";
    const struct {
        const char* what;
        QByteArray bytes;
        bank::Layout layout;
        QStringList notes;
    } cases[] = {
        {"a copy of the radio bank as a user bank",
         "RPT R6,145750,FM,,,,88.5,DUP-,Yes\r\n,,,,,,,,\r\nCH 2,7050,LSB,,,,,,\r\nSplit,14195,USB,,14225,USB,,,\r\n", kUser,
         {pastThree.arg(2).arg(1)}},
        {"text without a frequency", "Beacon,28200,CW\r\nNet Sun 0900 UTC see 3.760,,LSB\r\n,,USB\r\n", kUser,
         {noFrequency.arg(2).arg(2)}},
        {"lines that hold nothing", ",,\r\n,,,,,,,,\r\n\r\n", kUser, {}},
        {"fields of blanks", "a,1,USB, ,  \r\n  ,,  \r\n", kUser, {}},
        {"the radio bank writes a channel without RX", "Net,,USB,,,,,,Yes\r\n,,,,,,,,\r\n", kRadio, {}},
        {"past the radio bank's nine fields", "a,1,FM,,,,,,,,extra\r\n", kRadio,
         {"fields after field 9 left out on 1 line(s) (first: line 1): the sheet has 9 columns"}},
        // Lines past the last row are counted once, as lines.
        {"both on one line, and lines past the last row", "x,,USB,extra\r\na,1,\r\nc,,USB,extra\r\n", kShort,
         {pastThree.arg(1).arg(1), noFrequency.arg(1).arg(1), "1 line(s) after line 2 left out: the sheet has 2 rows"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bank::readBank(c.bytes, c.layout).notes, c.notes) << c.what;
}

namespace {
using Sheet = std::map<std::pair<int, int>, QString>;
std::function<QString(int, int)> cellsOf(const Sheet& sheet)
{
    return [&sheet](int r, int c) {
        const auto it = sheet.find({r, c});
        return it == sheet.end() ? QString() : it->second;
    };
}
} // namespace

TEST(BankFiles, UserBankWritesOnlyRowsWithAFrequency)
{
    const Sheet sheet{{{1, 1}, "Beacon"}, {{1, 2}, "28200"},  {{1, 3}, "CW"},
                      {{2, 1}, "no frequency"},                {{2, 3}, "USB"},
                      {{3, 2}, "7050.5"},  {{150, 1}, "last"}, {{150, 2}, "144300"},
                      {{151, 2}, "past the sheet"}};
    EXPECT_EQ(bank::writeBank("bank 1", cellsOf(sheet)), QByteArray("Beacon,28200,CW\r\n,7050.5,\r\nlast,144300,\r\n"));
    EXPECT_EQ(bank::writeBank("bank 1", cellsOf({})), QByteArray());
}

TEST(BankFiles, RadioBankWritesNinetyNineLines)
{
    QByteArray empty;
    for (int i = 0; i < 99; ++i)
        empty += ",,,,,,,,\r\n";
    EXPECT_EQ(bank::writeBank("Quelm", cellsOf({})), empty);

    const Sheet channel{{{5, 1}, "RPT R6"}, {{5, 2}, "145750"}, {{5, 3}, "FM"},
                        {{5, 7}, "88.5"},   {{5, 8}, "DUP-"},   {{5, 9}, "Yes"}, {{5, 10}, "beyond"}};
    const QList<QByteArray> lines = bank::writeBank("Quelm", cellsOf(channel)).split('\n');
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines[4], QByteArray("RPT R6,145750,FM,,,,88.5,DUP-,Yes\r"));
}

TEST(BankFiles, TextsCannotBreakTheLineFormat)
{
    const Sheet sheet{{{1, 1}, "Rpt, North\r\nside"}, {{1, 2}, "145750"}, {{1, 3}, QString::fromUtf8("Café ☺")}};
    EXPECT_EQ(bank::writeBank("b", cellsOf(sheet)), QByteArray("Rpt  North  side,145750,Caf\xe9 ?\r\n"));
}

TEST(BankFiles, AUserBankComesBackPacked)
{
    const Sheet sheet{{{1, 1}, "one"}, {{1, 2}, "14074"},      {{1, 3}, "USB"}, {{2, 1}, "dropped"},
                      {{3, 1}, "three"}, {{3, 2}, "7050.5"}};
    const bank::Contents back = bank::readBank(bank::writeBank("b", cellsOf(sheet)), kUser);
    EXPECT_EQ(shown(back.rows), shown(std::vector<Row>{{t("one"), n(14074), t("USB")}, {t("three"), n(7050.5), e}}));
    EXPECT_TRUE(back.notes.isEmpty());
}

TEST(BankFiles, ANumberTooBigForPlainDigitsComesBackFromItsOwnFile)
{
    // From 1E+15 up a number cell's text is its exponent form; the file the
    // program writes must read back with the number in it, not an empty cell.
    const QByteArray damaged("far,99999999999999999999,USB\r\nnear,-1234567890123456789,CW\r\n");
    const bank::Contents first = bank::readBank(damaged, kUser);
    ASSERT_TRUE(first.notes.isEmpty());
    const auto textOf = [&first](int r, int c) {
        const bool inSheet = r <= int(first.rows.size()) && c <= 3;
        return inSheet ? cellText(first.rows[std::size_t(r - 1)][std::size_t(c - 1)]).trimmed() : QString();
    };
    const QByteArray written = bank::writeBank("b", textOf);
    ASSERT_EQ(written, QByteArray("far,1E+20,USB\r\nnear,-1.23456789012346E+18,CW\r\n"));

    const bank::Contents back = bank::readBank(written, kUser);
    EXPECT_TRUE(back.notes.isEmpty()) << back.notes.join(" / ").toStdString();
    EXPECT_EQ(shown(back.rows), shown(std::vector<Row>{{t("far"), n(1e20), t("USB")},
                                                        {t("near"), n(-1.23456789012346e18), t("CW")}}));
    // Only the writer's own form: other exponent texts stay what they were.
    EXPECT_EQ(bank::readBank("x,1e5,\r\ny,1E5,\r\nz,E+20,\r\nw,inf,\r\n", kUser).notes.size(), 4);
}

// ---- Replacing a file on disk

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Everything in the folder but the files named: no temporary file may stay behind.
QStringList othersIn(const QString& folder, const QStringList& expected)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& e : expected)
        names.removeAll(e);
    return names;
}

// Runs `step` as a user who may not write where root may: root itself when
// the test does not run as root, else a child process that has given up root.
bool runUnprivileged(const std::function<bool()>& step)
{
    if (::geteuid() != 0)
        return step();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && step() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST(DiskFolder, ReplacesAndCreatesWholeFiles)
{
    QTemporaryDir dir;
    DiskFolder folder(dir.path());
    QString error;
    ASSERT_TRUE(folder.replace("MEM_a.ini", "old\r\n", &error)) << error.toStdString();
    ASSERT_TRUE(folder.replace("MEM_a.ini", "new\r\n", &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(dir.filePath("MEM_a.ini")), QByteArray("new\r\n"));
    EXPECT_EQ(folder.read("MEM_a.ini", &error), QByteArray("new\r\n"));
    EXPECT_EQ(othersIn(dir.path(), {"MEM_a.ini"}), QStringList());
    EXPECT_EQ(folder.fileNames(), QStringList({"MEM_a.ini"}));
}

TEST(DiskFolder, ReadOnlyFolderKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir dir;
    DiskFolder folder(dir.path());
    ASSERT_TRUE(folder.replace("MEM_a.ini", "old\r\n", nullptr));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    const bool refused = runUnprivileged([&] {
        QString error;
        return !folder.replace("MEM_a.ini", "new\r\n", &error) && !error.isEmpty();
    });
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(refused);
    EXPECT_EQ(fileBytes(dir.filePath("MEM_a.ini")), QByteArray("old\r\n"));
    EXPECT_EQ(othersIn(dir.path(), {"MEM_a.ini"}), QStringList());
}

TEST(DiskFolder, AWriteCutShortBeforeTheRenameKeepsTheOldFile)
{
    QTemporaryDir dir;
    DiskFolder folder(dir.path());
    ASSERT_TRUE(folder.replace("MEM_a.ini", "old\r\n", nullptr));
    // A file-size limit cuts the write off part way, as a full disk would.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool replaced = folder.replace("MEM_a.ini", QByteArray(100000, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(replaced);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(dir.filePath("MEM_a.ini")), QByteArray("old\r\n"));
    EXPECT_EQ(othersIn(dir.path(), {"MEM_a.ini"}), QStringList());
}

TEST(DiskFolder, NamesTheFileSystemRefusesAndAVanishedFolderFailCleanly)
{
    QTemporaryDir dir;
    DiskFolder folder(dir.path());
    QString error;
    EXPECT_FALSE(folder.replace("MEM_" + QString(300, 'x') + ".ini", "a\r\n", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(othersIn(dir.path(), {}), QStringList());

    DiskFolder gone(dir.filePath("no such folder"));
    error.clear();
    EXPECT_FALSE(gone.replace("MEM_a.ini", "a\r\n", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(gone.read("MEM_a.ini", &error).has_value());
}

TEST(DiskFolder, ASpecialFileNamedAsABankIsRefusedAtOnce)
{
    // A pipe or a device under a bank file's name would hold the read, and the
    // memory editor with it, for as long as nothing writes to it.
    QTemporaryDir dir;
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("MEM_pipe.ini")).constData(), 0600), 0);
    DiskFolder folder(dir.path());
    ASSERT_TRUE(folder.fileNames().contains("MEM_pipe.ini"));

    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5); // a read that waits ends the child with SIGALRM
        QString error;
        const bool refused = !folder.read("MEM_pipe.ini", &error).has_value() && !error.isEmpty();
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << (WIFSIGNALED(status) ? "the read waited on the pipe" : "the read did not refuse the pipe");
}
