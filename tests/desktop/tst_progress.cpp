// The progress bar of long commands: when it shows, what it shows, and that
// nothing else runs while it does.
#include "kvprogress.h"
#include "kvprogressbar.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QWidget>

class TestProgress : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsForLongWorkOnly_data();
    void showsForLongWorkOnly();
    void runsNothingElseMeanwhile();
    void phasesShareTheBar();
    void innerProgressGivesBackTheOuter();
    void withoutAWindowNothingShows();

private:
    QWidget *m_window = nullptr;
    TKvProgress::Timings m_timings;
};

namespace {

constexpr qint64 Steps = 1'000'000;

// Work planned to take plannedMs in all, run for runMs: it reports the share
// of the plan the time spent covers, so the whole looks to take plannedMs.
// Returns the percent the bar showed at the end (-1: none shown).
int RunWork(qint64 plannedMs, qint64 runMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < runMs) {
        const qint64 done = std::min(Steps, clock.elapsed() * Steps / plannedMs);
        KvProgress::Advance(done, Steps);
    }
    const QProgressBar *bar = TKvProgress::ShownBar();
    return bar ? bar->value() : -1;
}

} // namespace

void TestProgress::init()
{
    m_window = new QWidget;
    m_window->resize(400, 300);
    m_window->show();
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    // Shorter than a real command's, long enough to be measured.
    m_timings = TKvProgress::SetTimings({60, 150});
}

void TestProgress::cleanup()
{
    TKvProgress::SetTimings(m_timings);
    delete m_window;
    m_window = nullptr;
}

void TestProgress::showsForLongWorkOnly_data()
{
    QTest::addColumn<qint64>("plannedMs");
    QTest::addColumn<qint64>("runMs");
    QTest::addColumn<bool>("shown");

    QTest::newRow("long work, past the wait") << qint64(1000) << qint64(150) << true;
    QTest::newRow("long work, still in the wait") << qint64(1000) << qint64(10) << false;
    QTest::newRow("short work") << qint64(100) << qint64(90) << false;
}

void TestProgress::showsForLongWorkOnly()
{
    QFETCH(qint64, plannedMs);
    QFETCH(qint64, runMs);
    QFETCH(bool, shown);
    {
        const TKvProgress progress(QStringLiteral("Replace All: replacing"));
        const int percent = RunWork(plannedMs, runMs);
        QCOMPARE(percent >= 0, shown);
        if (shown) {
            const QProgressBar *bar = TKvProgress::ShownBar();
            QVERIFY(percent > 0 && percent < 100);
            QCOMPARE(bar->parentWidget(), m_window);
            QVERIFY(bar->isVisible());
            QCOMPARE(bar->geometry().bottom(), m_window->rect().bottom());
            QCOMPARE(bar->width(), m_window->width());
            QCOMPARE(bar->accessibleName(), QStringLiteral("Replace All: replacing"));
            QCOMPARE(bar->text(), QStringLiteral("Replace All: replacing: %1%").arg(percent));
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(const_cast<QProgressBar *>(bar));
            QVERIFY(accessible);
            QCOMPARE(accessible->role(), QAccessible::ProgressBar);
        }
    }
    QVERIFY(!TKvProgress::ShownBar());
    QVERIFY(!m_window->findChild<QProgressBar *>());
}

// The command runs to its end first: a timer, a file watcher or a key press
// must not change the document in the middle of it.
void TestProgress::runsNothingElseMeanwhile()
{
    bool ran = false;
    QTimer::singleShot(0, this, [&] { ran = true; });
    {
        const TKvProgress progress(QStringLiteral("Undo"));
        QVERIFY(RunWork(1000, 300) >= 0);
        QVERIFY(!ran);
    }
    QTRY_VERIFY(ran);
}

void TestProgress::phasesShareTheBar()
{
    TKvProgress progress(QStringLiteral("Replace All: replacing"), 2);
    QVERIFY(RunWork(400, 120) >= 0); // the first half of a long first phase
    const int first = TKvProgress::ShownBar()->value();
    QVERIFY(first > 0 && first <= 50);
    progress.NextPhase();
    QTest::qWait(110); // the bar is painted at most ten times a second
    for (int i = 0; i < 256; ++i)
        KvProgress::Advance(Steps / 2, Steps);
    QCOMPARE(TKvProgress::ShownBar()->value(), 75);
}

void TestProgress::innerProgressGivesBackTheOuter()
{
    QVERIFY(KvProgress::CurrentSink() == nullptr);
    {
        const TKvProgress outer(QStringLiteral("Outer"));
        const KvProgress::Sink outerSink = KvProgress::CurrentSink();
        QVERIFY(outerSink);
        {
            const TKvProgress inner(QStringLiteral("Inner"));
            QVERIFY(RunWork(1000, 120) >= 0);
            QCOMPARE(TKvProgress::ShownBar()->accessibleName(), QStringLiteral("Inner"));
        }
        QVERIFY(!TKvProgress::ShownBar());
        QVERIFY(KvProgress::CurrentSink() == outerSink);
        QVERIFY(RunWork(1000, 120) >= 0);
        QCOMPARE(TKvProgress::ShownBar()->accessibleName(), QStringLiteral("Outer"));
    }
    QVERIFY(KvProgress::CurrentSink() == nullptr);
    KvProgress::Advance(1, 2); // no progress alive: nothing happens
}

void TestProgress::withoutAWindowNothingShows()
{
    m_window->hide();
    QApplication::setActiveWindow(nullptr);
    QTRY_VERIFY(!QApplication::activeWindow());
    const TKvProgress progress(QStringLiteral("Undo"));
    QCOMPARE(RunWork(1000, 120), -1);
}

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
