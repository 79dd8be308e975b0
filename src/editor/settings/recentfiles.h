#pragma once

#include "kvstringrc.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QAction;
class QMenu;
class QTimer;
class QWidget;
class TKvGradiLabel;

// The recent-file menu of the window: a long press (600 ms) on the Open
// button opens PopupMRU with the files of MRUList; one second after start the
// files that no longer exist are dropped from the list. Choosing a file asks
// for it to be opened.
class TKvRecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int LongPressMs = 600;
    static constexpr int CheckDelayMs = 1000;

    // The menu opens below openButton and belongs to window.
    TKvRecentFiles(TKvGradiLabel *openButton, QWidget *window);

    TKvStringRC &List() { return m_list; }
    QMenu *Menu() const { return m_menu; }
    QTimer *LongPressTimer() const { return m_mruTimer; }
    QTimer *CheckTimer() const { return m_mruCheck; }

    void MruTimerTimer();
    void PopupMRUPopup();
    void MnuMruMenuItemClick(QAction *item);
    void MruCheckTimer();

signals:
    void OpenRequested(const QString &path, int encodingIndex);

protected:
    // The Open button's press, release and leave.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TKvStringRC m_list; // the window's MRUList
    TKvGradiLabel *m_openButton;
    QMenu *m_menu;
    QPointer<QTimer> m_mruTimer;
    QTimer *m_mruCheck;
};
