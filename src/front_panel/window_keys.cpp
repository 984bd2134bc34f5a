// The keys a frameless window needs of its own (exit, minimise, the drag strip),
// the menu key that steps through the recorder and satellite panels, and the
// rule that a mouse movement over the panel picture closes every pop-up.

#include <array>

#include <QCursor>
#include <QMouseEvent>
#include <QWindow>

#include "front_panel/quelm.h"

namespace quelm {

void Quelm::wireWindowKeys()
{
    connect(cmExit, &PanelKey::clicked, this, &Quelm::cmExit_Click);
    connect(cmMinimize, &PanelKey::clicked, this, &Quelm::cmMinimize_Click);
    connect(MoveBar, &PanelKey::mouseDown, this, &Quelm::MoveBar_MouseDown);
    connect(Image1, &PanelImage::mouseMoved, this, &Quelm::Image1_MouseMove);
    connect(cmMenu, &PanelKey::clicked, this, &Quelm::cmMenu_Click);
}

void Quelm::cmExit_Click()
{
    close(); // runs the unload step
}

void Quelm::cmMinimize_Click()
{
    showMinimized();
}

namespace {
// Moves the window with the mouse while the left button stays down on the drag
// strip, where the window system offers no move of its own (no window manager).
class StripDrag : public QObject {
public:
    StripDrag(QWidget* strip, QWidget* window) : QObject(strip), window_(window) { strip->installEventFilter(this); }
    void start(const QPoint& globalPos)
    {
        offset_ = globalPos - window_->frameGeometry().topLeft();
        active_ = true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!active_)
            return QObject::eventFilter(watched, e);
        if (e->type() == QEvent::MouseMove) {
            window_->move(static_cast<QMouseEvent*>(e)->globalPosition().toPoint() - offset_);
            return true;
        }
        if (e->type() == QEvent::MouseButtonRelease)
            active_ = false;
        return QObject::eventFilter(watched, e);
    }

private:
    QWidget* window_;
    QPoint offset_;
    bool active_ = false;
};
} // namespace

void Quelm::MoveBar_MouseDown(Qt::MouseButton Button)
{
    if (Button != Qt::LeftButton)
        return;
    QWindow* w = windowHandle();
    if (w && w->startSystemMove())
        return;
    auto* drag = MoveBar->findChild<StripDrag*>(QString(), Qt::FindDirectChildrenOnly);
    if (!drag)
        drag = new StripDrag(MoveBar, this);
    drag->start(QCursor::pos());
}

void Quelm::Image1_MouseMove()
{
    cmbBandStack->hide();
    cmbStep->hide();
    cmbSatellite->hide();
    LCDWav->hide();
    LCDCWMem->hide();
    Slider1->hide();
}

namespace {

// One step of the menu key: the Tag it acts on, what it does to each control of
// the two panels ('v' shown, 'h' hidden, '-' left alone, in the order of
// menuControls), and the Tag it leaves.
struct MenuStep {
    const char* from;
    const char* visibility;
    const char* to;
};

constexpr std::array<MenuStep, 3> kMenuSteps{{
    {"0", "vvvvvh----", "1"}, // the recorder and CQ keys
    {"1", "hhhhhhvvvh", "L"}, // the satellite panel
    {"L", "hhhhhhhhhh", "0"}, // neither
}};

} // namespace

void Quelm::cmMenu_Click()
{
    if (!isOn(st.PowerOn))
        return;
    const std::array<QWidget*, 10> menuControls{cmRec,  cmPause,     cmStop, cmPlay,    cmCQ,
                                                LCDWav, cmSatSelect, LCDSat, LCDSatQrg, QRGEditSat};
    for (const MenuStep& step : kMenuSteps) {
        if (cmMenu->Tag != QLatin1String(step.from))
            continue;
        for (std::size_t i = 0; i < menuControls.size(); ++i) {
            if (step.visibility[i] != '-')
                menuControls[i]->setVisible(step.visibility[i] == 'v');
        }
        cmMenu->Tag = QString::fromLatin1(step.to);
        return;
    }
}

} // namespace quelm
