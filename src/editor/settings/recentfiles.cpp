#include "recentfiles.h"

#include "kvgradilabel.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

TKvRecentFiles::TKvRecentFiles(TKvGradiLabel *openButton, QWidget *window)
    : QObject(window)
    , m_openButton(openButton)
    , m_menu(new QMenu(window))
    , m_mruTimer(new QTimer(this))
    , m_mruCheck(new QTimer(this))
{
    m_mruTimer->setObjectName(QStringLiteral("MruTimer"));
    m_mruTimer->setInterval(LongPressMs);
    connect(m_mruTimer, &QTimer::timeout, this, &TKvRecentFiles::MruTimerTimer);

    m_mruCheck->setObjectName(QStringLiteral("MruCheck"));
    m_mruCheck->setSingleShot(true);
    m_mruCheck->setInterval(CheckDelayMs);
    connect(m_mruCheck, &QTimer::timeout, this, &TKvRecentFiles::MruCheckTimer);
    m_mruCheck->start();

    m_menu->setObjectName(QStringLiteral("PopupMRU"));
    connect(m_menu, &QMenu::aboutToShow, this, &TKvRecentFiles::PopupMRUPopup);

    if (m_openButton)
        m_openButton->installEventFilter(this);
}

bool TKvRecentFiles::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_openButton && m_mruTimer) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                m_mruTimer->start();
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::Leave:
            m_mruTimer->stop();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TKvRecentFiles::MruTimerTimer()
{
    if (!m_mruTimer->isActive())
        return;
    m_mruTimer->stop();
    if (m_list.Count() == 0)
        return;
    TKvGradiLabel *button = m_openButton;
    const QPoint below(0, button->height() + 3);
    // End the button's press outside itself, so that it does not run Open
    // when the real button comes up over the menu.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(below), QPointF(button->mapToGlobal(below)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
    m_menu->popup(button->mapToGlobal(below));
}

void TKvRecentFiles::PopupMRUPopup()
{
    QMenu *menu = m_menu;
    menu->clear();
    for (const TKvStringRC::Entry &entry : m_list.Strings) {
        // The caption is the path itself: an ampersand must not become an accelerator.
        QString caption = entry.Path;
        caption.replace(u'&', QStringLiteral("&&"));
        QAction *item = menu->addAction(caption);
        item->setData(entry.EncodingIndex);
        item->setProperty("path", entry.Path);
        connect(item, &QAction::triggered, this, [this, item] { MnuMruMenuItemClick(item); });
    }
}

void TKvRecentFiles::MnuMruMenuItemClick(QAction *item)
{
    const QString path = item->property("path").toString();
    const int encodingIndex = item->data().toInt();
    emit OpenRequested(path, encodingIndex);
}

void TKvRecentFiles::MruCheckTimer()
{
    m_mruCheck->stop();
    m_list.RemoveMissingFiles();
}
