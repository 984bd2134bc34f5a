// The recorder and player on the fake wave device: the keys' state machine row
// by row, what STOP tells the device in each state, the file list, the name of a
// new recording, and the device failing under a recording or a playback.

#include <functional>

#include <QDir>

#include <gtest/gtest.h>

#include "recorder_rig.h"
#include "support/locale_guard.h"

using namespace quelm;
using namespace recorder_rig;

namespace {

// The window with the recorder, and the steps the tests take on it.
struct Player {
    RecorderRig rig;
    VoiceRecorder* r = rig.r;
    Quelm* q = rig.q;

    // A file played from the list.
    void playFile()
    {
        rig.writeFile(QStringLiteral("a.wav"));
        r->cmPlay_Click();
        const QList<QListWidgetItem*> items = q->LCDWav->findItems(QStringLiteral("a.wav"), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        rig.choose(q->LCDWav->row(items[0]));
    }
};

struct Recorder : ::testing::Test, Player {};

} // namespace

TEST_F(Recorder, StartsIdleWithTheDeviceClosed)
{
    EXPECT_EQ(rig.keys(), kIdle);
    EXPECT_EQ(rig.wave.mode(), WaveDevice::NotOpen);
    EXPECT_EQ(rig.wave.deviceType(), QStringLiteral("WAVEAUDIO"));
}

TEST_F(Recorder, EveryTransitionOfTheKeys)
{
    using Step = std::function<void(Player&)>;
    const Step rec = [](Player& t) { t.r->cmRec_Click(); };
    const Step play = [](Player& t) { t.playFile(); };
    const Step pause = [](Player& t) { t.r->cmPause_Click(); };
    const Step resume = [](Player& t) { t.r->cmPlay_Click(); };
    const Step stop = [](Player& t) { t.r->cmStop_Click(); };
    const Step end = [](Player& t) { t.rig.wave.finishPlayback(); };
    const struct {
        const char* row;
        std::vector<Step> steps;
        std::string keys;
        int mode;
        QStringList words; // of the last step
    } cases[] = {
        {"idle, REC: recording", {rec}, kRecording, WaveDevice::Recording, {"open", "record"}},
        {"recording, STOP: idle, saved", {rec, stop}, kIdle, WaveDevice::NotOpen, {"stop", "save", "close"}},
        {"idle, file clicked: playing", {play}, kPlaying, WaveDevice::Playing, {"open", "play"}},
        {"playing, PAUSE: paused", {play, pause}, kPaused, WaveDevice::Paused, {"pause"}},
        {"paused, RESU: playing", {play, pause, resume}, kPlaying, WaveDevice::Playing, {"pause"}},
        {"playing, STOP: idle, nothing saved", {play, stop}, kIdle, WaveDevice::NotOpen, {"stop", "close"}},
        {"paused, STOP: idle, save given", {play, pause, stop}, kIdle, WaveDevice::NotOpen, {"stop", "save", "close"}},
        {"playing, end of file: idle, closed", {play, end}, kIdle, WaveDevice::NotOpen, {"stop", "close"}},
        {"idle, a late end: still idle", {play, stop, end}, kIdle, WaveDevice::NotOpen, {"stop", "close"}},
        {"recording, PAUSE: nothing", {rec, pause}, kRecording, WaveDevice::Recording, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        Player t;
        for (const Step& s : c.steps) {
            t.rig.wave.clearCommands();
            s(t);
        }
        EXPECT_EQ(t.rig.keys(), c.keys);
        EXPECT_EQ(t.rig.wave.mode(), c.mode);
        EXPECT_EQ(t.rig.wave.commands(), c.words);
        EXPECT_TRUE(t.rig.fake.serial.writes().empty()) << "the player sends nothing to the radio";
        EXPECT_TRUE(t.rig.fake.messages.criticals.isEmpty());
    }
}

TEST_F(Recorder, ARecordingIsNamedByDateTimeAndFrequencyAndNeverTakesAnExistingName)
{
    q->st.VFOActive = 1;
    q->st.VFOQrg = {14200, 14074.5};
    r->cmRec_Click();
    EXPECT_EQ(rig.wave.fileName(), rig.path(QStringLiteral("200211141530 14074.5.wav")));

    const struct {
        QDateTime when;
        double kHz;
        QStringList existing;
        QString name;
    } cases[] = {
        {QDateTime(QDate(2003, 1, 3), QTime(9, 5, 59)), 7050, {}, QStringLiteral("200301030905 7050.wav")},
        {QDateTime(QDate(2002, 11, 14), QTime(15, 30)), 14074.5, {}, QStringLiteral("200211141530 14074.5.wav")},
        {QDateTime(QDate(2024, 12, 31), QTime(23, 59)), 144300.125, {}, QStringLiteral("202412312359 144300.125.wav")},
        {QDateTime(QDate(2003, 1, 3), QTime(9, 5)), 7050, {"200301030905 7050.wav"},
         QStringLiteral("200301030905 7050 (2).wav")},
        {QDateTime(QDate(2003, 1, 3), QTime(9, 5)), 7050, {"200301030905 7050.wav", "200301030905 7050 (2).wav"},
         QStringLiteral("200301030905 7050 (3).wav")},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        for (const QString& e : c.existing) {
            QFile f(QDir(dir.path()).filePath(e));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(recordingName(c.when, c.kHz, dir.path()), c.name);
    }
}

TEST_F(Recorder, TheNameDoesNotFollowTheUsersDecimalComma)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    EXPECT_EQ(recordingName(QDateTime(QDate(2002, 11, 14), QTime(15, 30)), 14074.5, dir.path()),
              QStringLiteral("200211141530 14074.5.wav"));
}

TEST_F(Recorder, PlayListsTheWaveFilesOfTheProgramFolderOnly)
{
    for (const char* name : {"b.wav", "LOUD.WAV", "notes.txt", ".recording-abc123.wav"})
        rig.writeFile(QString::fromLatin1(name));
    QDir(rig.fake.folder.path()).mkdir(QStringLiteral("folder.wav"));

    r->cmPlay_Click();

    QStringList listed;
    for (int i = 0; i < q->LCDWav->count(); ++i)
        listed << q->LCDWav->item(i)->text();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"LOUD.WAV", "b.wav", "cq_bad.wav", "cq_cut_off.wav", "cq_five.wav", "cq_half.wav",
                                   "cq_long.wav", "cq_negative.wav", "cq_no_data.wav", "cq_zero.wav"}));
    EXPECT_EQ(q->LCDWav->Tag, QStringLiteral("PLAY"));
    EXPECT_FALSE(q->LCDWav->isHidden());
    EXPECT_EQ(rig.keys(), kIdle);
}

