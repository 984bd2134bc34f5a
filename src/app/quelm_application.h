#pragma once

#include <exception>
#include <functional>

#include <QApplication>
#include <QString>

#include "platform/message_box.h"

namespace quelm {

class Quelm;

// The program's application object and its top-level failure handler: a failure
// (an exception) that escapes any event handler is shown to the operator, the
// last radio state is written as closing the window would write it, and the
// program ends with kFailureExitCode.
//
// Until a message box is set the object behaves as a plain QApplication, so the
// tests can run under it.
class QuelmApplication : public QApplication {
public:
    // EX_SOFTWARE of sysexits.h: an internal failure of the program.
    static constexpr int kFailureExitCode = 70;

    QuelmApplication(int& argc, char** argv);

    // The running instance, or nullptr when the application is another kind.
    static QuelmApplication* instance();

    // Where the failure message goes; nullptr switches the handler off.
    void setMessageBox(MessageBox* box) { box_ = box; }
    // Writes the last radio state. Set it once start-up has finished: before
    // that, writing would replace the saved state with an unfinished one.
    void setSaveState(std::function<void()> save) { save_ = std::move(save); }
    // Puts the radio in receive where it may be keyed: the first step after a
    // failure, apart from the state, so that a state that cannot be written
    // (or an unload step the failure has already begun) cannot keep it on the air.
    void setEndTransmit(std::function<void()> endTransmit) { endTransmit_ = std::move(endTransmit); }
    // Both of the above for the main window, once it has loaded.
    void watchWindow(Quelm& window);
    // How the program ends after a failure. The default ends the process at once
    // with the code, so that no handler runs on after the failure; tests record it.
    void setEnd(std::function<void(int)> end);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the failure, writes the state and ends the program. For failures
    // outside event handlers (the start-up step in main).
    void fail(std::exception_ptr failure);
    void fail(const QString& what);

    // The operator's text for a failure.
    static QString describe(std::exception_ptr failure);

private:
    void endTransmit();
    QString saveStateNote();

    MessageBox* box_ = nullptr;
    std::function<void()> save_;
    std::function<void()> endTransmit_;
    std::function<void(int)> end_;
    bool handling_ = false;
};

} // namespace quelm
