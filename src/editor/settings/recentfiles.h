#pragma once

#include <QObject>

class QAction;
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
    ~TKvRecentFiles() override;

    void MruTimerTimer();
    void PopupMRUPopup();
    void MnuMruMenuItemClick(QAction *item);
    void MruCheckTimer();

protected:
    // The Open button's press, release and leave.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TForm1 &m_form;
};
