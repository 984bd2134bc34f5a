// Start-up and shut-down of the main window: fixed link values, placement, the
// outline, the settings file, the wave device and the last radio state.

#include "front_panel/quelm.h"
#include "front_panel/saved_state.h"
#include "front_panel/settings_file.h"
#include "operating_aids/voice_recorder.h"
#include "platform/errors.h"
#include "window_support/form_pos.h"
#include "window_support/region.h"

namespace quelm {

namespace {
const QString kPlacement = QStringLiteral("Quelm");

QString listed(const QString& intro, const QStringList& items)
{
    return intro + QStringLiteral("\n\n") + items.join(QLatin1Char('\n'));
}
} // namespace

bool Quelm::Form_Load()
{
    st.CmdDelay = 0.1;
    st.PowerOn = kFalse;
    st.RadioAddress = 86;

    RestoreFormPos(*this, platform.settings, kPlacement);

    SkinPicture = panelPicture();
    if (!SkinRegion)
        SkinRegion = std::make_unique<Region>();
    unsigned int transColor = 1;
    SkinRegion->ScanPicture(SkinPicture, transColor);
    SkinRegion->OffsetHeader(*this);
    Image1->setPixmap(QPixmap::fromImage(SkinPicture));
    SkinRegion->ApplyRgn(this);

    const SettingsFile file = readSettingsFile(settingsFilePath(platform.programFolder));
    if (!file.ok) {
        platform.messages.critical(file.error);
        return false;
    }
    loadSettingsFile(file);

    platform.wave.setDeviceType(QStringLiteral("WAVEAUDIO"));
    platform.wave.setFileName(QStringLiteral("tmp"));
    StopPlayer();

    QStringList repairs;
    readSavedState(platform.settings, st, &repairs);
    if (!repairs.isEmpty())
        platform.messages.warning(listed(QStringLiteral("Some saved settings were damaged and have been reset:"),
                                         repairs));
    return true;
}

void Quelm::loadSettingsFile(const SettingsFile& file)
{
    st.BandLimit = file.BandLimit;
    st.CQMsg = file.CQMsg;
    st.SatTable = file.SatTable;
    cmbSatellite->addItems(file.satelliteNames);

    QStringList problems = file.warnings;
    // Each setting the port refuses leaves the one before it in force.
    auto apply = [&problems](const std::function<void()>& set) {
        try {
            set();
        } catch (const SerialError& e) {
            problems << e.message();
        }
    };
    if (file.portNumber)
        apply([&] { platform.serial.setCommPort(*file.portNumber); });
    if (file.portPath)
        apply([&] { platform.serial.setCommPortPath(*file.portPath); });
    if (file.speed)
        apply([&] { platform.serial.setSettings(*file.speed); });
    if (!problems.isEmpty())
        platform.messages.warning(listed(QStringLiteral("Parts of the settings file were not taken:"), problems));
}

void Quelm::StopPlayer()
{
    recorder->StopPlayer();
}

void Quelm::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    SaveFormPos(*this, platform.settings, kPlacement);
    // The memory editor, once it exists, is closed here.
    closeMemoryEditor();
    // The port may be open with PowerOn still false while the push runs; closing
    // it here also ends that push at its next pause.
    if (isOn(st.PowerOn) || platform.serial.portOpen())
        shutLink();
    else
        recorder->windowClosing(); // a running recording is saved, the device closed
    SaveLastState();
}

void Quelm::SaveLastState()
{
    writeSavedState(platform.settings, st);
}

} // namespace quelm
