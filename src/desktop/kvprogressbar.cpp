#include "kvprogressbar.h"

#include <QApplication>
#include <QProgressBar>

#include <algorithm>
#include <utility>

namespace {

TKvProgress *g_current = nullptr;
TKvProgress::Timings g_timings;

// A report is cheap enough for every entry: the clock is read once per this many.
constexpr quint32 ReportsPerLook = 256;
constexpr qint64 PaintEveryMs = 100;

} // namespace

TKvProgress::TKvProgress(const QString &caption, int phases)
    : m_caption(caption)
    , m_phases(std::max(phases, 1))
    , m_outer(g_current)
    , m_outerSink(KvProgress::SetSink(&TKvProgress::Report))
{
    g_current = this;
    m_clock.start();
}

TKvProgress::~TKvProgress()
{
    g_current = m_outer;
    KvProgress::SetSink(m_outerSink);
    delete m_bar.data();
}

void TKvProgress::NextPhase()
{
    m_phase = std::min(m_phase + 1, m_phases - 1);
}

QProgressBar *TKvProgress::ShownBar()
{
    for (const TKvProgress *progress = g_current; progress; progress = progress->m_outer) {
        if (progress->m_bar)
            return progress->m_bar;
    }
    return nullptr;
}

TKvProgress::Timings TKvProgress::SetTimings(Timings timings)
{
    return std::exchange(g_timings, timings);
}

void TKvProgress::Report(qint64 done, qint64 total)
{
    if (g_current)
        g_current->Update(done, total);
}

void TKvProgress::Update(qint64 done, qint64 total)
{
    if (++m_reports % ReportsPerLook != 0 || total <= 0)
        return;
    const double fraction = (m_phase + double(std::clamp(done, qint64(0), total)) / double(total)) / m_phases;
    const qint64 elapsed = m_clock.elapsed();
    if (!m_bar) {
        if (elapsed < g_timings.ShowAfterMs || fraction <= 0 || elapsed / fraction <= g_timings.LongerThanMs)
            return;
    } else if (elapsed - m_paintedAtMs < PaintEveryMs) {
        return;
    }
    m_paintedAtMs = elapsed;
    Show(int(fraction * 100));
}

void TKvProgress::Show(int percent)
{
    if (!m_bar) {
        // The document's window, also when the command runs from a dialog of it.
        QWidget *window = QApplication::activeWindow();
        if (!window)
            return;
        while (window->parentWidget())
            window = window->parentWidget()->window();
        // Laid over the bottom of the window by hand: a layout would wait
        // for the event loop.
        auto *bar = new QProgressBar(window);
        bar->setObjectName(QStringLiteral("PbProgress"));
        bar->setAccessibleName(m_caption);
        bar->setRange(0, 100);
        bar->setFormat(m_caption + QStringLiteral(": %p%"));
        bar->setTextVisible(true);
        const int height = bar->sizeHint().height();
        bar->setGeometry(0, window->height() - height, window->width(), height);
        bar->show();
        bar->raise();
        m_bar = bar;
    }
    m_bar->setValue(percent);
    m_bar->repaint(); // now: the event loop does not run until the command is done
}
