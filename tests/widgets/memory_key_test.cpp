// The memory editor as the main window holds it: the memory key, the editor
// loaded when the radio link first touches its sheet, channel frames built
// from and written into the real sheet, the row-heading tune, and closing.

#include <QApplication>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "memory_editor/memory.h"
#include "radio_link/civ_codec.h"
#include "support/civ_frames.h"
#include "support/quelm_fixture.h"

using namespace quelm;
using namespace testframes;

namespace {

struct MemoryKeyFixture : ::testing::Test {
    QuelmFixture f;
    Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
    }

    void powerOn()
    {
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        f.fake.serial.clearWrites();
        f.fake.messages.warnings.clear(); // the fake port gave the push no answer: the no-radio message
    }

    // The editor's current sheet, which is the radio bank after a plain load.
    SheetModel& radioSheet()
    {
        Memory& m = q->memoryEditor();
        EXPECT_EQ(m.F1Book1->sheetName(m.F1Book1->currentSheet()), QStringLiteral("Quelm"));
        return *m.F1Book1->current();
    }

    static Memory* shownEditor()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("Memory") && w->isVisible())
                return static_cast<Memory*>(w);
        return nullptr;
    }

    // Fills a row of the radio bank as typing and the lists leave it.
    static void fillRow(SheetModel& s, int row, const QStringList& texts)
    {
        for (int c = 1; c <= texts.size(); ++c)
            s.setText(row, c, texts[c - 1]);
    }

    // The radio's answer to a channel read: the write frame's layout from the radio.
    static QByteArray answer(const QByteArray& writeFrame)
    {
        QByteArray a = writeFrame;
        a[2] = static_cast<char>(0xE0);
        a[3] = static_cast<char>(0x56);
        return a;
    }
};

} // namespace

TEST_F(MemoryKeyFixture, MemoryKeyShowsTheEditorOnlyWithTheLinkOpen)
{
    q->cmMEM_Click();
    EXPECT_EQ(shownEditor(), nullptr);
    powerOn();
    q->cmMEM->clicked();
    Memory* shown = shownEditor();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ(shown->parentWidget(), nullptr);
    q->cmMEM_Click();
    EXPECT_EQ(shownEditor(), shown);
    q->close();
    EXPECT_EQ(shownEditor(), nullptr);
    EXPECT_FALSE(shown->loaded());
}

TEST_F(MemoryKeyFixture, AChannelAnswerLoadsTheEditorUnseenAndFillsItsRow)
{
    f.writeFile("MEM_a.ini", "x,1,USB\r\n");
    powerOn();
    civ::ChannelRow row;
    row.text[1] = "Rpt";
    row.number[2] = 145500;
    row.text[3] = "FM";
    f.fake.serial.queueInput(answer(civ::setChannelFrame(0x56, 12, row)));
    q->Timer1_Timer();
    EXPECT_EQ(shownEditor(), nullptr);
    Memory& m = q->memoryEditor();
    EXPECT_EQ(m.F1Book1->sheetCount(), 2);
    EXPECT_EQ(radioSheet().text(12, 1), QStringLiteral("RPT      "));
    EXPECT_DOUBLE_EQ(radioSheet().number(12, 2), 145500);
}

TEST_F(MemoryKeyFixture, AnEmptyRowGivesTheShortFrame)
{
    powerOn();
    radioSheet();
    q->RadioSetMemory(5);
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    const QByteArray sent = f.fake.serial.writes()[0].bytes;
    EXPECT_EQ(sent.size(), 46);
    EXPECT_EQ(shown(sent), shown(hex("FE FE 56 E0 1A 00 00 05 00 00 00 00 00 00 01 00 00 08 85 00 08 85"
                                     " 00 00 30 44 01 01 01 10 00 08 85 00 08 85 20 20 20 20 20 20 20 20 20 FD")));
}

