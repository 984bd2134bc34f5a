#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "platform/conversions.h"
#include "platform/fakes.h"
#include "support/fake_platform.h"
#include "support/quelm_fixture.h"
#include "window_support/form_pos.h"
#include "window_support/bar_control.h"
#include "window_support/region.h"

using namespace quelm;

// Failures name the rectangle instead of its bytes.
static void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

namespace {

const QString kApp = QStringLiteral("Quelm");

QString placement(MemorySettingsStore& s, const char* key)
{
    return s.getSetting(kApp, QStringLiteral("Quelm"), QString::fromLatin1(key), QStringLiteral("<none>"));
}

// ---- window placement

TEST(FormPos, RestoreWithoutValuesKeepsThePlace)
{
    MemorySettingsStore store;
    QWidget w(nullptr, Qt::FramelessWindowHint);
    w.setGeometry(40, 50, 300, 200);
    RestoreFormPos(w, store, QStringLiteral("Quelm"));
    EXPECT_EQ(w.geometry(), QRect(40, 50, 300, 200));
    EXPECT_EQ(store.writes(), 0);
}

TEST(FormPos, SaveInTwipsThenRestore)
{
    MemorySettingsStore store;
    {
        QWidget w(nullptr, Qt::FramelessWindowHint);
        w.setGeometry(80, 30, 701, 337);
        SaveFormPos(w, store, QStringLiteral("Quelm"));
    }
    EXPECT_EQ(placement(store, "X"), QStringLiteral(" 1200"));
    EXPECT_EQ(placement(store, "Y"), QStringLiteral(" 450"));
    EXPECT_EQ(placement(store, "W"), QStringLiteral(" 10515"));
    EXPECT_EQ(placement(store, "H"), QStringLiteral(" 5055"));
    QWidget again(nullptr, Qt::FramelessWindowHint);
    again.setGeometry(0, 0, 10, 10);
    RestoreFormPos(again, store, QStringLiteral("Quelm"));
    EXPECT_EQ(again.geometry(), QRect(80, 30, 701, 337));
}

TEST(FormPos, NothingStoredWhenMaximisedOrMinimised)
{
    for (Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowMinimized}) {
        MemorySettingsStore store;
        QWidget w(nullptr, Qt::FramelessWindowHint);
        w.setGeometry(10, 10, 100, 100);
        w.setWindowState(state);
        SaveFormPos(w, store, QStringLiteral("Quelm"));
        EXPECT_EQ(store.writes(), 0) << state;
    }
}

TEST(FormPos, AValueNoScreenCouldHaveKeepsThatEdgeOrSize)
{
    // A far-off place is still a place, then brought within the screen's reach;
    // only what no pixel can be is refused.
    const struct {
        const char* x;
        const char* w;
        QRect restored;
    } cases[] = {
        {"left", "wide", {40, 20, 300, 200}},   {" 1e300", " 1e300", {40, 20, 300, 200}},
        {"-1e300", "-1e300", {40, 20, 300, 200}}, {"inf", "inf", {40, 20, 300, 200}},
        {"-inf", "-inf", {40, 20, 300, 200}},   {"nan", "nan", {40, 20, 300, 200}},
        {"-30000", " 9000", {0, 20, 600, 200}},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        store.saveSetting(kApp, QStringLiteral("Quelm"), QStringLiteral("X"), QString::fromLatin1(c.x));
        store.saveSetting(kApp, QStringLiteral("Quelm"), QStringLiteral("Y"), QStringLiteral(" 300"));
        store.saveSetting(kApp, QStringLiteral("Quelm"), QStringLiteral("W"), QString::fromLatin1(c.w));
        QWidget w(nullptr, Qt::FramelessWindowHint);
        w.setGeometry(40, 50, 300, 200);
        RestoreFormPos(w, store, QStringLiteral("Quelm"));
        EXPECT_EQ(w.geometry(), c.restored) << c.x << " " << c.w;
    }
}

// ---- placement of a window the system frames (the offscreen platform puts a
// small frame round a top-level window once it is shown)

namespace {

void storePlacement(MemorySettingsStore& store, QRect outer)
{
    const auto put = [&](const char* key, int pixels) {
        store.saveSetting(kApp, QStringLiteral("Quelm_MEM"), QString::fromLatin1(key),
                          conv::numberText(pixels * kTwipsPerPixel));
    };
    put("X", outer.x());
    put("Y", outer.y());
    put("W", outer.width());
    put("H", outer.height());
}

bool framed(const QWidget& w) { return w.frameGeometry() != w.geometry(); }

} // namespace

