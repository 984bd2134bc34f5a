// Editing: the right-button lists chosen by the selected columns and the
// values they write, the row commands of user banks, adding, deleting and
// renaming banks, the typing guard and the click into editing.

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QTabBar>
#include <QTimer>
#include <QTest>
#include <QToolButton>

#include "memory_editor/column_list.h"
#include "memory_editor/sheet_view.h"
#include "memory_fixture.h"

using namespace quelm;

namespace {

struct Editing : MemoryFixture {
    void SetUp() override
    {
        put("MEM_user.ini", "");
        load();
        showSheet("Quelm");
    }
    void fillUser(int rows)
    {
        showSheet("user");
        for (int r = 1; r <= sheet().maxRow(); ++r)
            for (int c = 1; c <= 3; ++c)
                sheet().clearCell(r, c);
        for (int r = 1; r <= rows; ++r) {
            sheet().setText(r, 1, QStringLiteral("row %1").arg(r));
            sheet().setNumber(r, 2, 1000 + r);
            sheet().setText(r, 3, QStringLiteral("USB"));
        }
    }
};

} // namespace

TEST_F(Editing, TheSelectedColumnsChooseTheList)
{
    const struct {
        int c1, c2;
        const char* list;
    } cases[] = {
        {3, 3, "ModoMenu"}, {6, 6, "ModoMenu"}, {4, 4, "SubMenu"}, {7, 7, "SubMenu"}, {8, 8, "DumMenu"},
        {9, 9, "FlagMenu"}, {3, 4, ""},         {1, 1, ""},        {2, 2, ""},        {5, 5, ""},
        {8, 9, ""},
    };
    for (const auto& c : cases) {
        book().select(2, c.c1, 5, c.c2);
        QMenu* open = rightPress();
        EXPECT_EQ(open ? open->title() : QString(), QString::fromLatin1(c.list)) << c.c1 << ".." << c.c2;
    }
    // Whole rows: the row list on a user bank, nothing on the radio bank.
    book().select(4, 1, 6, 9);
    EXPECT_EQ(rightPress(), nullptr);
    showSheet("user");
    book().select(4, 1, 6, 3);
    EXPECT_EQ(rightPress(), memory->RM);
    // The left button opens nothing.
    memory->F1Book1_MouseDown(Qt::LeftButton, {}, {});
    EXPECT_FALSE(memory->RM->isVisible());
}

TEST_F(Editing, AChosenModeGoesIntoEverySelectedRow)
{
    book().select(2, 3, 5, 3);
    ASSERT_EQ(rightPress(), memory->MM);
    memory->cmModo[2]->trigger();
    EXPECT_EQ(column(sheet(), 3, 1, 6), QStringList({"", "CW", "CW", "CW", "CW", ""}));
    EXPECT_EQ(column(sheet(), 2, 2, 5), QStringList({"", "", "", ""}));
}

TEST_F(Editing, DuplexEmptiesTheTxColumnButItsEmptyItemDoesNot)
{
    for (int r = 10; r <= 12; ++r) {
        sheet().setNumber(r, 5, 145000);
        sheet().setText(r, 8, QStringLiteral("DUP+"));
    }
    book().select(10, 8, 12, 8);
    ASSERT_EQ(rightPress(), memory->DM);
    memory->cmDup[2]->trigger();
    EXPECT_EQ(column(sheet(), 8, 10, 12), QStringList({"DUP-", "DUP-", "DUP-"}));
    EXPECT_EQ(column(sheet(), 5, 10, 12), QStringList({"", "", ""}));

    sheet().setNumber(11, 5, 145000);
    memory->cmDup[0]->trigger();
    EXPECT_EQ(column(sheet(), 8, 10, 12), QStringList({"", "", ""}));
    EXPECT_EQ(sheet().text(11, 5), QStringLiteral("145000"));
}

TEST_F(Editing, SubtonesAreNumbersAndNoneReadsAsZero)
{
    book().select(1, 4, 2, 4);
    ASSERT_EQ(rightPress(), memory->SM);
    emit memory->SM->chosen(8);
    EXPECT_EQ(sheet().text(1, 4), QStringLiteral("88.5"));
    EXPECT_DOUBLE_EQ(sheet().number(2, 4), 88.5);
    memory->SM->button(50)->click();
    EXPECT_EQ(sheet().text(1, 4), QStringLiteral("none"));
    EXPECT_EQ(sheet().number(1, 4), 0);
}

