// "Save bank" and "Save all": what reaches the files, and what a save that
// fails leaves behind (the old file, the sheet, the other banks, a message).

#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "memory_editor/sheet_view.h"
#include "memory_fixture.h"
#include "platform/message_box_qt.h"
#include "support/locale_guard.h"

using namespace quelm;

namespace {

QByteArray emptyRadioFile()
{
    QByteArray all;
    for (int i = 0; i < 99; ++i)
        all += ",,,,,,,,\r\n";
    return all;
}

} // namespace

TEST_F(MemoryFixture, SaveBankWritesTheCurrentSheetOnly)
{
    load();
    showSheet("bank 1");
    SheetModel& s = sheet();
    s.setText(1, 1, QStringLiteral("Beacon"));
    s.setNumber(1, 2, 28200);
    s.setText(1, 3, QStringLiteral("CW"));
    s.setText(2, 1, QStringLiteral("no frequency"));
    s.setNumber(3, 2, 7050.5);
    memory->cmSave_Click();
    EXPECT_EQ(folder.files.size(), 1u);
    EXPECT_EQ(folder.files["MEM_bank 1.ini"], QByteArray("Beacon,28200,CW\r\n,7050.5,\r\n"));

    showSheet("Quelm");
    memory->cmSave_Click();
    EXPECT_EQ(folder.files["MEM_Quelm.ini"], emptyRadioFile());
    EXPECT_TRUE(allMessages().isEmpty());
}

TEST_F(MemoryFixture, SavedBanksComeBackPackedAndTheRadioBankInPlace)
{
    put("MEM_Quelm.ini", emptyRadioFile());
    load();
    book().insertSheets(1, 1);
    book().setSheetName(1, QStringLiteral("b"));
    book().setCurrentSheet(1);
    short sn = 1;
    memory->FormatSheet(sn);
    sheet().setNumber(1, 2, 14074);
    sheet().setNumber(3, 2, 18100);
    sheetNamed("Quelm").setNumber(42, 2, 145750);
    sheetNamed("Quelm").setText(42, 3, QStringLiteral("FM"));
    memory->cmSaveAll_Click();
    memory->close();
    memory->Form_Load();
    EXPECT_EQ(sheetNames(), QStringList({"Quelm", "b"}));
    EXPECT_EQ(column(sheetNamed("b"), 2, 1, 3), QStringList({"14074", "18100", ""}));
    EXPECT_EQ(sheetNamed("Quelm").text(42, 3), QStringLiteral("FM"));
    EXPECT_DOUBLE_EQ(sheetNamed("Quelm").number(42, 2), 145750);
}

TEST_F(MemoryFixture, SavingTakesWhatIsBeingTypedIntoACell)
{
    load();
    showSheet("bank 1");
    memory->show();
    sheet().setNumber(1, 2, 14074);
    book().setActiveCell(1, 1);
    book().startEdit();
    auto* editor = book().view()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "FT8");
    memory->cmSave_Click();
    EXPECT_EQ(folder.files["MEM_bank 1.ini"], QByteArray("FT8,14074,\r\n"));
}

TEST_F(MemoryFixture, SaveAllWritesEverySheetAndLeavesTheLastCurrent)
{
    put("MEM_a.ini", "x,1,USB\r\n");
    put("MEM_b.ini", "y,2,LSB\r\n");
    load();
    book().setCurrentSheet(1);
    memory->cmSaveAll_Click();
    EXPECT_EQ(folder.replaces, 3);
    EXPECT_EQ(folder.files.size(), 3u);
    EXPECT_EQ(folder.files["MEM_a.ini"], QByteArray("x,1,USB\r\n"));
    EXPECT_EQ(book().currentSheet(), 3);
}

TEST_F(MemoryFixture, NumbersAreWrittenPlainInEveryLocale)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    load();
    showSheet("Quelm");
    sheet().setNumber(1, 2, 145750);
    sheet().setNumber(1, 5, 7050.5);
    sheet().setText(1, 7, QStringLiteral("88.5"));
    memory->cmSave_Click();
    EXPECT_TRUE(folder.files["MEM_Quelm.ini"].startsWith(",145750,,,7050.5,,88.5,,\r\n"));
}

