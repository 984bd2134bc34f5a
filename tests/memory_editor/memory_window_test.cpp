// The Memory window: which sheets the load gives for the bank files present,
// the two layouts, the menus and lists, resizing, placement, and closing.

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

#include "memory_editor/sheet_view.h"

#include "memory_editor/column_list.h"
#include "memory_fixture.h"
#include "window_support/form_pos.h"

using namespace quelm;

namespace {

struct LoadCase {
    const char* what;
    std::vector<const char*> files;
    QStringList sheets;  // names, in order
    QString current;
};

QByteArray radioLine(const char* line)
{
    QByteArray all;
    for (int i = 0; i < 99; ++i)
        all += i == 0 ? QByteArray(line) + "\r\n" : QByteArray(",,,,,,,,\r\n");
    return all;
}

} // namespace

TEST_F(MemoryFixture, LoadGivesOneSheetPerBankFileAndTheRadioBank)
{
    const std::vector<LoadCase> cases = {
        {"no bank file", {}, {"bank 1", "Quelm"}, "Quelm"},
        {"only the radio bank", {"MEM_Quelm.ini"}, {"Quelm"}, "Quelm"},
        {"another letter case is a user bank", {"MEM_quelm.ini"}, {"quelm", "Quelm"}, "Quelm"},
        {"name order, radio bank in between", {"MEM_z.ini", "MEM_Quelm.ini", "MEM_A.ini"}, {"A", "Quelm", "z"}, "z"},
        {"not bank files", {"MEM.ini", "quelm.ini", "MEM_b.ini"}, {"b", "Quelm"}, "Quelm"},
    };
    for (const LoadCase& c : cases) {
        folder.files.clear();
        for (const char* f : c.files)
            put(f, "");
        load();
        EXPECT_EQ(sheetNames(), c.sheets) << c.what;
        EXPECT_EQ(book().sheetName(book().currentSheet()), c.current) << c.what;
        for (int n = 1; n <= book().sheetCount(); ++n) {
            const bool radio = book().sheetName(n) == QLatin1String("Quelm");
            EXPECT_EQ(book().sheet(n)->maxCol(), radio ? 9 : 3) << c.what << " sheet " << n;
            EXPECT_EQ(book().sheet(n)->maxRow(), radio ? 99 : 150) << c.what << " sheet " << n;
        }
    }
    // "MEM.ini" is named in a message; nothing else is.
    EXPECT_EQ(fake.messages.warnings.size(), 1);
    EXPECT_TRUE(fake.messages.warnings.value(0).contains("MEM.ini"));
}

TEST_F(MemoryFixture, BankFileContentsFillTheirSheets)
{
    put("MEM_Quelm.ini", radioLine("RPT R6,145750,FM,,,,88.5,DUP-,Yes"));
    put("MEM_A.ini", "Beacon,28200,CW\r\n\r\nNet,7050.5,LSB\r\n");
    load();
    SheetModel& a = sheetNamed("A");
    EXPECT_EQ(column(a, 1, 1, 3), QStringList({"Beacon", "", "Net"}));
    EXPECT_DOUBLE_EQ(a.number(3, 2), 7050.5);
    EXPECT_EQ(a.shownText(3, 2), QStringLiteral("7,050.50"));
    SheetModel& radio = sheetNamed("Quelm");
    EXPECT_EQ(radio.text(1, 1), QStringLiteral("RPT R6"));
    EXPECT_EQ(radio.shownText(1, 2), QStringLiteral("145,750.00"));
    EXPECT_DOUBLE_EQ(radio.number(1, 7), 88.5);
    EXPECT_EQ(radio.text(1, 9), QStringLiteral("Yes"));
}

TEST_F(MemoryFixture, DamagedBankFilesAreToldFileByFileAndTheRestLoads)
{
    put("MEM_bad.ini", "a,not a number,USB\r\n" + QByteArray(160, '\n') + "past the end,1,USB\r\n");
    put("MEM_gone.ini", "x,1,USB\r\n");
    folder.unreadable.insert("MEM_gone.ini");
    put("MEM_good.ini", "y,14074,USB\r\n");
    load();
    EXPECT_EQ(sheetNames(), QStringList({"bad", "good", "Quelm"}));
    EXPECT_EQ(sheetNamed("bad").text(1, 1), QStringLiteral("a"));
    EXPECT_EQ(sheetNamed("bad").text(1, 2), QString());
    EXPECT_DOUBLE_EQ(sheetNamed("good").number(1, 2), 14074);
    ASSERT_EQ(fake.messages.warnings.size(), 2);
    EXPECT_TRUE(fake.messages.warnings[0].contains("MEM_bad.ini"));
    EXPECT_TRUE(fake.messages.warnings[0].contains("\"not a number\" is not a number"));
    EXPECT_TRUE(fake.messages.warnings[0].contains("left out: the sheet has 150 rows"));
    EXPECT_TRUE(fake.messages.warnings[1].contains("MEM_gone.ini"));
    EXPECT_TRUE(fake.messages.criticals.isEmpty());
}