TEST_F(Recorder, PlayWithNoWaveFileShowsNothing)
{
    for (const QString& f : QDir(rig.fake.folder.path()).entryList({QStringLiteral("*.wav")}))
        QFile::remove(rig.path(f));
    q->LCDWav->Tag = QStringLiteral("CQ");

    r->cmPlay_Click();

    EXPECT_TRUE(q->LCDWav->isHidden());
    EXPECT_EQ(q->LCDWav->count(), 0);
    EXPECT_EQ(q->LCDWav->Tag, QStringLiteral("CQ")) << "the tag is set only with a list to show";
    EXPECT_EQ(rig.keys(), kIdle);
}

TEST_F(Recorder, AFileLineClickedAfterStopPlaysThatFile)
{
    playFile();
    r->cmStop_Click();
    EXPECT_EQ(q->LCDWav->Tag, QString());
    rig.wave.clearCommands();

    q->LCDWav->setCurrentRow(0);
    r->LCDWav_Click();

    EXPECT_EQ(rig.wave.fileName(), rig.path(q->LCDWav->item(0)->text()));
    EXPECT_EQ(rig.wave.commands(), (QStringList{"open", "play"}));
    EXPECT_EQ(rig.keys(), kPlaying);
}

TEST_F(Recorder, AFileClickedInAListLeftShowingDuringARecordingLeavesTheRecordingRunning)
{
    r->cmPlay_Click();
    r->cmRec_Click();
    rig.wave.clearCommands();

    rig.choose(0);

    EXPECT_TRUE(rig.wave.commands().isEmpty());
    EXPECT_EQ(rig.wave.mode(), WaveDevice::Recording);
    EXPECT_EQ(rig.keys(), kRecording);
}