TEST(FormPos, AFramedWindowReopensAtItsStoredOuterPlaceAndSize)
{
    const QRect closedAt(80, 30, 521, 267);
    enum class Before { Nothing, AnotherRestore, ShownAndHidden };
    for (Before before : {Before::Nothing, Before::AnotherRestore, Before::ShownAndHidden}) {
        MemorySettingsStore store;
        QWidget w;
        w.setGeometry(10, 10, 200, 100);
        if (before == Before::AnotherRestore) {
            // The editor loaded for the radio link, unloaded unseen, loaded again.
            storePlacement(store, QRect(300, 200, 400, 150));
            RestoreFormPos(w, store, QStringLiteral("Quelm_MEM"));
        } else if (before == Before::ShownAndHidden) {
            w.show();
            w.hide();
        }
        storePlacement(store, closedAt);
        RestoreFormPos(w, store, QStringLiteral("Quelm_MEM"));
        w.show();
        QCoreApplication::processEvents();
        if (!framed(w))
            GTEST_SKIP() << "this platform puts no frame round a window";
        EXPECT_EQ(w.frameGeometry(), closedAt) << static_cast<int>(before);
    }
}

TEST(FormPos, AFramedWindowWithoutAStoredHeightKeepsItsOwn)
{
    MemorySettingsStore store;
    storePlacement(store, QRect(80, 30, 521, 267));
    store.saveSetting(kApp, QStringLiteral("Quelm_MEM"), QStringLiteral("H"), QStringLiteral("tall"));
    QWidget w;
    w.resize(400, 150);
    RestoreFormPos(w, store, QStringLiteral("Quelm_MEM"));
    w.show();
    QCoreApplication::processEvents();
    if (!framed(w))
        GTEST_SKIP() << "this platform puts no frame round a window";
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(80, 30));
    EXPECT_EQ(w.frameGeometry().width(), 521);
    EXPECT_EQ(w.height(), 150);
}

TEST(FormPos, AFramedWindowKeepsItsPlacementFromStartToStart)
{
    MemorySettingsStore store;
    storePlacement(store, QRect(80, 30, 521, 267));
    const auto stored = [&] {
        QStringList values;
        for (const char* key : {"X", "Y", "W", "H"})
            values << store.getSetting(kApp, QStringLiteral("Quelm_MEM"), QString::fromLatin1(key), QString());
        return values;
    };
    const QStringList first = stored();
    for (int start = 1; start <= 3; ++start) {
        QWidget w;
        RestoreFormPos(w, store, QStringLiteral("Quelm_MEM"));
        w.show();
        QCoreApplication::processEvents();
        SaveFormPos(w, store, QStringLiteral("Quelm_MEM"));
        EXPECT_EQ(stored(), first) << "start " << start;
    }
}

// ---- the outline on a window

TEST(Outline, FramelessWindowIsNotShiftedAndEachApplyGivesACopy)
{
    QWidget w(nullptr, Qt::FramelessWindowHint);
    w.resize(20, 10);
    Region r;
    r.ScanPicture([] {
        QImage img(20, 10, QImage::Format_RGB32);
        img.fill(Qt::black);
        img.setPixel(5, 5, qRgb(200, 200, 200));
        return img;
    }());
    r.OffsetHeader(w);
    EXPECT_EQ(r.hndRegion, QRegion(5, 5, 1, 1));
    r.ApplyRgn(&w);
    EXPECT_EQ(w.mask(), QRegion(5, 5, 1, 1));
    r.hndRegion += QRect(0, 0, 2, 2); // the window keeps the copy it was given
    EXPECT_EQ(w.mask(), QRegion(5, 5, 1, 1));
    r.ApplyRgn(&w);
    EXPECT_EQ(w.mask(), r.hndRegion);
    EXPECT_FALSE(r.hndRegion.isEmpty());
}

// ---- start-up

