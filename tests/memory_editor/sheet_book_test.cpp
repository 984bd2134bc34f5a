// The spreadsheet grid on its own: cell views, the fixed display format,
// locking and the start-edit notification, typed entry, moving cells, sheets,
// selections and the mouse notifications.

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include "memory_editor/sheet_book.h"
#include "memory_editor/sheet_view.h"
#include "support/locale_guard.h"

using namespace quelm;

namespace {

struct Book : ::testing::Test {
    SheetBook book;
    SheetModel& sheet() { return *book.current(); }

    void SetUp() override
    {
        book.resize(600, 400);
        sheet().setMaxCol(3);
        sheet().setMaxRow(10);
    }

    QLineEdit* openEditor()
    {
        return book.view()->findChild<QLineEdit*>();
    }

    // Types into the active cell's editor and commits it with Enter.
    void typeInto(int row, int col, const QString& keys)
    {
        book.setActiveCell(row, col);
        book.startEdit();
        QLineEdit* editor = openEditor();
        ASSERT_NE(editor, nullptr);
        editor->clear();
        QTest::keyClicks(editor, keys);
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor hands its text over from the event loop.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

// ---- Cell views

struct ViewCase {
    const char* what;
    std::variant<QString, double> written;
    QString text;
    double number;
};

TEST_F(Book, TextAndNumberViewsOfACell)
{
    const ViewCase cases[] = {
        {"number", 7050.5, "7050.5", 7050.5},
        {"whole number", 145750.0, "145750", 145750},
        {"negative number", -3.25, "-3.25", -3.25},
        {"numeric text", QString("88.5"), "88.5", 88.5},
        {"numeric text with blanks and sign", QString(" +145750 "), " +145750 ", 145750},
        {"point first", QString(".5"), ".5", 0.5},
        {"other text", QString("none"), "none", 0},
        {"grouped digits are text", QString("7,050"), "7,050", 0},
        {"no exponent", QString("1e3"), "1e3", 0},
        {"lone sign", QString("-"), "-", 0},
        {"two points", QString("1.2.3"), "1.2.3", 0},
        {"empty text empties", QString(""), "", 0},
    };
    for (const ViewCase& c : cases) {
        if (const auto* t = std::get_if<QString>(&c.written))
            sheet().setText(2, 2, *t);
        else
            sheet().setNumber(2, 2, std::get<double>(c.written));
        EXPECT_EQ(sheet().text(2, 2), c.text) << c.what;
        EXPECT_DOUBLE_EQ(sheet().number(2, 2), c.number) << c.what;
    }
    EXPECT_TRUE(isEmptyValue(sheet().value(2, 2)));
    EXPECT_EQ(sheet().text(5, 3), QString());
    EXPECT_EQ(sheet().number(5, 3), 0);
}

TEST_F(Book, ANumbersTextKeepsThePointInEveryLocale)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    sheet().setNumber(1, 2, 7050.5);
    sheet().setNumber(2, 2, 1234567.25);
    EXPECT_EQ(sheet().text(1, 2), QStringLiteral("7050.5"));
    EXPECT_EQ(sheet().text(2, 2), QStringLiteral("1234567.25"));
    sheet().setText(3, 2, QStringLiteral("88.5"));
    EXPECT_DOUBLE_EQ(sheet().number(3, 2), 88.5);
}

TEST_F(Book, CellsOutsideTheSheetReadEmptyAndTakeNoWrites)
{
    sheet().setText(11, 1, QStringLiteral("x"));
    sheet().setNumber(1, 4, 5);
    sheet().setText(0, 1, QStringLiteral("x"));
    EXPECT_EQ(sheet().text(11, 1), QString());
    EXPECT_EQ(sheet().number(1, 4), 0);
    EXPECT_TRUE(sheet().rowsEmpty(1, 10, 1, 3));
}

// ---- Display

TEST_F(Book, FixedFormatShowsGroupedTwoDecimals)
{
    sheet().setNumberFormat(1, 2, 10, 2, SheetModel::kFixed2);
    const struct {
        std::variant<QString, double> written;
        QString shown;
    } cases[] = {
        {7050.5, "7,050.50"},   {0.5, ".50"},          {144300.0, "144,300.00"}, {-2.5, "-2.50"},
        {0.0, ".00"},           {QString("88.5"), "88.50"}, {QString("none"), "none"},
    };
    for (const auto& c : cases) {
        if (const auto* t = std::get_if<QString>(&c.written))
            sheet().setText(1, 2, *t);
        else
            sheet().setNumber(1, 2, std::get<double>(c.written));
        EXPECT_EQ(sheet().data(sheet().index(0, 1), Qt::DisplayRole).toString(), c.shown) << c.shown.toStdString();
    }
    // Columns without the format show numbers plainly.
    sheet().setNumber(1, 3, 88.5);
    EXPECT_EQ(sheet().shownText(1, 3), QStringLiteral("88.5"));
}

TEST_F(Book, FixedFormatUsesTheUsersSeparators)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    sheet().setNumberFormat(1, 2, 10, 2, SheetModel::kFixed2);
    sheet().setNumber(1, 2, 7050.5);
    EXPECT_EQ(sheet().shownText(1, 2), QStringLiteral("7.050,50"));
    EXPECT_EQ(sheet().text(1, 2), QStringLiteral("7050.5"));
}

// ---- Locking and the start-edit notification

TEST_F(Book, LockedCellsNeverEdit)
{
    int asked = 0;
    book.onStartEdit = [&](QString&, bool&) { ++asked; };
    book.setActiveCell(2, 1);
    book.startEdit();
    EXPECT_EQ(openEditor(), nullptr);
    EXPECT_EQ(asked, 0);

    book.select(1, 1, 10, 1);
    book.setSelectionLocked(false);
    EXPECT_FALSE(sheet().locked(2, 1));
    EXPECT_TRUE(sheet().locked(2, 2));
    book.startEdit();
    EXPECT_NE(openEditor(), nullptr);
    EXPECT_EQ(asked, 1);
}

TEST_F(Book, StartEditNotificationSeesTheTextAndCanCancel)
{
    sheet().setLocked(1, 1, 10, 3, false);
    sheet().setNumber(3, 2, 7050.5);
    QString seen;
    bool refuse = true;
    book.onStartEdit = [&](QString& text, bool& cancel) {
        seen = text;
        cancel = refuse;
    };
    book.setActiveCell(3, 2);
    book.startEdit();
    EXPECT_EQ(seen, QStringLiteral("7050.5"));
    EXPECT_EQ(openEditor(), nullptr);

    // Typing a key into the cell asks too.
    book.view()->setFocus();
    QTest::keyClick(book.view(), Qt::Key_A);
    EXPECT_EQ(openEditor(), nullptr);
    EXPECT_DOUBLE_EQ(sheet().number(3, 2), 7050.5);

    refuse = false;
    book.startEdit();
    EXPECT_NE(openEditor(), nullptr);
}

// ---- Typed entry

TEST_F(Book, TypingRefusesWhatTheEntryFilterRefuses)
{
    sheet().setLocked(1, 1, 10, 3, false);
    book.setEntryFilter([](QChar c) { return c != QLatin1Char(','); });
    typeInto(1, 1, QStringLiteral("Rpt, R6"));
    EXPECT_EQ(sheet().text(1, 1), QStringLiteral("Rpt R6"));
}

TEST_F(Book, NumberCellsTakeANumberInTheUsersOrThePointForm)
{
    sheet().setLocked(1, 1, 10, 3, false);
    sheet().setNumberFormat(1, 2, 10, 2, SheetModel::kFixed2);
    typeInto(1, 2, QStringLiteral("7050.5"));
    EXPECT_TRUE(isNumber(sheet().value(1, 2)));
    EXPECT_DOUBLE_EQ(sheet().number(1, 2), 7050.5);
    // Letters are refused as they are typed; the comma only groups here.
    typeInto(2, 2, QStringLiteral("14a0,74"));
    EXPECT_DOUBLE_EQ(sheet().number(2, 2), 14074);
    typeInto(4, 2, QStringLiteral("14,074.5"));
    EXPECT_DOUBLE_EQ(sheet().number(4, 2), 14074.5);
    {
        // The point marks the decimals under a comma locale too; with both, the
        // last one does.
        LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
        typeInto(3, 2, QStringLiteral("145750,5"));
        EXPECT_DOUBLE_EQ(sheet().number(3, 2), 145750.5);
        EXPECT_EQ(sheet().text(3, 2), QStringLiteral("145750.5"));
        typeInto(5, 2, QStringLiteral("145750.25"));
        EXPECT_DOUBLE_EQ(sheet().number(5, 2), 145750.25);
        typeInto(6, 2, QStringLiteral("14.074,5"));
        EXPECT_DOUBLE_EQ(sheet().number(6, 2), 14074.5);
    }
    // Emptying the editor empties the cell.
    typeInto(1, 2, QString());
    EXPECT_TRUE(isEmptyValue(sheet().value(1, 2)));
}

TEST_F(Book, DeleteKeyEmptiesOnlyUnlockedSelectedCells)
{
    for (int c = 1; c <= 3; ++c)
        sheet().setText(4, c, QStringLiteral("x"));
    sheet().setLocked(1, 1, 10, 1, false);
    book.select(4, 1, 4, 3);
    book.view()->setFocus();
    QTest::keyClick(book.view(), Qt::Key_Delete);
    EXPECT_EQ(sheet().text(4, 1), QString());
    EXPECT_EQ(sheet().text(4, 2), QStringLiteral("x"));
    EXPECT_EQ(sheet().text(4, 3), QStringLiteral("x"));
}

// ---- Moving cells

namespace {
void fillRows(SheetModel& s)
{
    for (int r = 1; r <= s.maxRow(); ++r)
        for (int c = 1; c <= s.maxCol(); ++c)
            s.setText(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
}
QString column1(const SheetModel& s)
{
    QStringList out;
    for (int r = 1; r <= s.maxRow(); ++r)
        out << s.text(r, 1);
    return out.join(QLatin1Char(' '));
}
} // namespace

TEST_F(Book, InsertRangeMovesCellsDownAndLosesWhatFallsOffTheEnd)
{
    fillRows(sheet());
    sheet().setLocked(1, 1, 10, 1, false);
    sheet().insertRange(4, 1, 6, 2);
    EXPECT_EQ(column1(sheet()), QStringLiteral("r1c1 r2c1 r3c1    r4c1 r5c1 r6c1 r7c1"));
    EXPECT_EQ(sheet().text(7, 2), QStringLiteral("r4c2"));
    // Columns outside the range stay where they were.
    EXPECT_EQ(sheet().text(4, 3), QStringLiteral("r4c3"));
    // New cells look like the row above.
    EXPECT_FALSE(sheet().locked(5, 1));
    EXPECT_TRUE(sheet().rowsEmpty(4, 6, 1, 2));
}

TEST_F(Book, DeleteRangeMovesCellsUpAndEmptiesTheBottom)
{
    fillRows(sheet());
    sheet().setLocked(1, 1, 10, 3, false);
    sheet().deleteRange(4, 1, 6, 3);
    EXPECT_EQ(column1(sheet()), QStringLiteral("r1c1 r2c1 r3c1 r7c1 r8c1 r9c1 r10c1   "));
    EXPECT_TRUE(sheet().rowsEmpty(8, 10, 1, 3));
    EXPECT_TRUE(sheet().locked(9, 1));
    // Rows past the end clip to it.
    sheet().deleteRange(9, 1, 500, 3);
    EXPECT_EQ(sheet().text(7, 1), QStringLiteral("r10c1"));
}

// ---- Sheets

TEST_F(Book, SheetsInsertDeleteAndKeepTheShownOne)
{
    book.setSheetName(1, QStringLiteral("a"));
    EXPECT_TRUE(book.insertSheets(1, 2));
    EXPECT_EQ(book.sheetCount(), 3);
    EXPECT_EQ(book.currentSheet(), 3);
    EXPECT_EQ(book.sheetName(3), QStringLiteral("a"));
    EXPECT_EQ(book.tabs()->count(), 3);

    QString why;
    EXPECT_FALSE(book.insertSheets(5, 1, &why));
    EXPECT_FALSE(why.isEmpty());

    book.setSheetCount(5);
    EXPECT_EQ(book.sheetCount(), 5);
    EXPECT_TRUE(book.deleteSheet(3));
    EXPECT_EQ(book.currentSheet(), 3);
    EXPECT_NE(book.sheetName(3), QStringLiteral("a"));
    while (book.sheetCount() > 1)
        ASSERT_TRUE(book.deleteSheet(book.sheetCount()));
    EXPECT_FALSE(book.deleteSheet(1, &why));
    EXPECT_EQ(why, QStringLiteral("The last sheet cannot be deleted."));
    EXPECT_EQ(book.sheetCount(), 1);
}

TEST_F(Book, RenameRefusesNamesThatCannotBeBankFiles)
{
    book.setSheetName(1, QStringLiteral("bank 1"));
    book.insertSheets(2, 1);
    book.setSheetName(2, QStringLiteral("Quelm"));
    const struct {
        const char* name;
        bool taken;
    } cases[] = {
        {"", false},          {"   ", false},        {"bank 1", false},     {"BANK 1", false},
        {"a/b", false},       {"a\\b", false},      {"what?", false},      {"x:y", false},
        {"tab\there", false}, {" lead", false},     {"trail ", false},     {"1234567890123456789012345678901x", false},
        {"2m repeaters", true}, {"Quelm", true},    {"bank 2", true},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        QString why;
        const bool renamed = book.renameSheet(2, name, &why);
        EXPECT_EQ(renamed, c.taken) << c.name << " " << why.toStdString();
        EXPECT_EQ(why.isEmpty(), c.taken) << c.name;
    }
    EXPECT_EQ(book.sheetName(2), QStringLiteral("bank 2"));
    EXPECT_EQ(book.tabs()->tabText(1), QStringLiteral("bank 2"));
}

TEST_F(Book, EachSheetKeepsItsOwnCellsAndSelection)
{
    book.insertSheets(2, 1);
    book.sheet(2)->setMaxCol(3);
    book.sheet(2)->setMaxRow(10);
    sheet().setText(1, 1, QStringLiteral("first"));
    book.select(2, 1, 3, 1);
    book.setCurrentSheet(2);
    EXPECT_EQ(book.current()->text(1, 1), QString());
    book.select(5, 2, 5, 2);
    book.tabs()->setCurrentIndex(0);
    EXPECT_EQ(book.currentSheet(), 1);
    EXPECT_EQ(book.selection(), (SheetBook::Selection{2, 1, 3, 1}));
    EXPECT_EQ(sheet().text(1, 1), QStringLiteral("first"));
}

TEST_F(Book, SwitchingAndResettingSheetsLeavesNoSelectionsBehind)
{
    // Every sheet shown makes the view a new selection of its own, and its two
    // headings one each; an editor opened and closed all session long, its
    // sheets turned over and over, must not pile them up.
    const auto selections = [this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return book.findChildren<QItemSelectionModel*>().size();
    };
    book.insertSheets(2, 2);
    book.setCurrentSheet(2);
    const qsizetype settled = selections();
    for (int i = 0; i < 20; ++i) {
        book.setCurrentSheet(1 + i % 3);
        book.deleteSheet(3);
        book.insertSheets(3, 1);
    }
    for (int i = 0; i < 20; ++i) {
        book.reset();
        book.insertSheets(2, 2);
        book.setCurrentSheet(3);
    }
    EXPECT_EQ(selections(), settled);
    // Each sheet keeps its own selection through all that.
    book.current()->setMaxCol(3);
    book.current()->setMaxRow(10);
    book.select(2, 1, 2, 1);
    book.setCurrentSheet(1);
    book.setCurrentSheet(3);
    EXPECT_EQ(book.selection(), (SheetBook::Selection{2, 1, 2, 1}));
}

// ---- Selection and notifications

TEST_F(Book, WholeRowsAndWholeColumnsAreReportedAsSuch)
{
    book.select(2, 3, 5, 3);
    EXPECT_EQ(book.selection(), (SheetBook::Selection{2, 3, 5, 3}));
    book.select(4, 1, 6, 3);
    EXPECT_EQ(book.selection(), (SheetBook::Selection{4, 1, 6, SheetBook::kWholeRowLastCol}));
    book.select(1, 2, 10, 2);
    EXPECT_EQ(book.selection(), (SheetBook::Selection{1, 2, SheetBook::kWholeColLastRow, 2}));
}

TEST_F(Book, RowHeadingClickReportsColumnZeroAndSelectsTheRow)
{
    book.show();
    QSignalSpy clicks(&book, &SheetBook::cellClick);
    QHeaderView* rows = book.view()->verticalHeader();
    const QPoint at(rows->width() / 2, rows->sectionViewportPosition(4) + rows->sectionSize(4) / 2);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 5);
    EXPECT_EQ(clicks[0][1].toInt(), 0);
    EXPECT_EQ(book.selection(), (SheetBook::Selection{5, 1, 5, SheetBook::kWholeRowLastCol}));
    // Every point of a heading counts, its edges too.
    for (int y : {rows->sectionViewportPosition(6), rows->sectionViewportPosition(6) + rows->sectionSize(6) - 1})
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, QPoint(rows->width() / 2, y));
    ASSERT_EQ(clicks.size(), 3);
    EXPECT_EQ(clicks[1][0].toInt(), 7);
    EXPECT_EQ(clicks[2][0].toInt(), 7);
}

