#pragma once

// The main window with the recorder on the fake platform, for the recorder and
// CQ caller tests. The wave device notes at each word how many frames the port
// had taken by then ("close@3"), so a test reads the order of device steps and
// radio commands from one list.

#include <functional>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "operating_aids/voice_recorder.h"
#include "support/civ_frames.h"
#include "support/fake_platform.h"
#include "support/quelm_fixture.h"
#include "support/tone_file.h"

namespace recorder_rig {

using namespace quelm;

class LoggingWave final : public ModeMachineWaveDevice {
public:
    explicit LoggingWave(FakeSerialPort& port) : port_(port) {}
    void command(const QString& word) override
    {
        log.push_back(word.toStdString() + "@" + std::to_string(port_.writes().size()));
        if (beforeWord)
            beforeWord(word);
        ModeMachineWaveDevice::command(word);
    }
    std::vector<std::string> log;
    // Runs before each word is carried out, to change the device under a step.
    std::function<void(const QString&)> beforeWord;

private:
    FakeSerialPort& port_;
};

// Entries 0..8 of "[CQ]": good pauses, bad pauses, a missing file, files that hold no sound.
inline QString rigIni()
{
    QString ini = QuelmFixture::defaultIni();
    ini = ini.left(ini.indexOf(QStringLiteral("[CQ]")));
    return ini + QStringLiteral("[CQ]\r\n"
                                "1,cq_five.wav,5\r\n"
                                "2,cq_zero.wav,0\r\n"
                                "3,cq_half.wav,2.5\r\n"
                                "4,cq_bad.wav,abc\r\n"
                                "5,cq_negative.wav,-1\r\n"
                                "6,cq_long.wav,70\r\n"
                                "7,cq_missing.wav,5\r\n"
                                "8,cq_cut_off.wav,5\r\n"
                                "9,cq_no_data.wav,5\r\n");
}

enum CQRow { Five = 0, Zero, Half, BadText, Negative, TooLong, Missing, CutOff, NoData };

inline const QByteArray kTransmit = testframes::sent({0x1C, 0x00, 0x01});
inline const QByteArray kReceive = testframes::sent({0x1C, 0x00, 0x00});

struct RecorderRig {
    FakePlatform fake;
    LoggingWave wave{fake.serial};
    Platform platform{fake.serial, fake.clock,    fake.events, fake.waits,
                      fake.settings, fake.messages, wave,        fake.folder.path()};
    std::unique_ptr<Quelm> window;
    Quelm* q = nullptr;
    VoiceRecorder* r = nullptr;

    explicit RecorderRig(const QString& ini = rigIni())
    {
        QuelmFixture::writeFileIn(fake.folder.path(), ini);
        for (const char* name : {"cq_five.wav", "cq_zero.wav", "cq_half.wav", "cq_bad.wav", "cq_negative.wav",
                                 "cq_long.wav"})
            writeFile(QString::fromLatin1(name));
        writeCutOff(QStringLiteral("cq_cut_off.wav"));
        EXPECT_TRUE(testsupport::writeTone(path(QStringLiteral("cq_no_data.wav")), 0)) << "a data chunk of nothing";
        window = std::make_unique<Quelm>(platform);
        EXPECT_TRUE(window->Form_Load());
        q = window.get();
        r = q->recorder.get();
        r->now = [] { return QDateTime(QDate(2002, 11, 14), QTime(15, 30, 12)); };
        clear();
    }

    QString path(const QString& name) const { return QDir(fake.folder.path()).filePath(name); }
    // A message of one frame: the least that still holds sound.
    void writeFile(const QString& name) const { EXPECT_TRUE(testsupport::writeTone(path(name), 1.0 / 8000)); }
    // A header promising 1 s of 8 kHz mono, as a recording cut off before its data.
    void writeCutOff(const QString& name) const
    {
        const QString p = path(name);
        ASSERT_TRUE(testsupport::writeTone(p, 1.0));
        ASSERT_TRUE(QFile::resize(p, QFileInfo(p).size() - 16000));
    }

    void clear()
    {
        fake.serial.clearWrites();
        wave.clearCommands();
        wave.log.clear();
    }

    void powerOn()
    {
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
        clear();
    }

    // The keys as "REC+ PLAY+ PAUSE- STOP- CQ+ [PLAY]": + enabled, - disabled, the PLAY caption.
    std::string keys() const
    {
        auto k = [](const PanelKey* key, const char* name) {
            return std::string(name) + (key->isEnabled() ? "+ " : "- ");
        };
        return k(q->cmRec, "REC") + k(q->cmPlay, "PLAY") + k(q->cmPause, "PAUSE") + k(q->cmStop, "STOP") +
               k(q->cmCQ, "CQ") + "[" + q->cmPlay->text().toStdString() + "]";
    }

    std::vector<std::string> frames() const
    {
        std::vector<std::string> out;
        for (const auto& w : fake.serial.writes())
            out.push_back(testframes::shown(w.bytes));
        return out;
    }

    void choose(int row)
    {
        q->LCDWav->setCurrentRow(row);
        r->LCDWav_Click();
    }

    // The CQ list opened and a message chosen.
    void callCQ(int row)
    {
        r->cmCQ_Click();
        choose(row);
    }
};

inline const std::string kIdle = "REC+ PLAY+ PAUSE- STOP- CQ+ [PLAY]";
inline const std::string kRecording = "REC- PLAY- PAUSE- STOP+ CQ+ [PLAY]";
inline const std::string kPlaying = "REC- PLAY- PAUSE+ STOP+ CQ- [PLAY]";
inline const std::string kPaused = "REC- PLAY+ PAUSE- STOP+ CQ- [RESU]";
inline const std::string kOnlyStop = "REC- PLAY- PAUSE- STOP+ CQ- [PLAY]";

inline std::string shown(const QByteArray& frame)
{
    return testframes::shown(frame);
}

} // namespace recorder_rig