TEST(Startup, LoadsWithoutOpeningThePortOrStartingTimers)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    EXPECT_FALSE(f.fake.serial.portOpen());
    EXPECT_EQ(f.fake.serial.openCount(), 0);
    EXPECT_TRUE(f.fake.serial.writes().empty());
    for (TagTimer* t : {q.Timer1, q.TimerS, q.TimerVFO, q.TimerVFOPress, q.TimerCQ})
        EXPECT_FALSE(t->isActive()) << t->objectName().toStdString();
    EXPECT_EQ(q.st.CmdDelay, 0.1);
    EXPECT_EQ(q.st.RadioAddress, 86);
    EXPECT_EQ(q.st.PowerOn, kFalse);
    EXPECT_TRUE(f.fake.messages.criticals.isEmpty());
    EXPECT_TRUE(f.fake.messages.warnings.isEmpty()) << f.fake.messages.warnings.join(QLatin1Char('\n')).toStdString();
}

TEST(Startup, CaptionsAndLooksAsLaidOut)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    EXPECT_EQ(q.LCDModo->caption(), QStringLiteral("USB"));
    EXPECT_EQ(q.LCDVFO->caption(), QStringLiteral("VFOA"));
    EXPECT_EQ(q.LCDStep->caption(), QStringLiteral("1"));
    EXPECT_EQ(q.LCDAGC->caption(), QStringLiteral("AGC FAST"));
    EXPECT_EQ(q.LCDDUP->caption(), QStringLiteral("DUP+"));
    EXPECT_EQ(q.LCDComp->caption(), QStringLiteral("COMP"));
    EXPECT_EQ(q.LCDComp->foreColor(), kGrey);
    EXPECT_EQ(q.LCDAGC->foreColor(), kBlue);
    EXPECT_EQ(q.LCDCH->caption(), QStringLiteral("01"));
    EXPECT_EQ(q.LCDQRGSplit->caption(), QString());
    EXPECT_EQ(q.cmMenu->Tag, QStringLiteral("0"));
    EXPECT_FALSE(q.cmRit->isEnabled());
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             q.LCDMonitor, q.LCDNB, q.LCDNotch, q.LCDNR, q.LCDRit, q.LCDSplit, q.LCDTX, q.LCDRX, q.cmRec,
             q.cmSatSelect, q.LCDSatQrg, q.QRGEdit, q.cmbStep, q.cmbBandStack, q.Slider1, q.LCDCWMem})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_FALSE(q.LCDOff->isHidden());

    QStringList steps;
    for (int i = 0; i < q.cmbStep->count(); ++i)
        steps << q.cmbStep->item(i)->text();
    EXPECT_EQ(steps, (QStringList{"     10 Hz", "   100 Hz", "     1 KHz", "     5 KHz", "   10 KHz", "12.5 KHz",
                                  "   20 KHz", "   25 KHz"}));

    // the S-meter as stored
    EXPECT_EQ(q.LCDS->Max(), 255);
    EXPECT_EQ(q.LCDS->Min(), 0);
    EXPECT_EQ(q.LCDS->Value(), 0);
    EXPECT_EQ(q.LCDS->ForeColor(), 0x000000C0u);
    EXPECT_EQ(q.LCDS->BackColor(), 0x00E2E6DBu);
    q.show();
    EXPECT_EQ(q.LCDS->barGeometry(), QRect(0, 0, 96, 9));
}

TEST(Startup, EveryControlIsPlacedOnThePanel)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    EXPECT_EQ(q.size(), QSize(701, 337));
    const QRect panel(0, 0, 701, 337);
    const QList<QWidget*> children = q.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_GT(children.size(), 80);
    QStringList names;
    for (QWidget* w : children) {
        EXPECT_TRUE(panel.contains(w->geometry())) << w->objectName().toStdString();
        EXPECT_FALSE(w->objectName().isEmpty()) << w->metaObject()->className();
        if (w != q.Image1)
            names << w->objectName();
    }
    // the table places every control, and nothing that does not exist
    names.sort();
    QStringList table = panelControlNames();
    table.sort();
    EXPECT_EQ(names, table);
    // positions as given, a sample across the panel
    EXPECT_EQ(q.cm20m->geometry(), QRect(488, 54, 25, 13));
    EXPECT_EQ(q.VFODown->geometry(), QRect(458, 158, 63, 61));
    EXPECT_EQ(q.QRGEdit->geometry(), QRect(210, 62, 205, 47));
    EXPECT_EQ(q.Slider1->geometry(), QRect(210, 136, 203, 23));
    EXPECT_EQ(q.MoveBar->geometry(), QRect(32, 16, 621, 13));
    EXPECT_EQ(q.LCDRX->geometry(), QRect(538, 133, 17, 9));
    EXPECT_EQ(q.cmVFO->toolTip(), QStringLiteral("Echange VFO, double click set A=B"));
    EXPECT_EQ(q.cmRFGain->toolTip(), QStringLiteral("FR power"));
    // the inner level keys lie above the rings around them
    EXPECT_EQ(q.childAt(126, 200), q.cmAF);
    EXPECT_EQ(q.childAt(104, 200), q.cmRFSQL);
    EXPECT_EQ(q.childAt(126, 98), q.cmNRLevel);
}

