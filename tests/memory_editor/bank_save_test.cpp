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

// ---- A bank file that could not be read is never written over unasked

namespace {

// A radio bank file that holds channels the editor never saw.
QByteArray keptRadioFile()
{
    QByteArray all = "RPT R6,145750,FM,,,,88.5,DUP-,Yes\r\n";
    for (int i = 1; i < 99; ++i)
        all += ",,,,,,,,\r\n";
    return all;
}

} // namespace

TEST_F(MemoryFixture, AnUnreadBankFileIsReplacedOnlyAfterAYes)
{
    struct Case {
        const char* what;
        bool saveAll;
        bool yes;
    };
    const Case cases[] = {
        {"Save bank, No", false, false},
        {"Save bank, Yes", false, true},
        {"Save all, No", true, false},
        {"Save all, Yes", true, true},
    };
    for (const Case& c : cases) {
        folder.files.clear();
        folder.unreadable = {"MEM_Quelm.ini"};
        put("MEM_Quelm.ini", keptRadioFile());
        put("MEM_a.ini", "old,1,USB\r\n");
        fake.messages.questions.clear();
        fake.messages.criticals.clear();
        fake.messages.warnings.clear();
        load();
        folder.unreadable.clear();  // the operator could replace it, so the editor may too
        sheetNamed("a").setText(1, 1, QStringLiteral("new"));
        showSheet("Quelm");
        fake.messages.answer = c.yes;
        c.saveAll ? memory->cmSaveAll_Click() : memory->cmSave_Click();

        ASSERT_EQ(fake.messages.questions.size(), 1) << c.what;
        EXPECT_TRUE(fake.messages.questions[0].contains("MEM_Quelm.ini")) << c.what;
        EXPECT_EQ(folder.files["MEM_Quelm.ini"] == keptRadioFile(), !c.yes) << c.what;
        if (c.saveAll) {
            EXPECT_EQ(folder.files["MEM_a.ini"], QByteArray("new,1,USB\r\n")) << c.what;
        }
        EXPECT_TRUE(fake.messages.criticals.isEmpty()) << c.what;

        // Once answered Yes the file holds the sheet, and saving it again needs no question.
        showSheet("Quelm");
        memory->cmSave_Click();
        EXPECT_EQ(fake.messages.questions.size(), c.yes ? 1 : 2) << c.what;
    }
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
