#include "components/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

KeyPreview::KeyPreview(QWidget *window, Handler handler, bool escapeCloses)
    : QObject(window), m_window(window), m_handler(std::move(handler)), m_escapeCloses(escapeCloses)
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto *target = qobject_cast<QWidget *>(watched);
    if (!m_window || !target || !(target == m_window || m_window->isAncestorOf(target)))
        return false;
    // A window inside this one (a dialog it opened) keeps its own keys.
    if (target->window() != m_window->window())
        return false;
    // A key the focused control leaves climbs through its parents, each one a
    // new delivery; the handler had its look at the control already.
    if (QWidget *focus = QApplication::focusWidget(); focus && target != focus && target->isAncestorOf(focus))
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim Esc before any shortcut or default button sees it.
        if (key->key() == Qt::Key_Escape && m_escapeCloses) {
            event->accept();
            return true;
        }
        return false;
    }
    if (m_handler && m_handler(key))
        return true;
    if (key->key() == Qt::Key_Escape && m_escapeCloses && key->modifiers() == Qt::NoModifier) {
        m_window->close();
        return true;
    }
    return false;
}

WheelToArrows::WheelToArrows(QObject *owner) : QObject(owner)
{
    qApp->installEventFilter(this);
}

WheelToArrows::~WheelToArrows()
{
    qApp->removeEventFilter(this);
}

bool WheelToArrows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return false;
    auto *wheel = static_cast<QWheelEvent *>(event);
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return false;
    m_pending += wheel->angleDelta().y();
    while (m_pending >= 120 || m_pending <= -120) {
        const int key = m_pending > 0 ? Qt::Key_Up : Qt::Key_Down;
        m_pending += m_pending > 0 ? -120 : 120;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(focus, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(focus, &release);
    }
    return true;
}
