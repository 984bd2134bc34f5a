// Six levels of the radio on one slider: a level key names its level on the
// slider, sets it to the level's last value (section "Slider"), puts the pointer
// on the thumb and shows it; every change of the slider and every mouse movement
// over it stores the value and sends it through ChangeSet.

#include <algorithm>
#include <optional>

#include <QCursor>

#include "front_panel/quelm.h"
#include "platform/conversions.h"
#include "platform/errors.h"
#include "radio_link/civ_codec.h"

namespace quelm {

namespace {

// Set once the operator has been told that this opening's level cannot be stored.
const char* const kStoreWarned = "storeWarned";

// A saved level as the slider can take it: halves to the even neighbour, a value
// outside 0..255 (a damaged store) to the nearest end, text that is no number to 0.
int savedLevel(SettingsStore& settings, const QString& name)
{
    const QString text = settings.getSetting(QStringLiteral("Quelm"), QStringLiteral("Slider"), name, QString());
    const std::optional<double> value = conv::localeReading(QStringView(text));
    if (!value)
        return 0;
    return static_cast<int>(std::clamp(conv::roundHalfEven(*value), 0.0, 255.0));
}

void levelKey(Quelm& q, const char* name)
{
    if (!isOn(q.st.PowerOn))
        return;
    q.Slider1->setProperty(kStoreWarned, false);
    // The name first: the change that setting the value may raise already
    // belongs to the new level.
    q.Slider1->Tag = QString::fromLatin1(name);
    q.Slider1->setValue(savedLevel(q.platform.settings, q.Slider1->Tag));
    int value = q.Slider1->value();
    q.SetMouse(value);
    q.Slider1->setVisible(true);
    q.Slider1->raise();
}

} // namespace

void Quelm::wireLevelSlider()
{
    connect(cmAF, &PanelKey::clicked, this, &Quelm::cmAF_Click);
    connect(cmRFSQL, &PanelKey::clicked, this, &Quelm::cmRFSQL_Click);
    connect(cmNRLevel, &PanelKey::clicked, this, &Quelm::cmNRLevel_Click);
    connect(cmNotchLevel, &PanelKey::clicked, this, &Quelm::cmNotchLevel_Click);
    connect(cmMicGain, &PanelKey::clicked, this, &Quelm::cmMicGain_Click);
    connect(cmRFGain, &PanelKey::clicked, this, &Quelm::cmRFGain_Click);
    connect(Slider1, &QSlider::valueChanged, this, &Quelm::Slider1_Change);
    connect(Slider1, &PanelSlider::mouseMoved, this, &Quelm::Slider1_MouseMove);
}

void Quelm::cmAF_Click() { levelKey(*this, "cmAF"); }
// The squelch key keeps its level under "cmSQL", not under its own name.
void Quelm::cmRFSQL_Click() { levelKey(*this, "cmSQL"); }
void Quelm::cmNRLevel_Click() { levelKey(*this, "cmNRLevel"); }
void Quelm::cmNotchLevel_Click() { levelKey(*this, "cmNotchLevel"); }
void Quelm::cmMicGain_Click() { levelKey(*this, "cmMicGain"); }
void Quelm::cmRFGain_Click() { levelKey(*this, "cmRFGain"); }

void Quelm::SetMouse(int& Value)
{
    Q_UNUSED(Value); // the slider's own value places the pointer
    const QPoint corner = Slider1->mapToGlobal(QPoint(0, 0));
    const auto width = static_cast<float>(Slider1->width());
    const int max = std::max(1, Slider1->maximum());
    const double x = corner.x() + (static_cast<double>(width) - 10.0) / max * Slider1->value();
    QCursor::setPos(static_cast<int>(conv::roundHalfEven(x)), corner.y() + 10);
}

namespace {

// Until a level key has named a level, and while the link is closed, the
// slider stores and sends nothing.
void sendLevel(Quelm& q)
{
    if (q.Slider1->Tag.isEmpty() || !isOn(q.st.PowerOn))
        return;
    const QString what = q.Slider1->Tag;
    const int value = q.Slider1->value();
    try {
        q.ChangeSet(what, value);
        return;
    } catch (const SerialError&) {
        throw;
    } catch (const PlatformError& e) {
        // An unwritable settings store: a drag must neither end the program nor
        // raise a box per movement, and the radio still gets its level.
        if (!q.Slider1->property(kStoreWarned).toBool()) {
            q.Slider1->setProperty(kStoreWarned, true);
            q.platform.messages.warning(
                QStringLiteral("The level is sent to the radio but cannot be kept for the next run.\n\n%1")
                    .arg(e.message()));
        }
    }
    if (!q.platform.serial.portOpen())
        return;
    try {
        q.link.writeFrame(civ::levelFrame(q.st.RadioAddress, what, value));
    } catch (const SerialError& e) {
        q.LinkFailed(e.message());
    }
}

} // namespace

void Quelm::Slider1_Change() { sendLevel(*this); }
void Quelm::Slider1_MouseMove() { sendLevel(*this); }

} // namespace quelm