TEST_F(MemoryFixture, ACommaThatReachesACellIsWrittenAsABlank)
{
    load();
    showSheet("bank 1");
    // Typing refuses a comma; a channel name from the radio or a paste can still bring one.
    sheet().setText(1, 1, QStringLiteral("Rpt, North"));
    sheet().setNumber(1, 2, 145600);
    memory->cmSave_Click();
    EXPECT_EQ(folder.files["MEM_bank 1.ini"], QByteArray("Rpt  North,145600,\r\n"));
    memory->close();
    memory->Form_Load();
    EXPECT_EQ(sheetNamed("bank 1").text(1, 1), QStringLiteral("Rpt  North"));
    EXPECT_DOUBLE_EQ(sheetNamed("bank 1").number(1, 2), 145600);
}

TEST_F(MemoryFixture, ASaveIntoAReadOnlyFolderKeepsFileSheetAndProgram)
{
    put("MEM_a.ini", "old,1,USB\r\n");
    load();
    showSheet("a");
    sheet().setText(1, 1, QStringLiteral("new"));
    folder.readOnly = true;
    memory->cmSave_Click();
    EXPECT_EQ(folder.files["MEM_a.ini"], QByteArray("old,1,USB\r\n"));
    EXPECT_EQ(sheet().text(1, 1), QStringLiteral("new"));
    ASSERT_EQ(fake.messages.criticals.size(), 1);
    const QString message = fake.messages.criticals[0];
    EXPECT_TRUE(message.contains("MEM_a.ini")) << message.toStdString();
    EXPECT_TRUE(message.contains("Permission denied")) << message.toStdString();
    EXPECT_TRUE(memory->loaded());

    // Once the folder can be written to again, the same sheet saves.
    folder.readOnly = false;
    memory->cmSave_Click();
    EXPECT_EQ(folder.files["MEM_a.ini"], QByteArray("new,1,USB\r\n"));
}

TEST_F(MemoryFixture, SaveAllNamesEachBankThatFailedAndSavesTheOthers)
{
    put("MEM_a.ini", "old a,1,USB\r\n");
    put("MEM_b.ini", "old b,2,USB\r\n");
    load();
    sheetNamed("a").setText(1, 1, QStringLiteral("new a"));
    sheetNamed("b").setText(1, 1, QStringLiteral("new b"));
    folder.failBeforeRename.insert("MEM_a.ini");
    memory->cmSaveAll_Click();
    EXPECT_EQ(folder.files["MEM_a.ini"], QByteArray("old a,1,USB\r\n"));
    EXPECT_EQ(folder.files["MEM_b.ini"], QByteArray("new b,2,USB\r\n"));
    EXPECT_TRUE(folder.files.count("MEM_Quelm.ini"));
    ASSERT_EQ(fake.messages.criticals.size(), 1);
    EXPECT_TRUE(fake.messages.criticals[0].startsWith("1 of 3 banks were not saved:\nMEM_a.ini (bank \"a\"): No space"))
        << fake.messages.criticals[0].toStdString();
    EXPECT_EQ(sheetNamed("a").text(1, 1), QStringLiteral("new a"));
}

TEST_F(MemoryFixture, ANewBankThatCannotBeWrittenIsToldAsNotCreated)
{
    put("MEM_a.ini", "old,1,USB\r\n");
    load();
    ASSERT_EQ(sheetNames(), QStringList({"a", "Quelm"}));
    folder.readOnly = true;

    showSheet("Quelm");
    memory->cmSave_Click();
    memory->cmSaveAll_Click();
    ASSERT_EQ(fake.messages.criticals.size(), 2);
    const QString saveBank = fake.messages.criticals[0];
    EXPECT_TRUE(saveBank.contains("MEM_Quelm.ini (bank \"Quelm\"): Permission denied; the file was not created"))
        << saveBank.toStdString();
    EXPECT_FALSE(saveBank.contains("as it was before")) << saveBank.toStdString();
    const QString saveAll = fake.messages.criticals[1];
    EXPECT_TRUE(saveAll.contains("MEM_Quelm.ini (bank \"Quelm\"): Permission denied; the file was not created"))
        << saveAll.toStdString();
    EXPECT_TRUE(saveAll.contains("MEM_a.ini (bank \"a\"): Permission denied; the file is as it was before"))
        << saveAll.toStdString();
    EXPECT_FALSE(folder.files.count("MEM_Quelm.ini"));
}