TEST(Startup, KeysAreCaptionlessWithTheSharedPointer)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    const QStringList captioned = {"cmRec", "cmPause", "cmStop", "cmPlay", "cmCQ", "cmSatSelect"};
    const qint64 shared = q.cm20m->cursor().pixmap().cacheKey();
    EXPECT_FALSE(q.cm20m->cursor().pixmap().isNull());
    for (PanelKey* k : q.findChildren<PanelKey*>()) {
        EXPECT_EQ(k->text().isEmpty(), !captioned.contains(k->objectName())) << k->objectName().toStdString();
        if (k != q.MoveBar) {
            EXPECT_EQ(k->cursor().pixmap().cacheKey(), shared) << k->objectName().toStdString();
        }
    }
    EXPECT_NE(q.MoveBar->cursor().pixmap().cacheKey(), shared);
    EXPECT_EQ(q.cmPlay->text(), QStringLiteral("PLAY"));
}

TEST(Startup, OutlineIsCutFromThePicture)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    ASSERT_TRUE(q.SkinRegion);
    const QRegion& outline = q.SkinRegion->hndRegion;
    const QImage& pic = q.SkinPicture;
    ASSERT_EQ(pic.size(), QSize(701, 337));
    const QRgb outside = pic.pixel(0, 336);
    EXPECT_FALSE(outline.contains(QPoint(0, 336)));
    EXPECT_FALSE(outline.contains(QPoint(700, 0)));
    EXPECT_TRUE(outline.contains(QPoint(350, 168)));
    // every pixel of the region differs from the outside colour, every other one equals it
    for (int y = 0; y < pic.height(); y += 3)
        for (int x = 0; x < pic.width(); x += 3)
            ASSERT_EQ(outline.contains(QPoint(x, y)), pic.pixel(x, y) != outside) << x << "," << y;
    EXPECT_EQ(q.mask(), outline); // a frameless window takes the region as it stands
}

TEST(Startup, TablesListAndSerialFromTheSettingsFile)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    EXPECT_EQ(cellText(q.st.BandLimit[5][BandName]), QStringLiteral("20m"));
    EXPECT_EQ(q.st.CQMsg[1].WavFile, QStringLiteral("cq_long.wav"));
    ASSERT_EQ(q.cmbSatellite->count(), 2);
    EXPECT_EQ(q.cmbSatellite->item(1)->text(), QStringLiteral("Linear-I"));
    EXPECT_EQ(q.cmbSatellite->currentRow(), -1);
    EXPECT_EQ(f.fake.serial.commPort(), 1);
    EXPECT_EQ(f.fake.serial.settings(), QStringLiteral("9600,n,8,1"));
}

TEST(Startup, WaveDeviceClosedWithRecorderKeysIdle)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    EXPECT_EQ(f.fake.wave.deviceType(), QStringLiteral("WAVEAUDIO"));
    EXPECT_EQ(f.fake.wave.fileName(), QStringLiteral("tmp"));
    EXPECT_EQ(f.fake.wave.mode(), WaveDevice::NotOpen);
    EXPECT_EQ(f.fake.wave.commands(), (QStringList{"stop", "close"}));
    EXPECT_TRUE(q.cmRec->isEnabled());
    EXPECT_TRUE(q.cmPlay->isEnabled());
    EXPECT_TRUE(q.cmCQ->isEnabled());
    EXPECT_FALSE(q.cmPause->isEnabled());
    EXPECT_FALSE(q.cmStop->isEnabled());
}