TEST_F(Editing, AWholeColumnTakesTheValueOnTheSheetsOwnRowsOnly)
{
    book().select(1, 9, 99, 9);
    ASSERT_EQ(book().selection().lastRow, SheetBook::kWholeColLastRow);
    ASSERT_EQ(rightPress(), memory->FM);
    memory->cmYesNo[1]->trigger();
    EXPECT_EQ(sheet().text(1, 9), QStringLiteral("Yes"));
    EXPECT_EQ(sheet().text(99, 9), QStringLiteral("Yes"));
    EXPECT_EQ(sheet().maxRow(), 99);
}

TEST_F(Editing, RowCommandsOnRowsFourToSix)
{
    const auto rows = [&] { return column(sheet(), 1, 1, 10).join(QLatin1Char('|')); };

    fillUser(10);
    book().select(4, 1, 6, 3);
    memory->cmaddRowAfter->trigger();
    EXPECT_EQ(rows(), QStringLiteral("row 1|row 2|row 3|row 4|row 5|row 6||||row 7"));

    fillUser(10);
    book().select(4, 1, 6, 3);
    memory->cmAddRowBefore->trigger();
    EXPECT_EQ(rows(), QStringLiteral("row 1|row 2|row 3||||row 4|row 5|row 6|row 7"));
    EXPECT_DOUBLE_EQ(sheet().number(7, 2), 1004);

    fillUser(10);
    book().select(4, 1, 6, 3);
    memory->cmDeleteRow->trigger();
    EXPECT_EQ(rows(), QStringLiteral("row 1|row 2|row 3|row 7|row 8|row 9|row 10|||"));
    // The user layout stands again down to the last row.
    EXPECT_TRUE(sheet().isFixed2(150, 2));
    EXPECT_FALSE(sheet().locked(150, 1));
    EXPECT_TRUE(allMessages().isEmpty());
}

TEST_F(Editing, AddingRowsNeverPushesFilledRowsOffTheEnd)
{
    fillUser(150);
    book().select(4, 1, 6, 3);
    memory->cmAddRowBefore_Click();
    EXPECT_EQ(sheet().text(150, 1), QStringLiteral("row 150"));
    EXPECT_EQ(sheet().text(4, 1), QStringLiteral("row 4"));
    ASSERT_EQ(fake.messages.warnings.size(), 1);
    EXPECT_TRUE(fake.messages.warnings[0].contains("past row 150"));

    sheet().setText(150, 1, QString());
    sheet().setText(150, 2, QString());
    sheet().setText(150, 3, QString());
    book().select(149, 1, 150, 3);
    memory->cmaddRowAfter_Click();
    EXPECT_EQ(fake.messages.warnings.size(), 2);
    EXPECT_EQ(sheet().text(149, 1), QStringLiteral("row 149"));
}

TEST_F(Editing, RowCommandsLeaveTheRadioBankAlone)
{
    for (int r = 1; r <= 99; ++r)
        sheet().setNumber(r, 2, 145000 + r);
    book().select(4, 1, 6, 9);
    memory->cmDeleteRow_Click();
    memory->cmAddRowBefore_Click();
    memory->cmaddRowAfter_Click();
    EXPECT_DOUBLE_EQ(sheet().number(4, 2), 145004);
    EXPECT_EQ(sheet().maxCol(), 9);
    EXPECT_EQ(sheet().maxRow(), 99);
}

TEST_F(Editing, AddNewBankComesFirstInTheUserLayoutWithTheRadioItemsHidden)
{
    leftRelease();
    ASSERT_TRUE(memory->cmRetrieve->isVisible());
    memory->cmadd->trigger();
    EXPECT_EQ(sheetNames(), QStringList({"bank 1", "user", "Quelm"}));
    EXPECT_EQ(book().currentSheet(), 1);
    EXPECT_EQ(sheet().maxCol(), 3);
    EXPECT_EQ(sheet().maxRow(), 150);
    EXPECT_EQ(sheet().columnHeading(2), QStringLiteral("VFO A"));
    EXPECT_FALSE(memory->cmRetrieve->isVisible());
    EXPECT_FALSE(memory->cmSendSelected->isVisible());
}