TEST_F(MemoryFixture, NoTwoSheetsWriteTheSameFile)
{
    load();
    memory->cmadd_Click();
    memory->cmadd_Click();
    EXPECT_EQ(sheetNames(), QStringList({"bank 3", "bank 2", "bank 1", "Quelm"}));
    QString why;
    EXPECT_FALSE(memory->renameBank(1, QStringLiteral("Bank 1"), &why));
    EXPECT_TRUE(why.contains("already")) << why.toStdString();
    EXPECT_TRUE(memory->renameBank(1, QStringLiteral("2m repeaters"), &why));
    memory->cmadd_Click();
    EXPECT_EQ(book().sheetName(1), QStringLiteral("bank 3"));
    memory->cmSaveAll_Click();
    EXPECT_EQ(folder.files.size(), 5u);
}

// ---- A bank file that no sheet shows whole is never written over unasked

namespace {

// A radio bank file that holds channels the editor never saw.
QByteArray keptRadioFile()
{
    QByteArray all = "RPT R6,145750,FM,,,,88.5,DUP-,Yes\r\n";
    for (int i = 1; i < 99; ++i)
        all += ",,,,,,,,\r\n";
    return all;
}

// 160 channels of a bank of one's own, ten more than a sheet has rows.
QByteArray longUserFile()
{
    QByteArray all;
    for (int n = 1; n <= 160; ++n)
        all += QStringLiteral("Ch %1,%2,USB\r\n").arg(n).arg(14000 + n).toLatin1();
    return all;
}

// MEM_Quelm.ini copied byte for byte as a backup: nine fields a line, 99 lines.
QByteArray radioCopy()
{
    QByteArray all = "RPT R6,145750,FM,,,,88.5,DUP-,Yes\r\n"
                     "Calling 2m,145500,FM,,,,,,No\r\n"
                     "Split 20m,14195,USB,,14225,USB,,,Yes\r\n";
    for (int i = 3; i < 99; ++i)
        all += ",,,,,,,,\r\n";
    return all;
}

struct NotShownFile {
    const char* what;
    const char* file;
    const char* bank;
    QByteArray bytes;
    bool unreadable;
    const char* left;    // what the question says was left out
    QByteArray written;  // the file after a Yes
};

QByteArray firstLines(const QByteArray& all, int lines)
{
    qsizetype end = 0;
    for (int i = 0; i < lines; ++i)
        end = all.indexOf('\n', end) + 1;
    return all.left(end);
}

} // namespace

