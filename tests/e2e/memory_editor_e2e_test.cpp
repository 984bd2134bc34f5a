// The memory editor against the simulated radio, over the real serial layer,
// clock, timers and event loop: retrieving all 99 channels (also while the
// operator turns to another sheet), sending rows and reading them back, and
// tuning the radio by a row heading.

#include <string>

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "memory_editor/memory.h"
#include "memory_editor/sheet_view.h"
#include "radio_link/civ_codec.h"
#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "support/port_alias.h"

using namespace quelm;
using testsupport::eventually;
using testsupport::LiveProgram;

namespace {

// The radio's own bank: channel n is line n; empty lines are empty channels.
QByteArray radioBank()
{
    QByteArray all;
    for (int n = 1; n <= 99; ++n) {
        QByteArray line;
        if (n == 1)
            line = "Beacon,28200,CW,,,,,,Yes";
        else if (n == 2)
            line = "RPT R6,145750,FM,,,,88.5,DUP-,Yes";
        else if (n == 4)
            line = "Split,14074,USB,,14174.5,LSB,,,No";
        else if (n == 5)
            line = "tsql,145500,FM,77.0,,,,DUP+,No";
        else if (n % 7 != 3)
            line = QStringLiteral("ch %1,%2,%3").arg(n).arg(144000 + n * 12.5).arg(n % 2 ? "FM" : "AM").toLatin1();
        all += line + "\r\n";
    }
    return all;
}

// The cells the program makes of a channel the simulator holds.
std::vector<civ::CellWrite> cellsOf(int channel, const sim::ChannelContents& contents)
{
    std::vector<unsigned char> frame{0xFE, 0xFE, 0xE0, 0x56, 0x1A, 0x00, 0x00,
                                     static_cast<unsigned char>(channel / 10 * 16 + channel % 10)};
    frame.insert(frame.end(), contents.begin(), contents.end());
    frame.push_back(0xFD);
    const civ::Decoded d = civ::decodeFrame(frame, static_cast<int>(frame.size()) - 1, 0x56);
    return d.channel ? d.channel->cells : std::vector<civ::CellWrite>{};
}

class MemoryLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::SimulatorOptions o;
        o.sMeterWanders = false;
        o.symlinkPath = alias;
        radio = std::make_unique<sim::RadioSimulator>(o);
        radio->start();
        QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[COMM]\r\nport %1\r\nspeed 9600,n,8,1\r\n[BAND LIMIT]\r\n20m 14200 14000 14350\r\n"
                                 "6m 50110 50000 52000\r\n2m 144300 144000 146000\r\n")
                      .arg(QString::fromStdString(alias))
                      .toUtf8());
        ini.close();
        QFile bank(bankFolder.filePath(QStringLiteral("radio.ini")));
        ASSERT_TRUE(bank.open(QIODevice::WriteOnly | QIODevice::Truncate));
        bank.write(radioBank());
        bank.close();
        ASSERT_EQ(radio->control("load " + bank.fileName().toStdString()).rfind("ok", 0), 0u);

        program = std::make_unique<LiveProgram>(settings, folder.path());
        ASSERT_TRUE(program->load());
        q = program->window.get();
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn)) << program->messages.criticals.join(' ').toStdString();
        q->cmMEM_Click();
        m = &q->memoryEditor();
        ASSERT_TRUE(m->isVisible());
    }

    void TearDown() override
    {
        if (program && program->window)
            program->window->Form_Unload();
        program.reset();
        radio->stop();
    }

    SheetModel& radioSheet() { return *m->F1Book1->sheet(m->F1Book1->sheetCount()); }

    // Every channel the simulator holds is its row; every empty channel's row kept its marker.
    void expectSheetMirrorsTheRadio()
    {
        const sim::RadioState state = radio->state();
        SheetModel& s = radioSheet();
        for (int ch = 1; ch <= 99; ++ch) {
            const auto& held = state.channels[static_cast<std::size_t>(ch)];
            if (!held) {
                EXPECT_EQ(s.text(ch, 1), QStringLiteral("marker")) << ch;
                continue;
            }
            for (const civ::CellWrite& cell : cellsOf(ch, *held)) {
                if (const auto* text = std::get_if<QString>(&cell.value))
                    EXPECT_EQ(s.text(ch, cell.column), *text) << "channel " << ch << " column " << cell.column;
                else
                    EXPECT_DOUBLE_EQ(s.number(ch, cell.column), std::get<double>(cell.value))
                        << "channel " << ch << " column " << cell.column;
            }
        }
    }

    void markEmptyChannels()
    {
        for (int ch = 3; ch <= 99; ch += 7)
            radioSheet().setText(ch, 1, QStringLiteral("marker"));
    }

    const std::string alias = testsupport::uniquePortAlias();
    std::unique_ptr<sim::RadioSimulator> radio;
    QTemporaryDir folder;
    QTemporaryDir bankFolder;
    MemorySettingsStore settings;
    std::unique_ptr<LiveProgram> program;
    Quelm* q = nullptr;
    Memory* m = nullptr;
};

} // namespace

