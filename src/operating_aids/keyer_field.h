#pragma once

// The CW keyer-memory field: the channel keys beside "CH", the read key, and the
// box over the display in which a keyer memory's text is edited and written back
// with Enter. The radio's answer to a read reaches the box through the receive
// loop, which fills and shows it.

#include <functional>

#include <QObject>
#include <QString>

class QByteArray;

namespace quelm {

class KeyEdit;
class LcdLabel;
class PanelKey;

// What the field needs of the main window.
struct KeyerRadio {
    std::function<bool()> PowerOn;  // the serial link is open
    std::function<void(int Mem)> RadioReadMemoryKeyer;
    std::function<void(int Mem, const QByteArray& Buffer)> RadioSetMemoryKeyer;
};

struct KeyerControls {
    PanelKey* cmCHDown = nullptr;
    PanelKey* cmCHUp = nullptr;
    PanelKey* cmCWMem = nullptr;
    LcdLabel* LCDCH = nullptr;    // the channel, "01" .. "04"
    KeyEdit* LCDCWMem = nullptr;  // the keyer text being edited
};

class KeyerField : public QObject {
    Q_OBJECT
public:
    // Connects the controls' events to the handlers below.
    KeyerField(const KeyerControls& controls, KeyerRadio radio, QObject* parent = nullptr);

    void cmCHDown_Click();
    void cmCHUp_Click();
    void cmCWMem_Click();
    // Esc abandons, Enter writes the memory; every typed key shows in capitals.
    void LCDCWMem_KeyPress(int& KeyAscii);

    // The channel the field shows, 1 .. 4.
    int channel() const;

private:
    void showChannel(int channel);

    KeyerControls c_;
    KeyerRadio radio_;
};

} // namespace quelm
