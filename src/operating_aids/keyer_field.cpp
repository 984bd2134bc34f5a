#include "operating_aids/keyer_field.h"

#include <QByteArray>

#include "window_support/panel_widgets.h"
#include "operating_aids/keyer_text.h"

namespace quelm {

namespace {
constexpr int kEnter = 13;
constexpr int kEsc = 27;
} // namespace

KeyerField::KeyerField(const KeyerControls& controls, KeyerRadio radio, QObject* parent)
    : QObject(parent), c_(controls), radio_(std::move(radio))
{
    connect(c_.cmCHDown, &PanelKey::clicked, this, &KeyerField::cmCHDown_Click);
    connect(c_.cmCHUp, &PanelKey::clicked, this, &KeyerField::cmCHUp_Click);
    connect(c_.cmCWMem, &PanelKey::clicked, this, &KeyerField::cmCWMem_Click);
    c_.LCDCWMem->onKeyPress = [this](int& KeyAscii) { LCDCWMem_KeyPress(KeyAscii); };
}

int KeyerField::channel() const
{
    return keyer::channelOf(c_.LCDCH->caption());
}

void KeyerField::showChannel(int channel)
{
    c_.LCDCH->setCaption(keyer::channelCaption(channel));
}

void KeyerField::cmCHDown_Click()
{
    if (radio_.PowerOn() && channel() > keyer::kFirstChannel)
        showChannel(channel() - 1);
}

void KeyerField::cmCHUp_Click()
{
    if (radio_.PowerOn() && channel() < keyer::kLastChannel)
        showChannel(channel() + 1);
}

void KeyerField::cmCWMem_Click()
{
    // The text arrives later, through the receive loop.
    if (radio_.PowerOn())
        radio_.RadioReadMemoryKeyer(channel());
}

void KeyerField::LCDCWMem_KeyPress(int& KeyAscii)
{
    if (KeyAscii == kEsc) {
        c_.LCDCWMem->hide();
    } else if (KeyAscii == kEnter) {
        c_.LCDCWMem->hide();
        // A box left open while the link closed writes nothing: the radio's
        // memory keeps its text, as after Esc.
        if (radio_.PowerOn())
            radio_.RadioSetMemoryKeyer(channel(), keyer::memoryText(c_.LCDCWMem->text()));
    }
    KeyAscii = keyer::upperCaseKey(KeyAscii);
}

} // namespace quelm
