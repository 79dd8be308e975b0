#include "recentfiles.h"

#include "document/documentfile.h"
#include "form1.h"
#include "kvgradilabel.h"
#include "kvstringrc.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

TKvRecentFiles::TKvRecentFiles(TForm1 &form) : QObject(&form), m_form(form)
{
    form.MRUList = new TKvStringRC;

    form.MruTimer = new QTimer(&form);
    form.MruTimer->setObjectName(QStringLiteral("MruTimer"));
    form.MruTimer->setInterval(LongPressMs);
    connect(form.MruTimer, &QTimer::timeout, this, &TKvRecentFiles::MruTimerTimer);

    form.MruCheck = new QTimer(&form);
    form.MruCheck->setObjectName(QStringLiteral("MruCheck"));
    form.MruCheck->setSingleShot(true);
    form.MruCheck->setInterval(CheckDelayMs);
    connect(form.MruCheck, &QTimer::timeout, this, &TKvRecentFiles::MruCheckTimer);
    form.MruCheck->start();

    form.PopupMRU = new QMenu(&form);
    form.PopupMRU->setObjectName(QStringLiteral("PopupMRU"));
    connect(form.PopupMRU, &QMenu::aboutToShow, this, &TKvRecentFiles::PopupMRUPopup);

    if (form.GlOpen)
        form.GlOpen->installEventFilter(this);
}

TKvRecentFiles::~TKvRecentFiles()
{
    delete m_form.MRUList;
    m_form.MRUList = nullptr;
}

bool TKvRecentFiles::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form.GlOpen) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                m_form.MruTimer->start();
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::Leave:
            m_form.MruTimer->stop();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TKvRecentFiles::MruTimerTimer()
{
    if (!m_form.MruTimer->isActive())
        return;
    m_form.MruTimer->stop();
    if (m_form.MRUList->Count() == 0)
        return;
    TKvGradiLabel *button = m_form.GlOpen;
    const QPoint below(0, button->height() + 3);
    // End the button's press outside itself, so that it does not run Open
    // when the real button comes up over the menu.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(below), QPointF(button->mapToGlobal(below)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
    m_form.PopupMRU->popup(button->mapToGlobal(below));
}

void TKvRecentFiles::PopupMRUPopup()
{
    QMenu *menu = m_form.PopupMRU;
    menu->clear();
    for (const TKvStringRC::Entry &entry : m_form.MRUList->Strings) {
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
    m_form.RunCommand([&] {
        if (m_form.DocumentFile()->AskSaveChanges())
            return;
        m_form.OpenFile(path, encodingIndex);
    });
}

void TKvRecentFiles::MruCheckTimer()
{
    m_form.MruCheck->stop();
    m_form.MRUList->RemoveMissingFiles();
}