TEST_F(Recorder, ARecordingMadeWhileTheCQListWasLeftOpenIsSavedAndSendsNothing)
{
    rig.powerOn();
    r->cmCQ_Click();
    ASSERT_EQ(q->LCDWav->Tag, QStringLiteral("CQ"));

    r->cmRec_Click();
    EXPECT_TRUE(q->LCDWav->isHidden());
    rig.wave.clearCommands();
    r->cmStop_Click();

    EXPECT_EQ(rig.wave.commands(), (QStringList{"stop", "save", "close"}));
    EXPECT_TRUE(rig.fake.serial.writes().empty()) << "no receive command for a recording";
    EXPECT_EQ(rig.keys(), kIdle);
}

TEST_F(Recorder, AFileThatCannotBeOpenedIsNamedInOneMessageAndTheKeysReturnToIdle)
{
    rig.wave.setOpenFails(true);
    playFile();

    ASSERT_EQ(rig.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("\"a.wav\"")));
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("could not be opened")));
    EXPECT_EQ(rig.keys(), kIdle);
    EXPECT_EQ(rig.wave.mode(), WaveDevice::NotOpen);
    EXPECT_TRUE(q->LCDWav->Tag.isEmpty());
}

TEST_F(Recorder, ADeviceThatNeverStartsPlayingTimesOutInsteadOfHanging)
{
    rig.wave.setStuck(true);
    const double t0 = rig.fake.clock.now();
    playFile();

    const double waited = rig.fake.clock.now() - t0;
    EXPECT_GE(waited, VoiceRecorder::kDeviceWait);
    EXPECT_LT(waited, VoiceRecorder::kDeviceWait + 1);
    ASSERT_EQ(rig.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("did not answer within 3 seconds")));
    EXPECT_EQ(rig.keys(), kIdle);
}

TEST_F(Recorder, ADeviceFailingUnderARecordingKeepsWhatWasRecorded)
{
    r->cmRec_Click();
    rig.wave.clearCommands();

    rig.wave.failNow(QStringLiteral("The sound input is no longer available."));

    EXPECT_EQ(rig.wave.commands(), (QStringList{"stop", "save", "close"}));
    ASSERT_EQ(rig.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("200211141530 50110.wav")));
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("no longer available")));
    EXPECT_EQ(rig.keys(), kIdle);
}

TEST_F(Recorder, ARecordingThatNeverStartsSaysWhyAndKeepsNothingOpen)
{
    rig.wave.setStuck(true);
    r->cmRec_Click();

    ASSERT_EQ(rig.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("could not be made")));
    EXPECT_TRUE(rig.fake.messages.criticals[0].contains(QStringLiteral("did not answer within 3 seconds")));
    EXPECT_EQ(rig.wave.commands(), (QStringList{"open", "record", "stop", "save", "close"}));
    EXPECT_EQ(rig.keys(), kIdle);
}

TEST_F(Recorder, ClosingTheLinkSavesARunningRecording)
{
    rig.powerOn();
    r->cmRec_Click();
    rig.wave.clearCommands();

    q->cmPower_Click();

    EXPECT_EQ(rig.wave.commands(), (QStringList{"stop", "save", "stop", "close"}));
    // STOP afterwards brings the keys back and says nothing.
    r->cmStop_Click();
    EXPECT_EQ(rig.keys(), kIdle);
    EXPECT_TRUE(rig.fake.messages.criticals.isEmpty());
}

TEST_F(Recorder, ClosingTheWindowWithTheLinkClosedSavesARunningRecording)
{
    r->cmRec_Click();
    rig.wave.clearCommands();

    q->close();

    EXPECT_EQ(rig.wave.commands(), (QStringList{"stop", "save", "stop", "close"}));
    EXPECT_EQ(rig.wave.mode(), WaveDevice::NotOpen);
}
