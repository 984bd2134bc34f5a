// No key acts on a control the operator cannot see. Each pop-up list, entry box
// and the level slider is given the keyboard as the operator gives it, then
// hidden the way the operator hides it (a mouse movement over the panel picture,
// the menu key, its own Enter or Esc, its own choice); a Return, a digit and an
// arrow key typed then reach no control: nothing goes on the line, the wave
// device is not touched, and the radio's state and the display stay as they were.

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "operating_aids/satellite_panel.h"
#include "support/civ_frames.h"
#include "recorder_rig.h"

using namespace quelm;
using namespace recorder_rig;

namespace {

// The recorder rig's CQ messages and the default fixture's two satellites.
QString rigIniWithSatellites()
{
    const QString full = QuelmFixture::defaultIni();
    return rigIni() + full.mid(full.indexOf(QStringLiteral("[VIRTUALSAT]")));
}

struct Shown {
    RecorderRig rig{rigIniWithSatellites()};
    Quelm* q = rig.q;

    Shown()
    {
        q->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(q));
        q->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(q));
        q->cmPower_Click();
        EXPECT_TRUE(isOn(q->st.PowerOn));
        rig.clear();
    }

    // The n-th point (on a coarse grid) of the panel picture that no key, field
    // or list covers.
    QPoint bareSpotOfThePanel(int n = 0) const
    {
        for (int y = 5; y < q->height(); y += 7)
            for (int x = 5; x < q->width(); x += 7)
                if (q->childAt(x, y) == q->Image1 && n-- == 0)
                    return {x, y};
        ADD_FAILURE() << "the panel picture is covered everywhere";
        return {};
    }

    void mouseOverThePanel() const
    {
        const QPoint at = q->Image1->mapFrom(q, bareSpotOfThePanel(1));
        QMouseEvent move(QEvent::MouseMove, at, q->Image1->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(q->Image1, &move);
    }

    // Presses on the list's row, drags off the list and lets go outside it: the
    // row is current and the list holds the keyboard, but nothing was chosen.
    void pressAndDragOff(PopupList* list, int row) const
    {
        QWidget* vp = list->viewport();
        ASSERT_LT(row, list->count());
        const QPoint on = list->visualItemRect(list->item(row)).center();
        QTest::mousePress(vp, Qt::LeftButton, {}, on);
        ASSERT_EQ(list->currentRow(), row);
        const QPoint off = vp->mapFrom(q, bareSpotOfThePanel());
        QTest::mouseMove(vp, off);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, off);
    }

    void clickRow(PopupList* list, int row) const
    {
        ASSERT_LT(row, list->count());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    void typeIntoTheWindow(const QString& text) const
    {
        for (const QChar c : text)
            QTest::keyClick(q->windowHandle(), c.toLatin1());
    }

    void satellitePanel() const
    {
        q->cmMenu_Click();
        q->cmMenu_Click();
        ASSERT_FALSE(q->LCDSatQrg->isHidden());
    }

    void chooseSatellite(int row) const
    {
        q->satellitePanel->cmSatSelect_Click();
        clickRow(q->cmbSatellite, row);
        // The box tunes on the Enter that waits in the event queue.
        QCoreApplication::sendPostedEvents();
        ASSERT_TRUE(q->QRGEditSat->isHidden());
    }

    // Who held the keyboard when a box's Enter came, for a box that hides by an
    // Enter its opening has queued.
    QWidget* holderAtEnter = nullptr;
    void noteTheHolderAtEnter(KeyEdit* box)
    {
        box->onKeyPress = [this, box, inner = box->onKeyPress](int& key) {
            if (key == 13)
                holderAtEnter = QApplication::focusWidget();
            inner(key);
        };
    }

    // What the keys must leave alone.
    std::string state() const
    {
        const OperatingState& s = q->st;
        return std::to_string(s.VFOActive) + " " + std::to_string(s.VFOQrg[0]) + " " + std::to_string(s.VFOQrg[1])
            + " " + s.VFOModo[0].toStdString() + " " + s.VFOModo[1].toStdString() + " " + std::to_string(s.VFOStep[0])
            + " " + std::to_string(s.VFOStep[1]) + " tx " + std::to_string(s.TXOn) + " qrg "
            + q->QRG->caption().toStdString() + " sat " + q->LCDSat->caption().toStdString() + " "
            + q->LCDSatQrg->caption().toStdString() + " slider " + std::to_string(q->Slider1->value());
    }
};

