// Channel transfers as the editor runs them: what is asked for in which
// order with which waits, which sheet the answers go to, when nothing may be
// sent, and the row-heading tune and the radio items.

#include <QAction>
#include <QStatusBar>

#include "memory_fixture.h"

using namespace quelm;

namespace {

struct Transfers : MemoryFixture {
    void SetUp() override
    {
        put("MEM_user.ini", "Beacon,28200,CW\r\n");
        load();
        showSheet("Quelm");
    }
    // Answers each read as the frame reader would: the row of the channel in
    // the sheet the radio link writes to, and a frame waiting for the drain.
    void answerReads()
    {
        radio.onRead = [this](int channel) {
            memory->grid().setCellText(channel, 1, QStringLiteral("CH%1").arg(channel));
            memory->grid().setCellNumber(channel, 2, 145000 + channel);
            radio.waiting = 2;  // echo and answer
        };
    }
};

} // namespace

TEST_F(Transfers, RetrieveAsksForEveryChannelInOrderWithItsWaitAndDrain)
{
    answerReads();
    memory->cmRetrieve_Click();
    std::vector<int> expected(99);
    for (int i = 0; i < 99; ++i)
        expected[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(radio.channels("read"), expected);
    for (std::size_t i = 1; i < radio.calls.size(); ++i)
        EXPECT_GT(radio.calls[i].at - radio.calls[i - 1].at, Memory::kReadWait) << i;
    EXPECT_EQ(radio.framesRead, 2 * 99);
    EXPECT_EQ(sheet().text(99, 1), QStringLiteral("CH99"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(memory->transferring());
}

TEST_F(Transfers, RetrieveKeepsRowsThatBringNoAnswer)
{
    sheet().setText(7, 1, QStringLiteral("kept"));
    radio.onRead = [this](int channel) {
        if (channel != 7)
            memory->grid().setCellText(channel, 1, QStringLiteral("CH%1").arg(channel));
    };
    memory->cmRetrieve_Click();
    EXPECT_EQ(sheet().text(6, 1), QStringLiteral("CH6"));
    EXPECT_EQ(sheet().text(7, 1), QStringLiteral("kept"));
}

TEST_F(Transfers, RetrieveFillsTheSheetItStartedOnWhateverTheOperatorLooksAt)
{
    answerReads();
    // Inside the waits the operator turns to the user bank and back, and clicks Retrieve again.
    fake.events.post([this] { showSheet("user"); }, fake.clock.now() + 1.0);
    fake.events.post([this] { memory->cmRetrieve_Click(); }, fake.clock.now() + 2.0);
    fake.events.post([this] { memory->cmSendSelected_Click(); }, fake.clock.now() + 3.0);
    memory->cmRetrieve_Click();
    EXPECT_EQ(radio.channels("read").size(), 99u);
    EXPECT_TRUE(radio.channels("set").empty());
    const SheetModel& radioBank = sheetNamed("Quelm");
    for (int r = 1; r <= 99; ++r)
        ASSERT_EQ(radioBank.text(r, 1), QStringLiteral("CH%1").arg(r)) << r;
    EXPECT_EQ(sheetNamed("user").text(1, 1), QStringLiteral("Beacon"));
    EXPECT_EQ(sheetNamed("user").text(2, 1), QString());
}

TEST_F(Transfers, DeletingTheSheetOrClosingTheEditorStopsARetrieve)
{
    answerReads();
    fake.events.post([this] { memory->cmDelete_Click(); }, fake.clock.now() + 1.0);
    memory->cmRetrieve_Click();
    EXPECT_LT(radio.channels("read").size(), 10u);
    EXPECT_EQ(sheetNames(), QStringList({"user"}));
    EXPECT_EQ(sheetNamed("user").text(2, 1), QString());

    radio.calls.clear();
    memory->close();
    memory->Form_Load();
    showSheet("Quelm");
    fake.events.post([this] { memory->close(); }, fake.clock.now() + 1.0);
    memory->cmRetrieve_Click();
    EXPECT_LT(radio.channels("read").size(), 10u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Transfers, ALinkClosedMeanwhileEndsTheTransfer)
{
    radio.onRead = [this](int channel) { radio.open = channel < 5; };
    memory->cmRetrieve_Click();
    EXPECT_EQ(radio.channels("read"), std::vector<int>({1, 2, 3, 4, 5}));
}

TEST_F(Transfers, NothingIsSentWithTheLinkClosedOrFromAUserBank)
{
    radio.open = false;
    memory->cmRetrieve_Click();
    memory->cmSendSelected_Click();
    EXPECT_TRUE(radio.calls.empty());
    ASSERT_EQ(fake.messages.warnings.size(), 2);
    EXPECT_TRUE(fake.messages.warnings[0].contains("link to the radio is closed"));

    radio.open = true;
    showSheet("user");
    memory->cmRetrieve_Click();
    EXPECT_TRUE(radio.calls.empty());
    EXPECT_EQ(fake.messages.warnings.size(), 3);
}

TEST_F(Transfers, SendSelectedWritesTheSelectedRowsWithTheirWaits)
{
    radio.onSet = [this](int) { radio.waiting = 2; };
    book().select(5, 2, 7, 3);
    memory->cmSendSelected_Click();
    EXPECT_EQ(radio.channels("set"), std::vector<int>({5, 6, 7}));
    for (std::size_t i = 1; i < radio.calls.size(); ++i)
        EXPECT_GT(radio.calls[i].at - radio.calls[i - 1].at, Memory::kWriteWait);
    EXPECT_EQ(radio.framesRead, 6);

    const struct {
        int r1, c1, r2, c2;
        std::vector<int> sent;
    } cases[] = {
        {12, 4, 12, 4, {12}},      // a single cell: its row
        {97, 1, 99, 9, {97, 98, 99}},
    };
    for (const auto& c : cases) {
        radio.calls.clear();
        book().select(c.r1, c.c1, c.r2, c.c2);
        memory->cmSendSelected_Click();
        EXPECT_EQ(radio.channels("set"), c.sent);
    }
    // A whole column stops at channel 99.
    radio.calls.clear();
    book().select(1, 2, 99, 2);
    ASSERT_EQ(book().selection().lastRow, SheetBook::kWholeColLastRow);
    memory->cmSendSelected_Click();
    EXPECT_EQ(radio.channels("set").size(), 99u);
    EXPECT_EQ(radio.channels("set").back(), 99);
}

TEST_F(Transfers, ARowHeadingTunesToTheRowsFrequencyAndMode)
{
    sheet().setNumber(3, 2, 145500);
    sheet().setText(3, 3, QStringLiteral("FM"));
    sheet().setText(3, 4, QStringLiteral("88.5"));
    sheet().setNumber(3, 5, 145600);
    memory->F1Book1_CellClick(3, 0);
    ASSERT_EQ(radio.calls.size(), 1u);
    const RadioCall& tune = radio.calls[0];
    EXPECT_EQ(tune.what, "tune");
    EXPECT_DOUBLE_EQ(tune.fa, 145500);
    EXPECT_EQ(tune.ma, QStringLiteral("FM"));
    EXPECT_DOUBLE_EQ(tune.fb, 88.5);
    EXPECT_EQ(tune.mb, QStringLiteral("145600"));

    // A user bank tunes to its VFO A and Mode A.
    showSheet("user");
    memory->F1Book1_CellClick(1, 0);
    ASSERT_EQ(radio.calls.size(), 2u);
    EXPECT_DOUBLE_EQ(radio.calls[1].fa, 28200);
    EXPECT_EQ(radio.calls[1].ma, QStringLiteral("CW"));
    EXPECT_DOUBLE_EQ(radio.calls[1].fb, 0);
    EXPECT_EQ(radio.calls[1].mb, QString());
}

TEST_F(Transfers, HeadingClicksThatTuneNothing)
{
    sheet().setNumber(3, 2, 145500);
    memory->F1Book1_CellClick(0, 0);    // the corner
    memory->F1Book1_CellClick(10, 0);   // an empty row is being selected, not tuned to
    memory->F1Book1_CellClick(100, 0);  // no such row
    memory->F1Book1_CellClick(3, 1);    // a cell, not a heading
    EXPECT_TRUE(radio.calls.empty());

    radio.open = false;
    memory->F1Book1_CellClick(3, 0);
    EXPECT_TRUE(radio.calls.empty());
    EXPECT_TRUE(memory->StatusBar1->currentMessage().contains("link to the radio is closed"));
    EXPECT_TRUE(allMessages().isEmpty());
}

TEST_F(Transfers, RadioItemsFollowTheSheetAtEachLeftRelease)
{
    put("MEM_Quelm .ini", "");
    load();
    const struct {
        const char* sheet;
        Qt::MouseButton button;
        bool shown;
    } steps[] = {
        {"Quelm", Qt::RightButton, false}, {"Quelm", Qt::LeftButton, true},   {"user", Qt::RightButton, true},
        {"user", Qt::LeftButton, false},   {"Quelm ", Qt::LeftButton, false}, {"Quelm", Qt::LeftButton, true},
    };
    for (const auto& s : steps) {
        showSheet(QString::fromLatin1(s.sheet));
        memory->F1Book1_MouseUp(s.button, {}, {});
        for (QAction* item : {memory->cmRetrieve, memory->cmSend, memory->cmSendSelected})
            EXPECT_EQ(item->isVisible(), s.shown) << s.sheet << " " << item->text().toStdString();
    }
}