TEST_F(MemoryKeyFixture, ACompleteRowAsTheListsAndTypingLeaveIt)
{
    powerOn();
    fillRow(radioSheet(), 12, {"Rpt", "145500", "FM", "88.5", "145600", "FM", "none", "DUP-", "Yes"});
    q->RadioSetMemory(12);
    ASSERT_EQ(f.fake.serial.writes().size(), 1u);
    EXPECT_EQ(shown(f.fake.serial.writes()[0].bytes),
              shown(hex("FE FE 56 E0 1A 00 00 12 03 00 00 50 45 01 05 01 12 00 08 85 00 08 85"
                        " 00 00 60 45 01 05 01 10 00 08 85 00 08 85 52 50 54 20 20 20 20 20 20 FD")));
}

TEST_F(MemoryKeyFixture, ReadingBackAWrittenRowReproducesIt)
{
    powerOn();
    SheetModel& s = radioSheet();
    fillRow(s, 7, {"Rpt", "145500", "FM", "88.5", "", "", "none", "DUP+", "No"});
    q->RadioSetMemory(7);
    const QByteArray written = f.fake.serial.writes().at(0).bytes;
    for (int c = 1; c <= 9; ++c)
        s.clearCell(7, c);
    s.setNumber(7, 5, 1);  // the answer has no split: TX comes back empty
    f.fake.serial.queueInput(answer(written));
    EXPECT_EQ(q->RadioReadFrame(), QStringLiteral("70: "));
    QStringList row;
    for (int c = 1; c <= 9; ++c)
        row << s.text(7, c);
    EXPECT_EQ(row, QStringList({"RPT      ", "145500", "FM", "88.5", "", "", "", "DUP+", "No"}));
}

TEST_F(MemoryKeyFixture, ARowHeadingTunesThePanel)
{
    powerOn();
    SheetModel& s = radioSheet();
    s.setNumber(3, 2, 14074);
    s.setText(3, 3, "USB");
    s.setNumber(4, 2, 7050);
    q->memoryEditor().F1Book1_CellClick(3, 0);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 14074);
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("USB"));
    ASSERT_EQ(f.fake.serial.writes().size(), 2u);
    EXPECT_EQ(shown(f.fake.serial.writes()[1].bytes), shown(sent({0x06, 0x01})));

    // Without a mode the row tunes the frequency and the panel keeps its mode.
    f.fake.serial.clearWrites();
    q->memoryEditor().F1Book1_CellClick(4, 0);
    EXPECT_DOUBLE_EQ(q->st.VFOQrg[q->st.VFOActive], 7050);
    EXPECT_EQ(q->st.VFOModo[q->st.VFOActive], QStringLiteral("USB"));
    EXPECT_EQ(f.fake.serial.writes().size(), 1u);
}

TEST_F(MemoryKeyFixture, ClosingTheMainWindowDuringARetrieveEndsIt)
{
    powerOn();
    Memory& m = q->memoryEditor();
    f.fake.events.post([this] { q->close(); }, f.fake.clock.now() + 0.5);
    m.cmRetrieve_Click();
    EXPECT_LT(f.fake.serial.writes().size(), 6u);
    EXPECT_FALSE(m.loaded());
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MemoryKeyFixture, AChannelArrivingWhileTheEditorLoadsWaitsForThatLoad)
{
    f.writeFile("MEM_bad.ini", "x,not a number,USB\r\n");
    powerOn();
    // The load's message about the bad file is open when the radio link touches the sheet again.
    f.fake.messages.whileOpen = [this] { q->memoryEditor().grid().setCellText(1, 1, QStringLiteral("early")); };
    Memory& m = q->memoryEditor();
    f.fake.messages.whileOpen = nullptr;
    ASSERT_EQ(f.fake.messages.warnings.size(), 1);
    QStringList names;
    for (int n = 1; n <= m.F1Book1->sheetCount(); ++n)
        names << m.F1Book1->sheetName(n);
    EXPECT_EQ(names, QStringList({"bad", "Quelm"}));
    EXPECT_EQ(m.F1Book1->sheet(1)->text(1, 1), QStringLiteral("x"));
}
