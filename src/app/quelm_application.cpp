#include "app/quelm_application.h"

#include <cstdio>
#include <cstdlib>

#include <QDebug>

#include "front_panel/quelm.h"
#include "platform/errors.h"

namespace quelm {

namespace {

void endProcessNow(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace

QuelmApplication::QuelmApplication(int& argc, char** argv) : QApplication(argc, argv), end_(endProcessNow) {}

QuelmApplication* QuelmApplication::instance()
{
    return dynamic_cast<QuelmApplication*>(QCoreApplication::instance());
}

void QuelmApplication::setEnd(std::function<void(int)> end)
{
    end_ = end ? std::move(end) : std::function<void(int)>(endProcessNow);
}

bool QuelmApplication::notify(QObject* receiver, QEvent* event)
{
    if (!box_)
        return QApplication::notify(receiver, event);
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        fail(std::current_exception());
    }
    return false;
}

QString QuelmApplication::describe(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const PlatformError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("An unknown failure.");
    }
}

void QuelmApplication::fail(std::exception_ptr failure)
{
    fail(describe(failure));
}

void QuelmApplication::watchWindow(Quelm& window)
{
    setEndTransmit([&window] { window.endTransmit(); });
    // The state goes before the unload step: a failure inside that step itself
    // would otherwise find the unload already begun and leave the state unwritten.
    setSaveState([&window] {
        window.SaveLastState();
        window.Form_Unload();
    });
}

void QuelmApplication::endTransmit()
{
    if (!endTransmit_)
        return;
    try {
        endTransmit_();
    } catch (...) {
        qCritical().noquote() << "Quelm: the radio could not be put in receive:"
                              << describe(std::current_exception());
    }
}

QString QuelmApplication::saveStateNote()
{
    if (!save_)
        return QStringLiteral("The last radio state was not saved: start-up had not finished.");
    try {
        save_();
        return QStringLiteral("The last radio state has been saved.");
    } catch (...) {
        return QStringLiteral("The last radio state could not be saved: %1").arg(describe(std::current_exception()));
    }
}

void QuelmApplication::fail(const QString& what)
{
    qCritical().noquote() << "Quelm: unexpected failure:" << what;
    // Saving the state and the message box serve events; a failure among them
    // belongs to the one being handled and must not start a second round.
    if (handling_)
        return;
    handling_ = true;
    endTransmit();
    const QString note = saveStateNote();
    if (box_) {
        try {
            box_->critical(QStringLiteral("Quelm has met an unexpected failure and must close.\n\n%1\n\n%2")
                               .arg(what, note));
        } catch (...) {
            qCritical().noquote() << "Quelm: the failure message could not be shown.";
        }
    }
    end_(kFailureExitCode);
    handling_ = false;
}

} // namespace quelm
