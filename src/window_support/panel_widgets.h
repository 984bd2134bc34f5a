#pragma once

// The small controls the panel is made of: transparent label keys, display
// labels with a change notification, pop-up lists, edit boxes whose key handler
// may drop or replace a key, a slider that reports mouse movement, tagged timers.

#include <functional>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTimer>

namespace quelm {

// Windows colour value 0x00BBGGRR as a QColor.
QColor fromWinColor(unsigned int bgr);
unsigned int toWinColor(const QColor& c);

constexpr unsigned int kBlue = 0x00C00000;  // the panel's "on"
constexpr unsigned int kGrey = 0x00C0C0C0;  // the panel's "off"

// A key of the panel: a transparent label over the picture. A double click is a
// click, then doubleClicked; on a key where nothing is connected to
// doubleClicked it is two clicks.
class PanelKey : public QLabel {
    Q_OBJECT
public:
    explicit PanelKey(QWidget* parent = nullptr);
    QString Tag;
signals:
    void clicked();
    void doubleClicked();
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    bool pressedInside_ = false;
};

// A display field; setCaption raises change() when the caption changes.
class LcdLabel : public QLabel {
    Q_OBJECT
public:
    explicit LcdLabel(QWidget* parent = nullptr);
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    // How a caption is drawn, where a field shows its caption as symbols (the
    // split indicator); unset, the caption is drawn as it stands.
    void setShownAs(std::function<QString(const QString&)> shownAs);
    unsigned int foreColor() const { return foreColor_; }
    void setForeColor(unsigned int bgr);
signals:
    void change();
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    unsigned int foreColor_ = kBlue;
    QString caption_;
    std::function<QString(const QString&)> shownAs_;
};

// The pop-ups and entry boxes below take no key while hidden, and one that hides
// while it holds the keyboard gives it back to its window, and so to no control,
// whatever hid it: a key typed at nothing on show must not choose a CQ message,
// tune the radio or fill a keyer memory.

// A pop-up list, hidden until a key fills and shows it.
class PopupList : public QListWidget {
    Q_OBJECT
public:
    explicit PopupList(QWidget* parent = nullptr);
    QString Tag;
    void setVisible(bool visible) override;
signals:
    // A line was clicked (or chosen with Enter): the handler reads currentRow().
    void chosen();
    void lostFocus();

protected:
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

// An edit box whose KeyPress handler sees each typed character code and may set
// it to 0 (dropped) or replace it, as the panel's entry boxes need.
class KeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit KeyEdit(QWidget* parent = nullptr);
    std::function<void(int& keyAscii)> onKeyPress;
    void setVisible(bool visible) override;
    // Delivers one character code as if typed (tests, and the queued Enter).
    void typeKey(int keyAscii);
    // Delivers the printable characters of a text one by one, as typed; pasted
    // and composed text comes in this way.
    void typeText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
};

class PanelSlider : public QSlider {
    Q_OBJECT
public:
    explicit PanelSlider(QWidget* parent = nullptr);
    QString Tag;
    void setVisible(bool visible) override;
signals:
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

class TagTimer : public QTimer {
    Q_OBJECT
public:
    using QTimer::QTimer;
    QString Tag;
    // The Enabled property of a window timer. Enabling restarts the count; a
    // timer with the interval 0 is enabled but never ticks.
    void setEnabled(bool on)
    {
        enabled_ = on;
        on && interval() > 0 ? start() : stop();
    }
    bool enabled() const { return enabled_; }

private:
    bool enabled_ = false;
};

// The panel picture beneath every control; reports mouse movement over it.
class PanelImage : public QLabel {
    Q_OBJECT
public:
    explicit PanelImage(QWidget* parent = nullptr);
signals:
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
};

} // namespace quelm