TEST(Startup, MissingSettingsFileStopsWithItsFullPath)
{
    QuelmFixture f;
    EXPECT_FALSE(f.loadWithoutIni());
    ASSERT_EQ(f.fake.messages.criticals.size(), 1);
    EXPECT_TRUE(f.fake.messages.criticals[0].contains(f.programFile(QStringLiteral("quelm.ini"))))
        << f.fake.messages.criticals[0].toStdString();
    EXPECT_FALSE(f.window->isVisible());
}

TEST(Startup, RefusedSerialSettingsKeepThePresetWithOneMessage)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load(QStringLiteral("[COMM]\r\nport COM4\r\nspeed 9600, n, 8, 1\r\n")));
    EXPECT_EQ(f.fake.serial.portName(), QStringLiteral("COM1"));
    EXPECT_EQ(f.fake.serial.settings(), QStringLiteral("9600,n,8,1"));
    ASSERT_EQ(f.fake.messages.warnings.size(), 1);
    EXPECT_TRUE(f.fake.messages.warnings[0].contains(QStringLiteral("COM4")));
    EXPECT_TRUE(f.fake.messages.warnings[0].contains(QStringLiteral("9600,")));
}

TEST(Startup, PortGivenAsADevicePath)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load(QStringLiteral("[COMM]\nport /dev/ttyUSB1\nspeed 19200,n,8,1\n")));
    EXPECT_EQ(f.fake.serial.portName(), QStringLiteral("/dev/ttyUSB1"));
    EXPECT_EQ(f.fake.serial.settings(), QStringLiteral("19200,n,8,1"));
}

TEST(Startup, SavedStateIsReadAndDamageReported)
{
    QuelmFixture f;
    f.fake.settings.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOActive"), QStringLiteral(" 1"));
    f.fake.settings.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOB"), QStringLiteral(" 14074.5"));
    f.fake.settings.saveSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), QStringLiteral("junk"));
    ASSERT_TRUE(f.load());
    EXPECT_EQ(f.window->st.VFOActive, 1);
    EXPECT_EQ(f.window->st.VFOQrg[1], 14074.5);
    EXPECT_EQ(f.window->st.VFOQrg[0], 50110);
    ASSERT_EQ(f.fake.messages.warnings.size(), 1);
    EXPECT_TRUE(f.fake.messages.warnings[0].contains(QStringLiteral("junk")));
}

// ---- shut-down

// A settings store that notes whether the port was still open when "LAST" was written.
class WatchingStore final : public SettingsStore {
public:
    explicit WatchingStore(SerialPort& serial) : serial_(serial) {}
    QString getSetting(const QString& a, const QString& s, const QString& k, const QString& d) override
    {
        return inner.getSetting(a, s, k, d);
    }
    void saveSetting(const QString& a, const QString& s, const QString& k, const QString& v) override
    {
        if (s == QLatin1String("LAST") && !lastWritten) {
            lastWritten = true;
            portOpenAtLast = serial_.portOpen();
        }
        inner.saveSetting(a, s, k, v);
    }
    MemorySettingsStore inner;
    bool lastWritten = false;
    bool portOpenAtLast = true;

private:
    SerialPort& serial_;
};

// A device whose "close" never takes effect.
class StuckWave final : public ModeMachineWaveDevice {
public:
    void command(const QString& word) override
    {
        if (word == QLatin1String("close") && stuck)
            return;
        ModeMachineWaveDevice::command(word);
    }
    bool stuck = false;
};

struct UnloadRig {
    FakePlatform fake;
    WatchingStore store{fake.serial};
    StuckWave wave;
    Platform platform{fake.serial, fake.clock, fake.events, fake.waits, store, fake.messages, wave,
                      fake.folder.path()};
    std::unique_ptr<Quelm> window;

    UnloadRig()
    {
        QuelmFixture::writeFileIn(fake.folder.path(), QuelmFixture::defaultIni());
        window = std::make_unique<Quelm>(platform);
        EXPECT_TRUE(window->Form_Load());
    }
    void linkOpen()
    {
        fake.serial.setPortOpen(true);
        window->Timer1->setEnabled(true);
        window->TimerS->setEnabled(true);
        wave.command(QStringLiteral("open"));
        window->st.PowerOn = kTrue;
    }
};