TEST_F(Editing, DeleteBankRemovesTheCurrentSheetOnlyAndNeverTheLast)
{
    memory->cmadd_Click();
    memory->cmadd_Click();
    showSheet("bank 1");
    memory->cmDelete->trigger();
    EXPECT_EQ(sheetNames(), QStringList({"bank 2", "user", "Quelm"}));
    // The radio bank goes like any other; its file brings it back at the next load.
    showSheet("Quelm");
    leftRelease();
    memory->cmDelete_Click();
    EXPECT_EQ(sheetNames(), QStringList({"bank 2", "user"}));
    EXPECT_FALSE(memory->cmRetrieve->isVisible());
    memory->cmDelete_Click();
    memory->cmDelete_Click();
    EXPECT_EQ(book().sheetCount(), 1);
    EXPECT_EQ(fake.messages.warnings, QStringList({"The last sheet cannot be deleted."}));
    EXPECT_TRUE(folder.files.count("MEM_user.ini"));
}

TEST_F(Editing, RenamingKeepsTheRadioBankOne)
{
    QString why;
    EXPECT_FALSE(memory->renameBank(1, QStringLiteral("Quelm"), &why));
    EXPECT_FALSE(memory->renameBank(2, QStringLiteral("mine"), &why));
    EXPECT_TRUE(why.contains("radio bank keeps its name")) << why.toStdString();
    EXPECT_FALSE(memory->renameBank(1, QStringLiteral("a/b"), &why));
    EXPECT_EQ(sheetNames(), QStringList({"user", "Quelm"}));

    // Without a radio bank a user bank may become it, taking its layout.
    memory->cmDelete_Click();
    showSheet("user");
    sheet().setText(1, 1, QStringLiteral("kept"));
    sheet().setNumber(120, 2, 14074);
    EXPECT_FALSE(memory->renameBank(1, QStringLiteral("Quelm"), &why));
    EXPECT_TRUE(why.contains("100 to 150")) << why.toStdString();
    sheet().clearCell(120, 2);
    EXPECT_TRUE(memory->renameBank(1, QStringLiteral("Quelm"), &why)) << why.toStdString();
    EXPECT_EQ(sheet().maxCol(), 9);
    EXPECT_EQ(sheet().maxRow(), 99);
    EXPECT_EQ(sheet().text(1, 1), QStringLiteral("kept"));
}

TEST_F(Editing, DoubleClickingATabAsksForTheNewName)
{
    memory->show();
    auto answer = [](const QString& name) {
        QTimer::singleShot(0, [name] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->setTextValue(name);
            dialog->accept();
        });
    };
    QTabBar* tabs = book().tabs();
    answer(QStringLiteral("2m repeaters"));
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(sheetNames(), QStringList({"2m repeaters", "Quelm"}));
    answer(QStringLiteral("a:b"));
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(sheetNames(), QStringList({"2m repeaters", "Quelm"}));
    ASSERT_EQ(fake.messages.warnings.size(), 1);
    EXPECT_TRUE(fake.messages.warnings[0].contains(":")) << fake.messages.warnings[0].toStdString();
}

TEST_F(Editing, TypingGuardRefusesTheListColumns)
{
    for (int col = 1; col <= 9; ++col) {
        book().setActiveCell(3, col);
        QString text;
        bool cancel = false;
        memory->F1Book1_StartEdit(text, cancel);
        EXPECT_EQ(cancel, col != 1 && col != 2 && col != 5) << col;
    }
    showSheet("user");
    book().setActiveCell(3, 3);
    QString text;
    bool cancel = false;
    memory->F1Book1_StartEdit(text, cancel);
    EXPECT_TRUE(cancel);
}

TEST_F(Editing, AClickPutsATypedCellStraightIntoEditingButNotAListCell)
{
    memory->show();
    SheetView* v = book().view();
    auto clickAt = [&](int row, int col) {
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(sheet().index(row - 1, col - 1)).center());
    };
    clickAt(2, 9);
    EXPECT_FALSE(v->editing());
    clickAt(2, 1);
    EXPECT_TRUE(v->editing());
    QLineEdit* editor = v->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "Rpt, R6");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet().text(2, 1), QStringLiteral("Rpt R6"));
}