TEST_F(MemoryFixture, ABankFileNoSheetShowsWholeIsReplacedOnlyAfterAYes)
{
    const NotShownFile files[] = {
        {"unread", "MEM_Quelm.ini", "Quelm", keptRadioFile(), true, "", {}},
        {"lines past the last row", "MEM_Big.ini", "Big", longUserFile(), false,
         "10 line(s) after line 150 left out", firstLines(longUserFile(), 150)},
        {"a frequency that is no number", "MEM_Odd.ini", "Odd", "Beacon,28200,CW\r\nNet,14.2O0,USB\r\nRpt,145600,FM\r\n",
         false, "line 2: field 2 \"14.2O0\" is not a number", "Beacon,28200,CW\r\nRpt,145600,FM\r\n"},
        {"fields past the sheet's columns", "MEM_Backup.ini", "Backup", radioCopy(), false,
         "fields after field 3 left out on 3 line(s) (first: line 1): the sheet has 3 columns",
         "RPT R6,145750,FM\r\nCalling 2m,145500,FM\r\nSplit 20m,14195,USB\r\n"},
        {"text without a frequency", "MEM_Nets.ini", "Nets", "Beacon,28200,CW\r\nNet Sun 0900 UTC see 3.760,,LSB\r\n",
         false, "1 line(s) with text but no frequency (first: line 2)", "Beacon,28200,CW\r\n"},
    };
    for (const NotShownFile& file : files) {
        for (const bool saveAll : {false, true}) {
            for (const bool yes : {false, true}) {
                const std::string what = std::string(file.what) + (saveAll ? ", Save all" : ", Save bank") +
                                         (yes ? ", Yes" : ", No");
                memory.reset();
                folder.files.clear();
                folder.unreadable.clear();
                put(file.file, file.bytes);
                if (file.unreadable)
                    folder.unreadable.insert(file.file);
                put("MEM_a.ini", "old,1,USB\r\n");
                fake.messages.questions.clear();
                fake.messages.criticals.clear();
                load();
                folder.unreadable.clear();  // the operator could replace it, so the editor may too
                sheetNamed("a").setText(1, 1, QStringLiteral("new"));
                showSheet(file.bank);
                fake.messages.answer = yes;
                saveAll ? memory->cmSaveAll_Click() : memory->cmSave_Click();

                ASSERT_EQ(fake.messages.questions.size(), 1) << what;
                const QString question = fake.messages.questions[0];
                EXPECT_TRUE(question.contains(file.file)) << what;
                EXPECT_TRUE(question.contains(file.left)) << what << "\n" << question.toStdString();
                if (yes && !file.unreadable) {
                    EXPECT_EQ(folder.files[file.file], file.written) << what;
                } else {
                    EXPECT_EQ(folder.files[file.file] == file.bytes, !yes) << what;
                }
                if (saveAll) {
                    EXPECT_EQ(folder.files["MEM_a.ini"], QByteArray("new,1,USB\r\n")) << what;
                }
                EXPECT_TRUE(fake.messages.criticals.isEmpty()) << what;

                // Once answered Yes the file holds the sheet, and saving it again needs no question.
                showSheet(file.bank);
                memory->cmSave_Click();
                EXPECT_EQ(fake.messages.questions.size(), yes ? 1 : 2) << what;
            }
        }
    }
}

TEST_F(MemoryFixture, SaveAllCountsAFileKeptAfterANoAsNotSaved)
{
    const QByteArray radioPastTheLastRow = keptRadioFile() + "RPT R7,145775,FM,,,,88.5,DUP-,Yes\r\n";
    const struct {
        const char* what;
        std::map<QString, QByteArray> files;
        const char* failing;
        const char* summary;
        QStringList listed;
        bool othersSaved;
    } cases[] = {
        {"one kept, one failed, two saved",
         {{"MEM_Big.ini", longUserFile()}, {"MEM_a.ini", "old a,1,USB\r\n"}, {"MEM_b.ini", "old b,2,USB\r\n"}},
         "MEM_a.ini", "2 of 4 banks were not saved:\n",
         {"MEM_Big.ini (bank \"Big\"): you answered No; the file is kept as it was",
          "MEM_a.ini (bank \"a\"): No space left on device; the file is as it was before"},
         true},
        {"the only bank failed", {{"MEM_Quelm.ini", keptRadioFile()}}, "MEM_Quelm.ini",
         "1 of 1 banks were not saved:\n", {"MEM_Quelm.ini (bank \"Quelm\"): No space left on device"}, false},
        {"one kept and the other failed",
         {{"MEM_Quelm.ini", radioPastTheLastRow}, {"MEM_a.ini", "old a,1,USB\r\n"}}, "MEM_a.ini",
         "2 of 2 banks were not saved:\n",
         {"MEM_Quelm.ini (bank \"Quelm\"): you answered No", "MEM_a.ini (bank \"a\"): No space"}, false},
    };
    for (const auto& c : cases) {
        memory.reset();
        folder.files = c.files;
        folder.failBeforeRename = {c.failing};
        fake.messages.criticals.clear();
        load();
        fake.messages.answer = false;
        memory->cmSaveAll_Click();
        ASSERT_EQ(fake.messages.criticals.size(), 1) << c.what;
        const QString summary = fake.messages.criticals[0];
        EXPECT_TRUE(summary.startsWith(c.summary)) << c.what << "\n" << summary.toStdString();
        for (const QString& line : c.listed)
            EXPECT_TRUE(summary.contains(line)) << c.what << ": " << line.toStdString() << "\n" << summary.toStdString();
        EXPECT_EQ(summary.contains("The other banks were saved."), c.othersSaved) << c.what;
        for (const auto& [name, bytes] : c.files)
            EXPECT_EQ(folder.files[name], bytes) << c.what << ": " << name.toStdString();
    }
}