TEST(Shutdown, WithTheLinkOffOnlySaves)
{
    UnloadRig rig;
    rig.wave.clearCommands();
    rig.window->Form_Unload();
    EXPECT_TRUE(rig.store.lastWritten);
    EXPECT_TRUE(rig.wave.commands().isEmpty());
    EXPECT_EQ(rig.store.inner.getSetting(kApp, QStringLiteral("LAST"), QStringLiteral("VFOA"), {}),
              QStringLiteral(" 50110"));
    EXPECT_EQ(rig.store.inner.getSetting(kApp, QStringLiteral("Quelm"), QStringLiteral("W"), {}),
              QStringLiteral(" 10515"));
}

TEST(Shutdown, WithTheLinkOnClosesItBeforeSaving)
{
    UnloadRig rig;
    rig.linkOpen();
    rig.wave.clearCommands();
    rig.window->Form_Unload();
    EXPECT_FALSE(rig.window->Timer1->isActive());
    EXPECT_FALSE(rig.window->TimerS->isActive());
    EXPECT_FALSE(rig.fake.serial.portOpen());
    EXPECT_TRUE(rig.store.lastWritten);
    EXPECT_FALSE(rig.store.portOpenAtLast);
    EXPECT_EQ(rig.wave.commands(), (QStringList{"stop", "close"}));
    EXPECT_EQ(rig.window->st.PowerOn, kTrue); // left as it was
}

TEST(Shutdown, ADeviceThatNeverClosesDoesNotHoldTheProgram)
{
    UnloadRig rig;
    rig.linkOpen();
    rig.wave.stuck = true;
    const double start = rig.fake.clock.now();
    rig.window->Form_Unload();
    EXPECT_TRUE(rig.store.lastWritten);
    EXPECT_LT(rig.fake.clock.now() - start, 5.0);
}

TEST(Shutdown, ExitKeyClosesAndSavesOnce)
{
    UnloadRig rig;
    rig.window->show();
    rig.window->cmExit_Click();
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_TRUE(rig.store.lastWritten);
    const int writes = rig.store.inner.writes();
    rig.window->close();
    rig.window->Form_Unload();
    EXPECT_EQ(rig.store.inner.writes(), writes);
}

// ---- window keys

TEST(WindowKeys, MovingOverThePictureClosesThePopups)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    q.show();
    const std::initializer_list<QWidget*> popups = {q.cmbBandStack, q.cmbStep, q.cmbSatellite,
                                                    q.LCDWav,       q.LCDCWMem, q.Slider1};
    for (QWidget* w : popups)
        w->show();
    q.QRGEdit->show();
    q.QRGEditSat->show();
    q.LCDCWMem->setText(QStringLiteral("CQ TEST"));
    emit q.Image1->mouseMoved();
    for (QWidget* w : popups)
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(q.QRGEdit->isHidden());
    EXPECT_FALSE(q.QRGEditSat->isHidden());
    EXPECT_EQ(q.LCDCWMem->text(), QStringLiteral("CQ TEST"));
}

TEST(WindowKeys, DragStripMovesTheWindowWithTheLeftButtonOnly)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    Quelm& q = *f.window;
    q.show();
    q.move(100, 100);
    auto moveMouse = [&q](const QPoint& globalPos) {
        QMouseEvent e(QEvent::MouseMove, q.MoveBar->mapFromGlobal(globalPos), globalPos, Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(q.MoveBar, &e);
    };
    const QPoint grip = q.MoveBar->mapToGlobal(QPoint(10, 5));

    QCursor::setPos(grip);
    for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        q.MoveBar_MouseDown(other);
        moveMouse(grip + QPoint(30, 20));
        EXPECT_EQ(q.pos(), QPoint(100, 100)) << other;
    }

    q.MoveBar_MouseDown(Qt::LeftButton);
    moveMouse(grip + QPoint(30, 20));
    EXPECT_EQ(q.pos(), QPoint(130, 120));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(0, 0), QPointF(grip + QPoint(30, 20)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(q.MoveBar, &release);
    moveMouse(grip + QPoint(80, 80)); // after the release the window stays
    EXPECT_EQ(q.pos(), QPoint(130, 120));
}

TEST(WindowKeys, MinimiseKey)
{
    QuelmFixture f;
    ASSERT_TRUE(f.load());
    f.window->show();
    f.window->cmMinimize_Click();
    EXPECT_TRUE(f.window->windowState() & Qt::WindowMinimized);
}

} // namespace
