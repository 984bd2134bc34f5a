// The keyer-memory field and the satellite panel on the real serial layer, real
// timers and the Qt event loop, against the simulated radio: a keyer memory
// written and read back, a satellite picked from the repository's settings file,
// and the radio's own dial followed on the satellite side.
//
// With QUELM_PANEL_SHOTS set to a folder, each test leaves a picture of the
// panel there as it ends (run under Xvfb with QT_QPA_PLATFORM=xcb to see it as
// the desktop draws it).

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "operating_aids/satellite_conversion.h"
#include "platform/conversions.h"
#include "simulator/radio_simulator.h"
#include "support/live_program.h"
#include "support/port_alias.h"

using namespace quelm;
using namespace std::chrono_literals;
using testsupport::eventually;

namespace {

class AidsLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        radio.start();
        writeIni();
        program = std::make_unique<testsupport::LiveProgram>(settings, folder.path());
        ASSERT_TRUE(program->load());
        q = program->window.get();
        q->cmPower_Click();
        ASSERT_TRUE(isOn(q->st.PowerOn));
    }

    void TearDown() override
    {
        saveShot();
        if (program && program->window)
            program->window->Form_Unload();
        program.reset();
        radio.stop();
    }

    // The repository's own settings file, its port pointed at the simulator.
    void writeIni()
    {
        QFile repo(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../quelm.ini"));
        ASSERT_TRUE(repo.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(repo.readAll());
        text.replace(QStringLiteral("\nport 1\n"), QStringLiteral("\nport %1\n").arg(QString::fromStdString(alias)));
        ASSERT_TRUE(text.contains(QString::fromStdString(alias)));
        QFile ini(QDir(folder.path()).filePath(QStringLiteral("quelm.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(text.toUtf8());
    }

    void saveShot()
    {
        const QString dir = qEnvironmentVariable("QUELM_PANEL_SHOTS");
        if (dir.isEmpty() || !q || shotName.isEmpty())
            return;
        q->show();
        QTest::qWait(300);
        q->grab().save(QDir(dir).filePath(shotName));
    }

    const std::string alias = testsupport::uniquePortAlias();
    sim::RadioSimulator radio{testsupport::steadyRadio(alias, 90)};
    QTemporaryDir folder;
    MemorySettingsStore settings;
    std::unique_ptr<testsupport::LiveProgram> program;
    Quelm* q = nullptr;
    QString shotName; // the picture this test leaves, when pictures are asked for
};

} // namespace

TEST_F(AidsLive, KeyerMemoryTwoIsWrittenAndReadBackIntoTheBox)
{
    shotName = QStringLiteral("panel-keyer.png");
    emit q->cmCHUp->clicked();
    ASSERT_EQ(q->LCDCH->caption(), QStringLiteral("02"));

    q->LCDCWMem->show();
    q->LCDCWMem->clear();
    QTest::keyClicks(q->LCDCWMem, QStringLiteral("cq test de quelm"));
    QTest::keyClick(q->LCDCWMem, Qt::Key_Return);
    EXPECT_TRUE(q->LCDCWMem->isHidden());
    EXPECT_TRUE(eventually([&] { return radio.state().keyer[2].rfind("CQ TEST DE QUELM ", 0) == 0; }))
        << radio.state().keyer[2];
    EXPECT_EQ(radio.state().keyer[2].size(), 50u);
    EXPECT_EQ(radio.state().keyer[1], std::string(50, ' '));

    q->LCDCWMem->clear();
    emit q->cmCWMem->clicked();
    EXPECT_TRUE(eventually([&] { return !q->LCDCWMem->isHidden(); }));
    EXPECT_EQ(q->LCDCWMem->text(), QStringLiteral("CQ TEST DE QUELM"));
}

TEST_F(AidsLive, PickedSatelliteTunesTheRadioAndItsDialIsFollowedOnTheSatelliteSide)
{
    shotName = QStringLiteral("panel-satellite.png");
    // The repository's non-inverting satellite.
    std::optional<int> row;
    for (int r = 0; r < q->cmbSatellite->count() && !row; ++r) {
        if (sat::isNonInverting(q->st.SatTable[r]))
            row = r;
    }
    ASSERT_TRUE(row) << "quelm.ini has no non-inverting satellite";
    const sat::SatRowCells& cells = q->st.SatTable[*row];
    const double satLow = sat::cellKHz(cells[SatQrgLow]);
    const double radioLow = sat::cellKHz(cells[TrxQrgAtLow]);

    // The satellite panel as the menu key shows it.
    q->cmSatSelect->show();
    q->LCDSat->show();
    q->LCDSatQrg->show();
    emit q->cmSatSelect->clicked();
    q->cmbSatellite->setCurrentRow(*row);
    emit q->cmbSatellite->chosen();

    EXPECT_TRUE(eventually([&] { return radio.frequencyHz() == static_cast<std::uint32_t>(radioLow * 1000); }))
        << radio.frequencyHz();
    EXPECT_EQ(radio.modeCode(), 0x01); // USB, set before the frequency
    EXPECT_EQ(q->LCDSat->caption(), q->cmbSatellite->item(*row)->text());
    EXPECT_EQ(q->LCDSatQrg->caption(), conv::formatFixed2(satLow));

    // Fifty kilohertz up on the radio's dial is fifty up on the satellite side.
    ASSERT_EQ(radio.control("dial " + std::to_string(static_cast<long long>(radioLow * 1000) + 50000)), "ok");
    EXPECT_TRUE(eventually([&] { return q->LCDSatQrg->caption() == conv::formatFixed2(satLow + 50); }))
        << q->LCDSatQrg->caption().toStdString();
    EXPECT_TRUE(program->messages.criticals.isEmpty()) << program->messages.criticals.join(' ').toStdString();
}
