#include "window_support/panel_widgets.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>

namespace quelm {

QColor fromWinColor(unsigned int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

unsigned int toWinColor(const QColor& c)
{
    return static_cast<unsigned int>(c.red()) | (static_cast<unsigned int>(c.green()) << 8)
        | (static_cast<unsigned int>(c.blue()) << 16);
}

namespace {

// Before a control that holds the keyboard hides. Left alone, Qt lets a hidden
// control keep the keyboard when no other control takes it, or hands it to the
// next one that does, an entry box on show among them: either way keys would
// act where the operator did not put them. An inactive window remembers the
// control for its next activation, so that is given back too.
void handKeyboardToWindow(QWidget* control)
{
    QWidget* window = control->window();
    QWidget* holder = window->focusWidget();
    if (window == control || !holder || (holder != control && !control->isAncestorOf(holder)))
        return;
    window->setFocus(Qt::OtherFocusReason);
}

// A key that reaches a hidden control all the same (one queued before it hid).
bool ignoredWhileHidden(const QWidget* control, QKeyEvent* e)
{
    if (!control->isHidden())
        return false;
    e->ignore();
    return true;
}

} // namespace

PanelKey::PanelKey(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void PanelKey::mousePressEvent(QMouseEvent* e)
{
    pressedInside_ = true;
    emit mouseDown(e->button());
}

void PanelKey::mouseReleaseEvent(QMouseEvent* e)
{
    emit mouseUp(e->button());
    if (pressedInside_ && rect().contains(e->position().toPoint()))
        emit clicked();
    pressedInside_ = false;
}

void PanelKey::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click comes as this event alone. A key with
    // no double-click action takes it as a press of its own, or a quick second
    // press of TX, a band or a mode key would be lost.
    if (!isSignalConnected(QMetaMethod::fromSignal(&PanelKey::doubleClicked))) {
        mousePressEvent(e);
        return;
    }
    pressedInside_ = false;
    emit mouseDown(e->button());
    emit doubleClicked();
}

LcdLabel::LcdLabel(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setForeColor(kBlue);
}

void LcdLabel::setCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    setText(shownAs_ ? shownAs_(caption) : caption);
    emit change();
}

void LcdLabel::setShownAs(std::function<QString(const QString&)> shownAs)
{
    shownAs_ = std::move(shownAs);
    setText(shownAs_ ? shownAs_(caption_) : caption_);
}

void LcdLabel::setForeColor(unsigned int bgr)
{
    foreColor_ = bgr;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, fromWinColor(bgr));
    setPalette(p);
}

void LcdLabel::mouseReleaseEvent(QMouseEvent* e)
{
    if (rect().contains(e->position().toPoint()))
        emit clicked();
}

PopupList::PopupList(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemClicked, this, [this] { emit chosen(); });
}

void PopupList::setVisible(bool visible)
{
    if (!visible)
        handKeyboardToWindow(this);
    QListWidget::setVisible(visible);
}

void PopupList::focusOutEvent(QFocusEvent* e)
{
    QListWidget::focusOutEvent(e);
    emit lostFocus();
}

void PopupList::keyPressEvent(QKeyEvent* e)
{
    if (ignoredWhileHidden(this, e))
        return;
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentRow() >= 0) {
        emit chosen();
        return;
    }
    QListWidget::keyPressEvent(e);
}

KeyEdit::KeyEdit(QWidget* parent) : QLineEdit(parent) {}

void KeyEdit::setVisible(bool visible)
{
    if (!visible)
        handKeyboardToWindow(this);
    QLineEdit::setVisible(visible);
}

void KeyEdit::typeKey(int keyAscii)
{
    if (onKeyPress)
        onKeyPress(keyAscii);
    if (keyAscii == 0 || keyAscii == 13 || keyAscii == 27)
        return;
    if (keyAscii == 8) {
        backspace();
        return;
    }
    insert(QString(QChar(keyAscii)));
}

void KeyEdit::keyPressEvent(QKeyEvent* e)
{
    if (ignoredWhileHidden(this, e))
        return;
    if (e->matches(QKeySequence::Paste)) {
        typeText(QGuiApplication::clipboard()->text());
        return;
    }
    int code = 0;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: code = 13; break;
    case Qt::Key_Escape: code = 27; break;
    case Qt::Key_Backspace: code = 8; break;
    default:
        if (!e->text().isEmpty() && e->text()[0].unicode() >= 32) {
            // Every character goes to the box's handler, which decides what the
            // box takes; left to the line edit, one the handler never saw got in.
            typeText(e->text());
            return;
        }
        break;
    }
    if (code == 0) {
        // Navigation keys and the like reach the box unchanged.
        QLineEdit::keyPressEvent(e);
        return;
    }
    typeKey(code);
}

void KeyEdit::typeText(const QString& text)
{
    // Pasted or composed text is typed key by key, so it passes the same handler.
    // Line ends and other control characters in it are not keys to act on, and a
    // character beyond the 16-bit range has no character code to hand over.
    for (const QChar c : text) {
        if (c.unicode() >= 32 && !c.isSurrogate())
            typeKey(c.unicode());
    }
}

void KeyEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const QString commit = e->commitString();
    e->accept();
    if (!isHidden())
        typeText(commit);
}

PanelSlider::PanelSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setMouseTracking(true);
}

void PanelSlider::setVisible(bool visible)
{
    if (!visible)
        handKeyboardToWindow(this);
    QSlider::setVisible(visible);
}

void PanelSlider::mouseMoveEvent(QMouseEvent* e)
{
    QSlider::mouseMoveEvent(e);
    emit mouseMoved();
}

void PanelSlider::keyPressEvent(QKeyEvent* e)
{
    if (ignoredWhileHidden(this, e))
        return;
    QSlider::keyPressEvent(e);
}

PanelImage::PanelImage(QWidget* parent) : QLabel(parent)
{
    setMouseTracking(true);
}

void PanelImage::mouseMoveEvent(QMouseEvent* e)
{
    QLabel::mouseMoveEvent(e);
    emit mouseMoved();
}

} // namespace quelm