TEST_F(Book, CellClickAndTheRightButtonKeepingTheSelection)
{
    book.show();
    QSignalSpy clicks(&book, &SheetBook::cellClick);
    QSignalSpy downs(&book, &SheetBook::mouseDown);
    QSignalSpy ups(&book, &SheetBook::mouseUp);
    SheetView* v = book.view();
    const QPoint cell = v->visualRect(sheet().index(2, 1)).center();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 3);
    EXPECT_EQ(clicks[0][1].toInt(), 2);
    EXPECT_EQ(ups.size(), 1);
    EXPECT_EQ(ups[0][0].value<Qt::MouseButton>(), Qt::LeftButton);

    book.select(6, 3, 8, 3);
    QTest::mousePress(v->viewport(), Qt::RightButton, {}, v->visualRect(sheet().index(0, 0)).center());
    ASSERT_EQ(downs.size(), 2);
    EXPECT_EQ(downs[1][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(book.selection(), (SheetBook::Selection{6, 3, 8, 3}));
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(Book, TabDoubleClickAsksForTheSheet)
{
    book.insertSheets(2, 1);
    book.show();
    QSignalSpy asked(&book, &SheetBook::tabDoubleClicked);
    QTabBar* tabs = book.tabs();
    QTest::mouseDClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0][0].toInt(), 2);
}