TEST_F(MemoryFixture, ABankFileReadWholeIsReplacedWithoutAQuestion)
{
    put("MEM_a.ini", "old,1,USB\r\n\r\n\r\n");
    load();
    showSheet("a");
    sheet().setText(1, 1, QStringLiteral("new"));
    memory->cmSaveAll_Click();
    EXPECT_TRUE(fake.messages.questions.isEmpty());
    EXPECT_EQ(folder.files["MEM_a.ini"], QByteArray("new,1,USB\r\n"));
}

TEST_F(MemoryFixture, TheDefaultSheetAsksBeforeItTakesAnUnreadFileOfItsName)
{
    put("MEM_bank 1.ini", "kept,14074,USB\r\n");
    folder.unreadable.insert("MEM_bank 1.ini");
    load();
    folder.unreadable.clear();
    ASSERT_EQ(sheetNames(), QStringList({"bank 1", "Quelm"}));
    memory->cmSaveAll_Click();
    EXPECT_EQ(fake.messages.questions.size(), 1);
    EXPECT_EQ(folder.files["MEM_bank 1.ini"], QByteArray("kept,14074,USB\r\n"));
    EXPECT_TRUE(folder.files.count("MEM_Quelm.ini"));
}

TEST_F(MemoryFixture, AddNewBankTakesNoNameWithAFileBehindIt)
{
    put("MEM_a.ini", "a,1,USB\r\n");
    put("MEM_bank 1.ini", "kept,14074,USB\r\n");
    put("MEM_Bank 2.ini", "kept too,7050,LSB\r\n");
    folder.unreadable = {"MEM_bank 1.ini", "MEM_Bank 2.ini"};
    load();
    folder.unreadable.clear();
    memory->cmadd_Click();
    EXPECT_EQ(book().sheetName(1), QStringLiteral("bank 3"));
    memory->cmSaveAll_Click();
    EXPECT_TRUE(fake.messages.questions.isEmpty());
    EXPECT_EQ(folder.files["MEM_bank 1.ini"], QByteArray("kept,14074,USB\r\n"));
}

TEST_F(MemoryFixture, ARenameTakesNoNameWhoseFileTheSheetDidNotComeFrom)
{
    put("MEM_x.ini", "kept x,14074,USB\r\n");
    put("MEM_y.ini", "kept y,7050,LSB\r\n");
    folder.unreadable.insert("MEM_y.ini");
    load();
    folder.unreadable.clear();
    showSheet("x");
    memory->cmDelete_Click();  // the sheet goes, its file stays
    memory->cmadd_Click();
    ASSERT_EQ(book().sheetName(1), QStringLiteral("bank 1"));

    const std::pair<const char*, const char*> taken[] = {
        {"x", "MEM_x.ini"},  // the file of a deleted bank
        {"X", "MEM_x.ini"},  // the same file where letter case does not count
        {"y", "MEM_y.ini"},  // a file the load could not read
    };
    for (const auto& [name, file] : taken) {
        QString why;
        EXPECT_FALSE(memory->renameBank(1, QString::fromLatin1(name), &why)) << name;
        EXPECT_TRUE(why.contains(QString::fromLatin1(file))) << name << ": " << why.toStdString();
        EXPECT_EQ(book().sheetName(1), QStringLiteral("bank 1")) << name;
    }
    sheet().setNumber(1, 2, 28200);
    memory->cmSaveAll_Click();
    EXPECT_EQ(folder.files["MEM_x.ini"], QByteArray("kept x,14074,USB\r\n"));
    EXPECT_EQ(folder.files["MEM_y.ini"], QByteArray("kept y,7050,LSB\r\n"));
    EXPECT_EQ(folder.files["MEM_bank 1.ini"], QByteArray(",28200,\r\n"));
}