TEST_F(MemoryFixture, ARadioBankFileEndingInAnEmptyLineLoadsUntold)
{
    put("MEM_Quelm.ini", radioLine("RPT R6,145750,FM,,,,88.5,DUP-,Yes") + "\r\n");
    load();
    EXPECT_EQ(sheetNamed("Quelm").text(1, 1), QStringLiteral("RPT R6"));
    EXPECT_TRUE(allMessages().isEmpty()) << allMessages().join(" / ").toStdString();
}

TEST_F(MemoryFixture, LayoutsOfTheTwoKindsOfBank)
{
    load();
    const SheetModel& user = sheetNamed("bank 1");
    const SheetModel& radio = sheetNamed("Quelm");
    QStringList headings;
    for (int c = 1; c <= 9; ++c)
        headings << radio.columnHeading(c);
    EXPECT_EQ(headings, QStringList({"Description", "RX", "Mode", "Subtone", "TX", "Mode", "Subtone", "DUP", "Scan"}));
    EXPECT_EQ(QStringList({user.columnHeading(1), user.columnHeading(2), user.columnHeading(3)}),
              QStringList({"Description", "VFO A", "Mode A"}));

    auto fixed = [](const SheetModel& s, int col) { return s.isFixed2(1, col) && s.isFixed2(s.maxRow(), col); };
    auto unlocked = [](const SheetModel& s, int col) { return !s.locked(1, col) && !s.locked(s.maxRow(), col); };
    for (int c = 1; c <= 9; ++c) {
        EXPECT_EQ(fixed(radio, c), c == 2 || c == 5) << c;
        EXPECT_EQ(unlocked(radio, c), c == 1 || c == 2 || c == 5) << c;
    }
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(fixed(user, c), c == 2) << c;
        EXPECT_EQ(unlocked(user, c), c <= 2) << c;
    }
    EXPECT_EQ(radio.alignment(7, 1), Qt::AlignLeft);
    EXPECT_EQ(radio.alignment(7, 5), Qt::AlignRight);
    EXPECT_EQ(radio.columnWidth(1), 8000);
    EXPECT_EQ(radio.columnWidth(5), 3000);
    // The view keeps the widths' ratio.
    book().setCurrentSheet(book().sheetCount());
    const double ratio = double(book().view()->columnWidth(0)) / book().view()->columnWidth(1);
    EXPECT_NEAR(ratio, 8000.0 / 3000.0, 0.1);
}

TEST_F(MemoryFixture, AFormatKeepsTheCellsAndTheActiveCell)
{
    put("MEM_A.ini", "Beacon,28200,CW\r\n");
    load();
    showSheet("A");
    book().setActiveCell(5, 2);
    short sn = 0;
    memory->FormatSheet(sn);
    EXPECT_EQ(sheet().text(1, 1), QStringLiteral("Beacon"));
    EXPECT_EQ(book().activeRow(), 5);
    EXPECT_EQ(book().activeCol(), 2);
    EXPECT_EQ(book().selection(), (SheetBook::Selection{1, 1, 1, 1}));
}

