#pragma once

// A main window loaded from a temporary program folder with every platform layer
// faked. Typical use:
//     QuelmFixture f;
//     ASSERT_TRUE(f.load());            // the default settings file below
//     f.window->cm20m_Click();
//     EXPECT_EQ(f.fake.serial.writes().size(), ...);
// load(text) writes `text` as quelm.ini first; loadWithoutIni() leaves it out.

#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QString>

#include "civ_frames.h"
#include "fake_platform.h"
#include "front_panel/quelm.h"

struct QuelmFixture {
    FakePlatform fake;
    std::unique_ptr<quelm::Quelm> window;

    // Eleven band rows with the narrower IARU Region 1 edges (so 7201 kHz lies
    // outside the 40 m row), port 1 at 9600,n,8,1, two CQ messages and two
    // satellites (row 0 non-inverting, row 1 inverting).
    static QString defaultIni()
    {
        return QStringLiteral(
            "# test settings\r\n"
            "[COMM]\r\n"
            "port 1\r\n"
            "speed 9600,n,8,1\r\n"
            "[BAND LIMIT]\r\n"
            "160m 1840 1810 2000\r\n"
            "80m 3700 3500 3800\r\n"
            "40m 7050 7000 7200\r\n"
            "30m 10120 10100 10150\r\n"
            "20m 14200 14000 14350\r\n"
            "17m 18100 18068 18168\r\n"
            "15m 21200 21000 21450\r\n"
            "12m 24940 24890 24990\r\n"
            "10m 28500 28000 29700\r\n"
            "6m 50110 50000 52000\r\n"
            "2m 144300 144000 146000\r\n"
            "[CQ]\r\n"
            "1,cq_short.wav,5\r\n"
            "2,cq_long.wav,10\r\n"
            "[VIRTUALSAT]\r\n"
            "Linear-N,N,435800,435900,145900,145800,U,USB\r\n"
            "Linear-I,I,435500,435600,145850,145950,U,LSB\r\n");
    }

    // Every frame written to the fake port so far, as "FE FE 56 ..." texts.
    std::vector<std::string> sentFrames() const
    {
        std::vector<std::string> out;
        for (const auto& w : fake.serial.writes())
            out.push_back(testframes::shown(w.bytes));
        return out;
    }

    QString programFile(const QString& name) const { return QDir(fake.folder.path()).filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(programFile(name));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

    void writeIni(const QString& text) const { writeFile(QStringLiteral("quelm.ini"), text.toUtf8()); }

    // The two band-limit messages: they name the settings file by its full path,
    // as the per-user saved-state file has nearly the same name.
    QString bandNotDefinedMessage() const
    {
        return QStringLiteral("Band not definited! See ") + programFile(QStringLiteral("quelm.ini"));
    }
    QString notInBandMessage() const
    {
        return QStringLiteral("QRG not in band limit definition! See ") + programFile(QStringLiteral("quelm.ini"));
    }

    // For rigs that build their own Platform around another folder.
    static void writeFileIn(const QString& folder, const QString& iniText)
    {
        QFile f(QDir(folder).filePath(QStringLiteral("quelm.ini")));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(iniText.toUtf8());
    }

    // Constructs the window and runs its load step; the result is Form_Load's.
    bool load(const QString& iniText = defaultIni())
    {
        writeIni(iniText);
        return loadWithoutIni();
    }

    bool loadWithoutIni()
    {
        window = std::make_unique<quelm::Quelm>(fake.platform);
        return window->Form_Load();
    }
};
