#include "settings/windowplacement.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

QMargins FrameOf(const QWidget &window)
{
    return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

QPoint FrameCorner(const QWidget &window, const QRect &client)
{
    const QMargins frame = FrameOf(window);
    return client.topLeft() - QPoint(frame.left(), frame.top());
}

// A window created before it was placed is put where the client area's corner
// is asked for (X11 keeps the gravity a window was created with); once the
// window manager has framed it, it is moved once so that the frame's corner
// lies there instead.
class TFrameCornerKeeper : public QObject
{
public:
    TFrameCornerKeeper(QWidget &window, QPoint corner)
        : QObject(&window)
        , m_window(window)
        , m_corner(corner)
    {
        window.installEventFilter(this);
        // The frame may become known after the window's last event: a timer
        // looks too.
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, &TFrameCornerKeeper::Check);
        poll->start(50);
        // A window manager frames a window within moments; without one
        // (or on platforms that place windows themselves) nothing comes.
        QTimer::singleShot(3000, this, &QObject::deleteLater);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The frame becomes known some time after the window was mapped,
        // not always with a move event: every event of the window checks.
        if (watched == &m_window && event->type() != QEvent::Destroy)
            Check();
        return false;
    }

private:
    // Once framed, the window manager may still place the window in steps
    // (its geometry arrives after its frame): the corner is checked for a
    // moment longer and put right each time it is off.
    void Check()
    {
        if (FrameOf(m_window).isNull())
            return;
        if (!m_framed) {
            m_framed = true;
            QTimer::singleShot(800, this, &QObject::deleteLater);
        }
        const QPoint now = FrameCorner(m_window, m_window.geometry());
        // Moved once for each place the window is seen at, so that a move
        // not yet carried out is not made twice.
        if (now != m_corner && m_window.geometry() != m_movedFrom) {
            m_movedFrom = m_window.geometry();
            m_window.move(m_window.pos() + (m_corner - now));
        }
    }

    QWidget &m_window;
    QPoint m_corner;
    bool m_framed = false;
    QRect m_movedFrom;
};

} // namespace

QRect SavedWindowPlace(const QWidget &window)
{
    const bool normal = !(window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect client =
        normal || window.normalGeometry().isEmpty() ? window.geometry() : window.normalGeometry();
    return QRect(FrameCorner(window, client), client.size());
}

void RestoreWindowPlace(QWidget &window, const QRect &place)
{
    window.resize(place.size());
    QWindow *handle = window.windowHandle();
    const bool created = handle && handle->handle();
    if (!created || !FrameOf(window).isNull()) {
        // Not yet created, a move places the frame's corner; framed, a move
        // is taken as the frame's too.
        window.move(place.topLeft());
        return;
    }
    // Created but not yet framed (the first show): the window manager is told
    // that the position is the frame's, and the keeper puts it right if it
    // was taken as the client area's.
    handle->setFramePosition(place.topLeft());
    new TFrameCornerKeeper(window, place.topLeft());
}