TEST_F(MemoryFixture, MenusAndListsInTheirOrder)
{
    load();
    QStringList bar;
    for (QAction* a : memory->MenuBar->actions())
        bar << a->text() + (a->isVisible() ? "" : " (hidden)");
    EXPECT_EQ(bar, QStringList({"Save all", "Save bank", "Add new bank", "Delete bank", "Retrieve  from TRX (hidden)",
                                "Send to TRX (hidden)", "Send selected to TRX (hidden)"}));
    QStringList modes;
    for (QAction* a : memory->cmModo)
        modes << a->text();
    EXPECT_EQ(modes, QStringList({"USB", "LSB", "CW", "RTTY", "CW-R", "RTTY-R", "FM", "AM"}));
    QStringList rows;
    for (QAction* a : memory->RM->actions())
        rows << a->text();
    EXPECT_EQ(rows, QStringList({"Delete row(s)", "Add row(s) before", "Add row(s) after"}));

    const QList<QStringList> columns = memory->SM->columns();
    ASSERT_EQ(columns.size(), 5);
    EXPECT_EQ(columns[0].size(), 10);
    EXPECT_EQ(columns[3].size(), 10);
    EXPECT_EQ(columns[4].size(), 11);
    EXPECT_EQ(columns[0].front(), QStringLiteral("67.0"));
    EXPECT_EQ(columns[4].front(), QStringLiteral("203.5"));
    EXPECT_EQ(columns[4].back(), QStringLiteral("none"));
    // The items of a column stand one below the other, the columns side by side.
    memory->SM->popup(QPoint(0, 0));
    EXPECT_EQ(memory->SM->button(10)->x(), memory->SM->button(19)->x());
    EXPECT_GT(memory->SM->button(10)->x(), memory->SM->button(9)->x());
    EXPECT_LT(memory->SM->button(10)->y(), memory->SM->button(9)->y());
    memory->SM->hide();

    EXPECT_EQ(memory->StatusBar1->findChild<QLabel*>()->text(),
              QStringLiteral("Select row(s) or Mode,Subtone,DUP,Scan cell(s) + right button for context menu"));
    EXPECT_EQ(memory->windowTitle(), QStringLiteral("Memory"));
}

TEST_F(MemoryFixture, ResizeFillsTheClientAreaAboveTheStatusBar)
{
    load();
    memory->show();
    memory->resize(700, 400);
    const int bar = memory->MenuBar->sizeHint().height();
    const int status = memory->StatusBar1->sizeHint().height();
    EXPECT_EQ(memory->F1Book1->geometry(), QRect(0, bar, 700, 400 - bar - status));
    EXPECT_EQ(memory->StatusBar1->geometry(), QRect(0, 400 - status, 700, status));

    const QRect before = memory->F1Book1->geometry();
    memory->setWindowState(Qt::WindowMinimized);
    memory->resize(300, 200);
    EXPECT_EQ(memory->F1Book1->geometry(), before);
    memory->setWindowState(Qt::WindowNoState);
    memory->Form_Resize();
    EXPECT_EQ(memory->F1Book1->width(), memory->width());

    // A window lower than the status bar gives the grid no height, never less.
    memory->resize(300, bar + status / 2);
    EXPECT_EQ(memory->F1Book1->height(), 0);
}

TEST_F(MemoryFixture, PlacementIsRestoredAtLoadAndSavedAtClose)
{
    const QString app = QStringLiteral("Quelm");
    auto stored = [&](const char* key) {
        return fake.settings.getSetting(app, QStringLiteral("Quelm_MEM"), QString::fromLatin1(key), "<none>");
    };
    fake.settings.saveSetting(app, QStringLiteral("Quelm_MEM"), "X", " 1500");
    fake.settings.saveSetting(app, QStringLiteral("Quelm_MEM"), "Y", " 3000");
    load();
    EXPECT_EQ(memory->frameGeometry().topLeft(), QPoint(100, 200));
    memory->show();
    memory->move(40, 60);
    memory->close();
    EXPECT_EQ(stored("X"), QStringLiteral(" 600"));
    EXPECT_EQ(stored("Y"), QStringLiteral(" 900"));

    // Closed while maximized: the placement before stays.
    memory->Form_Load();
    memory->showMaximized();
    memory->close();
    EXPECT_EQ(stored("X"), QStringLiteral(" 600"));
}

TEST_F(MemoryFixture, ClosingDropsUnsavedEditsAndTheNextLoadShowsTheFiles)
{
    put("MEM_A.ini", "Beacon,28200,CW\r\n");
    load();
    sheetNamed("A").setText(1, 1, QStringLiteral("changed"));
    memory->cmadd_Click();
    memory->close();
    EXPECT_FALSE(memory->loaded());
    EXPECT_EQ(folder.replaces, 0);
    memory->Form_Load();
    EXPECT_EQ(sheetNames(), QStringList({"A", "Quelm"}));
    EXPECT_EQ(sheetNamed("A").text(1, 1), QStringLiteral("Beacon"));
}
