#pragma once

#include "kvstringrc.h"

#include <QObject>
#include <QPointer>

class QAction;
class QTimer;
class TForm1;

// The recent-file menu of the window: a long press (600 ms) on the Open
// button opens PopupMRU with the files of MRUList; one second after start the
// files that no longer exist are dropped from the list. Creates the window's
// MRUList, MruTimer, MruCheck and PopupMRU.
class TKvRecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int LongPressMs = 600;
    static constexpr int CheckDelayMs = 1000;

    explicit TKvRecentFiles(TForm1 &form);

    void MruTimerTimer();
    void PopupMRUPopup();
    void MnuMruMenuItemClick(QAction *item);
    void MruCheckTimer();

protected:
    // The Open button's press, release and leave.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TForm1 &m_form;
    TKvStringRC m_list; // the window's MRUList
    // The filter still sees the button's events while the window is being
    // destroyed, when the window's members can no longer be read.
    const QObject *m_openButton = nullptr; // compared only
    QPointer<QTimer> m_mruTimer;
};