struct HiddenCase {
    const char* name;
    // Gives the control the keyboard as the operator does; the control.
    std::function<QWidget*(Shown&)> open;
    // Hides it as the operator does; none where the opening hides it itself.
    std::function<void(Shown&)> hide;
};

void openStepList(Shown& s)
{
    s.q->cmStep_Click();
    s.pressAndDragOff(s.q->cmbStep, 3);
}

// As the receive loop opens it with the radio's text of keyer memory 1.
QWidget* openKeyerBox(Shown& s)
{
    s.rig.fake.serial.queueInput(testframes::fromRadio({0x1A, 0x02, 0x01}).chopped(1)
                                 + QByteArray("CQ").leftJustified(50, ' ') + QByteArray("\xFD", 1));
    s.q->Timer1_Timer();
    return s.q->LCDCWMem;
}

const HiddenCase kCases[] = {
    {"CQListByTheMouseOverThePanel",
     [](Shown& s) -> QWidget* {
         s.rig.r->cmCQ_Click();
         s.pressAndDragOff(s.q->LCDWav, 0);
         return s.q->LCDWav;
     },
     [](Shown& s) { s.mouseOverThePanel(); }},
    {"CQListByTheMenuKey",
     [](Shown& s) -> QWidget* {
         s.q->cmMenu_Click(); // the recorder keys
         s.rig.r->cmCQ_Click();
         s.pressAndDragOff(s.q->LCDWav, 0);
         return s.q->LCDWav;
     },
     [](Shown& s) { s.q->cmMenu_Click(); }},
    {"PlayListByTheMouseOverThePanel",
     [](Shown& s) -> QWidget* {
         s.rig.r->cmPlay_Click();
         s.pressAndDragOff(s.q->LCDWav, 0);
         return s.q->LCDWav;
     },
     [](Shown& s) { s.mouseOverThePanel(); }},
    {"SatelliteListByTheMouseOverThePanel",
     [](Shown& s) -> QWidget* {
         s.satellitePanel();
         s.chooseSatellite(0);
         s.rig.clear();
         s.q->satellitePanel->cmSatSelect_Click();
         s.pressAndDragOff(s.q->cmbSatellite, 1);
         return s.q->cmbSatellite;
     },
     [](Shown& s) { s.mouseOverThePanel(); }},
    {"StepListByTheMouseOverThePanel",
     [](Shown& s) -> QWidget* {
         openStepList(s);
         return s.q->cmbStep;
     },
     [](Shown& s) { s.mouseOverThePanel(); }},
    {"StepListByItsOwnChoice",
     [](Shown& s) -> QWidget* {
         openStepList(s);
         return s.q->cmbStep;
     },
     [](Shown& s) {
         s.clickRow(s.q->cmbStep, 3);
         ASSERT_FALSE(s.rig.frames().empty()) << "the choice sets the step";
         s.rig.clear();
     }},
    {"MemoPadListByTheMouseOverThePanel",
     [](Shown& s) -> QWidget* {
         s.q->cmMPW_Click();
         s.q->st.VFOQrg[s.q->st.VFOActive] = 14100;
         s.q->cmMPW_Click();
         s.q->cmMPR_Click();
         s.pressAndDragOff(s.q->cmbBandStack, 1);
         return s.q->cmbBandStack;
     },
     [](Shown& s) { s.mouseOverThePanel(); }},
    {"KeyerBoxByTheMouseOverThePanel",
     openKeyerBox,
     [](Shown& s) { s.mouseOverThePanel(); }},
    {"KeyerBoxByItsEsc",
     openKeyerBox,
     [](Shown& s) { QTest::keyClick(s.q->windowHandle(), Qt::Key_Escape); }},
    {"LevelSliderByTheMouseOverThePanel",
     [](Shown& s) -> QWidget* {
         s.q->cmAF_Click();
         s.q->Slider1->setFocus(Qt::MouseFocusReason);
         return s.q->Slider1;
     },
     [](Shown& s) { s.mouseOverThePanel(); }},
    {"FrequencyBoxByItsEnter",
     [](Shown& s) -> QWidget* {
         s.q->cmQRG_Click();
         return s.q->QRGEdit;
     },
     [](Shown& s) {
         s.typeIntoTheWindow(QStringLiteral("50200\r"));
         ASSERT_EQ(s.rig.frames().size(), 1u) << "the box's Enter tunes the radio";
         s.rig.clear();
     }},
    {"FrequencyBoxByItsEsc",
     [](Shown& s) -> QWidget* {
         s.q->cmQRG_Click();
         return s.q->QRGEdit;
     },
     [](Shown& s) { QTest::keyClick(s.q->windowHandle(), Qt::Key_Escape); }},
    {"SatelliteBoxByItsEnter",
     [](Shown& s) -> QWidget* {
         s.satellitePanel();
         s.noteTheHolderAtEnter(s.q->QRGEditSat);
         s.chooseSatellite(0);
         EXPECT_FALSE(s.rig.frames().empty()) << "the queued Enter tunes the radio";
         return s.q->QRGEditSat;
     },
     nullptr},
    {"SatelliteBoxByTheMenuKey",
     [](Shown& s) -> QWidget* {
         s.satellitePanel();
         s.chooseSatellite(0);
         s.rig.clear();
         s.q->satellitePanel->LCDSatQrg_Click();
         // A click on the satellite frequency shows the box; a click into it
         // gives it the keyboard.
         EXPECT_NE(QApplication::focusWidget(), s.q->QRGEditSat);
         QTest::mouseClick(s.q->QRGEditSat, Qt::LeftButton);
         return s.q->QRGEditSat;
     },
     [](Shown& s) { s.q->cmMenu_Click(); }},
};

