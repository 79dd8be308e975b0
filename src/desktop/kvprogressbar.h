#pragma once

#include "kvbusycursor.h"
#include "kvprogress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressBar;

// A long command under way, for as long as the object lives: the busy
// pointer shows, and so does how far the command has come while it runs to
// its end without returning to the event loop (nothing else runs meanwhile,
// so nothing can change the document under it, and the window takes no input
// until it is done). The work reports through KvProgress::Advance; once the
// command has run for half a second and looks to take more than two in all,
// a progress bar across the bottom of the active window (or of the window a
// dialog belongs to) shows it, painted at once, at most ten times a second.
// A command made of parts (phases) shows them on one bar, one after another.
class TKvProgress
{
public:
    explicit TKvProgress(const QString &caption, int phases = 1);
    ~TKvProgress();
    TKvProgress(const TKvProgress &) = delete;
    TKvProgress &operator=(const TKvProgress &) = delete;

    // The next part of the work begins: its reports count from 0 again.
    void NextPhase();

    // The bar while one is shown, or null.
    static QProgressBar *ShownBar();
    // When the bar shows: from showAfterMs of work on, once the whole looks
    // to take longer than longerThanMs. Returns the timings before
    // (tests shorten them).
    struct Timings
    {
        qint64 ShowAfterMs = 500;
        qint64 LongerThanMs = 2000;
    };
    static Timings SetTimings(Timings timings);

private:
    static void Report(qint64 done, qint64 total);
    void Update(qint64 done, qint64 total);
    void Show(int percent);

    const TKvBusyCursor m_busy;
    QString m_caption;
    int m_phases;
    int m_phase = 0;
    QElapsedTimer m_clock;
    qint64 m_paintedAtMs = 0;
    quint32 m_reports = 0;
    QPointer<QProgressBar> m_bar;
    TKvProgress *m_outer;
    KvProgress::Sink m_outerSink;
};
