// The window's search tools on one section of a million entries, offscreen:
// Find All's list, the filter box's key strokes (both lists filtered and
// painted as the window does it, narrowed while typing, full after a change),
// and Replace All with its undo. Prints one line per measurement, in ms.
#include "document/kvdocument.h"
#include "document/kvselection.h"
#include "findallmodel.h"
#include "findallpane.h"
#include "kvmsgbox.h"
#include "lists/kvlists.h"
#include "replacecommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include <cstdio>

namespace {

class TNoSelection : public TKvSelection
{
public:
    TKvListSelection Current() const override { return {}; }
    void Restore(const TKvListSelection &) override {}
};

void Report(const char *what, qint64 ms)
{
    std::printf("%-48s %6lld ms\n", what, static_cast<long long>(ms));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetMsgBoxHook([](const TKvMsgBoxRequest &) { return tmrOK; });
    const int entries = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 1000000;

    // One section as large as the largest real ones, times a thousand.
    QString text = QStringLiteral("[PHP]\n");
    for (int i = 0; i < entries; ++i)
        text += QStringLiteral("setting_%1.key=value %2 of the memory_limit kind\n").arg(i).arg(i % 977);
    auto ini = std::make_unique<TKvMemIni>();
    ini->Parse(text);
    TKvDocument document;
    document.Replace(std::move(ini));

    QElapsedTimer timer;
    TSearchStruct options;
    TFindAllPane pane(document);
    pane.resize(1000, 400);
    timer.start();
    pane.Run(QStringLiteral("memory"), options);
    pane.show();
    QCoreApplication::processEvents();
    Report("Find All, every entry a match, list shown", timer.elapsed());

    // The filter box's work as the window does it: both lists filled through
    // the filter, the section selected again, its value list filled, painted.
    TKvLists lists(document, QSize(16, 16), nullptr);
    lists.resize(1000, 600);
    lists.show();
    lists.FillSectionList();
    lists.SelectFirstRows();
    QCoreApplication::processEvents();
    qint64 worst = 0;
    QStringList strokes;
    for (const char *typed : {"s", "se", "set", "sett", "setti", "settin", "setting", "setting_", "setting_9",
                              "setting_99", "setting_999"}) {
        timer.restart();
        lists.SetFilterText(QString::fromLatin1(typed));
        QCoreApplication::processEvents();
        worst = qMax(worst, timer.elapsed());
        strokes << QString::number(timer.elapsed());
    }
    Report("filter, slowest key stroke while typing", worst);
    std::printf("  (each key stroke, ms: %s)\n", qPrintable(strokes.join(u' ')));
    timer.restart();
    lists.SetFilterText(QStringLiteral("setting_99"));
    QCoreApplication::processEvents();
    Report("filter, a key stroke taken back (full pass)", timer.elapsed());
    timer.restart();
    lists.SetFilterText(QString());
    QCoreApplication::processEvents();
    Report("filter emptied (every row again)", timer.elapsed());

    TNoSelection selection;
    TReplaceCommands commands(document, selection, nullptr, options);
    timer.restart();
    commands.ReplaceAll(QStringLiteral("memory_limit"), QStringLiteral("memory_cap"));
    QCoreApplication::processEvents();
    Report("Replace All, every entry (Find All list open)", timer.elapsed());
    timer.restart();
    document.UndoStack()->undo();
    QCoreApplication::processEvents();
    Report("undo of Replace All", timer.elapsed());
    return 0;
}
