// The recorder, player and CQ caller is a class of its own (src/operating_aids);
// the window gives it the recorder keys, the wave list and the repeat timer, the
// wave device, and the few radio commands and state readings it needs.

#include "front_panel/quelm.h"
#include "operating_aids/voice_recorder.h"

namespace quelm {

void Quelm::createRecorder()
{
    RecorderRadio radio;
    radio.PowerOn = [this] { return isOn(st.PowerOn); };
    radio.RadioSetRXTX = [this](bool RX) { RadioSetRXTX(RX); };
    radio.currentQrg = [this] { return st.VFOQrg[static_cast<std::size_t>(st.VFOActive)]; };
    radio.CQMsg = [this]() -> const CQMessages& { return st.CQMsg; };
    recorder = std::make_unique<VoiceRecorder>(RecorderControls{cmRec, cmPause, cmStop, cmPlay, cmCQ, LCDWav, TimerCQ},
                                               std::move(radio), platform.wave, platform.waits, platform.messages,
                                               platform.programFolder);
    VoiceRecorder* r = recorder.get();
    connect(cmRec, &PanelKey::clicked, r, &VoiceRecorder::cmRec_Click);
    connect(cmPause, &PanelKey::clicked, r, &VoiceRecorder::cmPause_Click);
    connect(cmStop, &PanelKey::clicked, r, &VoiceRecorder::cmStop_Click);
    connect(cmPlay, &PanelKey::clicked, r, &VoiceRecorder::cmPlay_Click);
    connect(cmCQ, &PanelKey::clicked, r, &VoiceRecorder::cmCQ_Click);
    connect(LCDWav, &PopupList::chosen, r, &VoiceRecorder::LCDWav_Click);
    connect(TimerCQ, &QTimer::timeout, r, &VoiceRecorder::TimerCQ_Timer);
    connect(&platform.wave, &WaveDevice::done, r, &VoiceRecorder::MMControl1_Done);
    connect(&platform.wave, &WaveDevice::failed, r, &VoiceRecorder::MMControl1_Failed);
}

} // namespace quelm
