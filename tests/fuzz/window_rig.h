#pragma once
// The main window for the fuzz targets that drive it: one application and one
// window on the fake platform for the whole run, built before the first input,
// and the check that every frame it writes is whole.

#include <QApplication>

#include "fuzz_support.h"
#include "support/quelm_fixture.h"

namespace fuzzing {

// Held by plain pointers that nothing deletes at exit (an application ended
// after Qt's own globals crashes); the replay ends both in order before it
// returns, so that Qt frees its font caches with the application.
inline QApplication*& application()
{
    static QApplication* app = nullptr;
    return app;
}

inline void startWidgets()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!application())
        application() = newApplication<QApplication>();
}

inline QuelmFixture*& rigHolder()
{
    static QuelmFixture* f = nullptr;
    return f;
}

// One window on the fake platform for the whole run, loaded once.
inline QuelmFixture& rig()
{
    QuelmFixture*& f = rigHolder();
    if (!f) {
        f = new QuelmFixture();
        check(f->load(), "the window does not load");
    }
    return *f;
}

// Every write a whole frame to the radio whose body holds no frame mark.
inline void checkFrames(const quelm::FakeSerialPort& port)
{
    for (const auto& w : port.writes()) {
        const QByteArray& b = w.bytes;
        if (!(b.size() >= 6 && b.startsWith(QByteArray("\xFE\xFE\x56\xE0", 4)) && b.endsWith('\xFD')))
            fail("a frame that is not FE FE 56 E0 .. FD:", QString::fromLatin1(b.toHex(' ')));
        for (qsizetype i = 4; i + 1 < b.size(); ++i)
            if (static_cast<unsigned char>(b[i]) >= 0xFA)
                fail("a frame body byte the radio reads as a frame mark:", QString::fromLatin1(b.toHex(' ')));
    }
}

} // namespace fuzzing

// Each target that includes this header is a program of its own: the widgets
// and the window are built once, before the first input, so they are no leak of one.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzing::startWidgets();
    fuzzing::rig();
    return 0;
}

// Called by the replay at its end: the window, then the application.
extern "C" void QuelmFuzzTeardown()
{
    delete fuzzing::rigHolder();
    fuzzing::rigHolder() = nullptr;
    delete fuzzing::application();
    fuzzing::application() = nullptr;
}