TEST_F(MemoryLive, RetrieveReadsAllNinetyNineChannelsIntoTheRadioBank)
{
    markEmptyChannels();
    m->cmRetrieve_Click();
    EXPECT_EQ(radioSheet().text(2, 1), QStringLiteral("RPT R6   "));
    EXPECT_EQ(radioSheet().text(2, 8), QStringLiteral("DUP-"));
    EXPECT_EQ(radioSheet().text(4, 5), QStringLiteral("14174.5"));
    expectSheetMirrorsTheRadio();
    EXPECT_TRUE(program->messages.criticals.isEmpty()) << program->messages.criticals.join(' ').toStdString();
}

TEST_F(MemoryLive, RetrieveKeepsToItsSheetWhileTheOperatorTurnsToAnother)
{
    markEmptyChannels();
    SheetBook& book = *m->F1Book1;
    QTimer::singleShot(3000, [&] {
        QTest::mouseClick(book.tabs(), Qt::LeftButton, {}, book.tabs()->tabRect(0).center());
    });
    QTimer::singleShot(9000, [&] { book.setCurrentSheet(book.sheetCount()); });
    QTimer::singleShot(12000, [&] { book.setCurrentSheet(1); });
    m->cmRetrieve_Click();
    EXPECT_EQ(book.currentSheet(), 1);
    EXPECT_TRUE(book.sheet(1)->rowsEmpty(1, 150, 1, 3));
    expectSheetMirrorsTheRadio();
}

TEST_F(MemoryLive, SentRowsReachTheRadioAndReadBackTheSame)
{
    SheetModel& s = radioSheet();
    const QStringList rows[] = {
        {"Rpt", "145600", "FM", "", "", "", "88.5", "DUP-", "Yes"},
        {"hf", "7050.5", "LSB", "", "", "", "", "", "No"},
        {"split", "14074", "USB", "none", "14174", "CW", "", "", ""},
    };
    for (int i = 0; i < 3; ++i)
        for (int c = 1; c <= 9; ++c)
            s.setText(5 + i, c, rows[i][c - 1]);
    m->F1Book1->select(5, 1, 7, 3);
    m->cmSendSelected_Click();
    const sim::RadioState state = radio->state();
    for (int ch = 5; ch <= 7; ++ch)
        ASSERT_TRUE(state.channels[static_cast<std::size_t>(ch)].has_value()) << ch;

    for (int ch = 5; ch <= 7; ++ch)
        for (int c = 1; c <= 9; ++c)
            s.clearCell(ch, c);
    for (int ch = 5; ch <= 7; ++ch) {
        q->RadioReadMemory(ch);
        ASSERT_TRUE(eventually([&] { return !s.text(ch, 1).isEmpty(); })) << ch;
    }
    QStringList back;
    for (int ch = 5; ch <= 7; ++ch)
        for (int c = 1; c <= 9; ++c)
            back << s.text(ch, c);
    EXPECT_EQ(back, QStringList({"RPT      ", "145600", "FM", "", "", "", "88.5", "DUP-", "Yes",
                                 "HF       ", "7050.5", "LSB", "", "", "", "", "", "No",
                                 "SPLIT    ", "14074", "USB", "", "14174", "CW", "", "", "No"}));
}

TEST_F(MemoryLive, ARowHeadingClickTunesTheRadio)
{
    SheetModel& s = radioSheet();
    s.setNumber(3, 2, 145500);
    s.setText(3, 3, QStringLiteral("FM"));
    QHeaderView* headings = m->F1Book1->view()->verticalHeader();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m));
    QTest::mouseClick(headings->viewport(), Qt::LeftButton, {},
                      QPoint(headings->width() / 2, headings->sectionViewportPosition(2) + 2));
    EXPECT_TRUE(eventually([&] { return radio->frequencyHz() == 145500000u && radio->modeCode() == 0x05; }))
        << radio->frequencyHz() << " " << int(radio->modeCode()) << " "
        << (program->messages.criticals + program->messages.warnings).join(' ').toStdString();
    EXPECT_TRUE(eventually([&] { return q->QRG->caption() == QLatin1String("145,500.00"); }));
    EXPECT_EQ(q->LCDModo->caption(), QStringLiteral("FM"));
}
