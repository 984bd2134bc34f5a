// The memory key and the main window's side of the memory editor: the editor
// is created on first use and lives until the main window goes; the radio
// link reaches its sheets through a grid that loads it when first touched.

#include "front_panel/memory_key.h"

#include "front_panel/quelm.h"
#include "platform/errors.h"
#include "radio_link/civ_codec.h"

namespace quelm {

MemoryKey::MemoryKey(Quelm& q) : q_(q), folder_(q.platform.programFolder), radio_(q), lazyGrid_(*this) {}

MemoryKey::~MemoryKey() = default;

Memory& MemoryKey::editor()
{
    if (!memory_)
        memory_ = std::make_unique<Memory>(q_.platform, folder_, radio_);
    if (!memory_->loaded())
        memory_->Form_Load();
    return *memory_;
}

void MemoryKey::close()
{
    if (memory_)
        memory_->Form_Unload();
}

bool MemoryKey::PanelRadio::linkOpen()
{
    return isOn(q_.st.PowerOn) && q_.platform.serial.portOpen();
}

void MemoryKey::PanelRadio::RadioReadMemory(int Mem) { q_.RadioReadMemory(Mem); }
void MemoryKey::PanelRadio::RadioSetMemory(int Mem) { q_.RadioSetMemory(Mem); }
QString MemoryKey::PanelRadio::RadioReadFrame() { return q_.RadioReadFrame(); }

int MemoryKey::PanelRadio::InBufferCount()
{
    if (!q_.platform.serial.portOpen())
        return 0;
    try {
        return q_.platform.serial.inBufferCount();
    } catch (const SerialError& e) {
        q_.LinkFailed(e.message());
        return 0;
    }
}

void MemoryKey::PanelRadio::SettoMemoria(double fa, const QString& ma, double fb, const QString& mb)
{
    // A row without one of the eight modes tunes the frequency and keeps the
    // panel's mode: an empty or unknown mode is nothing the radio or the
    // saved state can take.
    if (!civ::modeCode(ma)) {
        if (isOn(q_.st.PowerOn))
            q_.CambiaQRG(fa, true);
        return;
    }
    q_.SettoMemoria(fa, ma, fb, mb);
}

// ---- Quelm

void Quelm::wireMemoryKey()
{
    memoryKey_ = std::make_unique<MemoryKey>(*this);
    link.setMemoryGrid(&memoryKey_->linkGrid());
    connect(cmMEM, &PanelKey::clicked, this, &Quelm::cmMEM_Click);
}

Memory& Quelm::memoryEditor() { return memoryKey_->editor(); }

void Quelm::closeMemoryEditor() { memoryKey_->close(); }

void Quelm::cmMEM_Click()
{
    if (!isOn(st.PowerOn))
        return;
    Memory& editor = memoryEditor();
    editor.show();
    editor.raise();
    editor.activateWindow();
}

void Quelm::RadioReadMemory(int Mem)
{
    sendOnLink([&] { link.sendReadMemory(Mem); });
}

void Quelm::RadioSetMemory(int Mem)
{
    sendOnLink([&] { link.sendSetMemory(Mem); });
}

} // namespace quelm