class HiddenControl : public ::testing::TestWithParam<HiddenCase> {};

} // namespace

TEST_P(HiddenControl, TakesNoKeyAndHandsTheKeyboardBackToTheWindow)
{
    Shown s;
    QWidget* control = GetParam().open(s);
    if (GetParam().hide) {
        ASSERT_FALSE(control->isHidden());
        ASSERT_EQ(QApplication::focusWidget(), control);
        GetParam().hide(s);
    } else {
        ASSERT_EQ(s.holderAtEnter, control);
    }
    ASSERT_TRUE(control->isHidden());
    s.rig.clear();
    const std::string before = s.state();

    s.typeIntoTheWindow(QStringLiteral("5\r"));
    QTest::keyClick(s.q->windowHandle(), Qt::Key_Up);
    QTest::keyClick(s.q->windowHandle(), Qt::Key_PageUp);
    QTest::keyClick(s.q->windowHandle(), Qt::Key_Return);
    QCoreApplication::sendPostedEvents();

    EXPECT_EQ(s.rig.frames(), std::vector<std::string>{});
    EXPECT_EQ(s.rig.wave.log, std::vector<std::string>{});
    EXPECT_EQ(s.state(), before);
    EXPECT_TRUE(control->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), s.q);
    EXPECT_TRUE(s.rig.fake.messages.criticals.isEmpty()) << s.rig.fake.messages.criticals.join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Controls, HiddenControl, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HiddenCase>& i) { return std::string(i.param.name); });

// A key event already on its way to a control when it hid (posted before it)
// is dropped too.
TEST(HiddenControlKeys, AKeyQueuedForABoxThatHidBeforeItArrivedIsDropped)
{
    Shown s;
    s.q->cmQRG_Click();
    s.q->QRGEdit->setText(QStringLiteral("7050"));
    QCoreApplication::postEvent(s.q->QRGEdit,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
    s.q->QRGEdit->hide();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(s.rig.frames(), std::vector<std::string>{});
}

// The mouse moves over the panel of a window that is not the active one (another
// program has the keyboard): the list hides all the same, and when the window
// is active again the keyboard goes to no control.
TEST(HiddenControlKeys, AListHiddenWhileTheWindowIsInactiveDoesNotGetTheKeyboardBack)
{
    Shown s;
    s.rig.r->cmCQ_Click();
    s.pressAndDragOff(s.q->LCDWav, 0);
    ASSERT_EQ(QApplication::focusWidget(), s.q->LCDWav);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    s.mouseOverThePanel();
    ASSERT_TRUE(s.q->LCDWav->isHidden());
    s.q->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.q));
    s.typeIntoTheWindow(QStringLiteral("5\r"));

    EXPECT_EQ(QApplication::focusWidget(), s.q);
    EXPECT_EQ(s.rig.frames(), std::vector<std::string>{});
    EXPECT_EQ(s.rig.wave.log, std::vector<std::string>{});
}