TEST_F(MemoryFixture, ABankMayTakeBackTheNameOfTheFileItCameFromOrWrote)
{
    put("MEM_x.ini", "kept x,14074,USB\r\n");
    load();
    const int x = 1;  // the first file takes the first sheet
    ASSERT_EQ(book().sheetName(x), QStringLiteral("x"));
    QString why;
    EXPECT_TRUE(memory->renameBank(x, QStringLiteral("x2"), &why)) << why.toStdString();
    memory->cmSave_Click();
    EXPECT_TRUE(memory->renameBank(x, QStringLiteral("x"), &why)) << why.toStdString();
    EXPECT_TRUE(memory->renameBank(x, QStringLiteral("x2"), &why)) << why.toStdString();
    // Another spelling would write a second file beside it.
    EXPECT_FALSE(memory->renameBank(x, QStringLiteral("X"), &why));
}

TEST_F(MemoryFixture, ABankMayChangeTheLetterCaseOfItsOwnNameButTakesNoOtherFile)
{
    put("MEM_part.ini", "kept,14074,USB\r\n");
    put("MEM_X.ini", "X,14074,USB\r\n");
    put("MEM_x.ini", "x,7050,LSB\r\n");
    put("MEM_q.ini", "q,3760,LSB\r\n");
    put("MEM_Q.ini", "kept,3500,CW\r\n");
    folder.unreadable.insert("MEM_Q.ini");
    load();
    folder.unreadable.clear();
    ASSERT_TRUE(memory->renameBank(sheetNumber("x"), QStringLiteral("tmp")));

    const struct {
        const char* from;
        const char* to;
        const char* taken;  // the file that refuses the name, if any
    } cases[] = {
        {"part", "Part", nullptr},
        {"Part", "PART", nullptr},
        {"X", "x", "MEM_x.ini"},  // the file of the sheet now named "tmp"
        {"q", "Q", "MEM_Q.ini"},  // a file no sheet shows
    };
    for (const auto& c : cases) {
        QString why;
        EXPECT_EQ(memory->renameBank(sheetNumber(c.from), QString::fromLatin1(c.to), &why), !c.taken)
            << c.to << ": " << why.toStdString();
        if (c.taken) {
            EXPECT_TRUE(why.contains(QString::fromLatin1(c.taken))) << c.to << ": " << why.toStdString();
        }
    }
    showSheet("PART");
    memory->cmSave_Click();
    EXPECT_EQ(folder.files["MEM_PART.ini"], QByteArray("kept,14074,USB\r\n"));
    EXPECT_EQ(folder.files["MEM_Q.ini"], QByteArray("kept,3500,CW\r\n"));
    EXPECT_TRUE(fake.messages.criticals.isEmpty());
}

TEST_F(MemoryFixture, TheRealQuestionAnswersNoToEnter)
{
    put("MEM_Quelm.ini", keptRadioFile());
    folder.unreadable.insert("MEM_Quelm.ini");
    QtMessageBox boxes;
    Platform asking{fake.serial, fake.clock, fake.events, fake.waits, fake.settings, boxes, fake.wave,
                    fake.platform.programFolder};
    // Enter on every box: the load's warning, then the question.
    QStringList asked;
    QTimer enter;
    QObject::connect(&enter, &QTimer::timeout, [&asked] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (box->button(QMessageBox::No))
                asked << box->text();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    enter.start(10);
    Memory editor(asking, folder, radio);
    editor.Form_Load();
    folder.unreadable.clear();
    editor.cmSaveAll_Click();
    enter.stop();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("MEM_Quelm.ini")) << asked[0].toStdString();
    EXPECT_EQ(folder.files["MEM_Quelm.ini"], keptRadioFile());
}
