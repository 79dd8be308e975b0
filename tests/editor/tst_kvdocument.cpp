// The document alone, without a window: its modified flag and its signals
// across steps done, undone and redone, saves and resets.
#include "document/kvdocument.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A step that adds a section on redo and takes it away on undo.
class TAddSectionStep : public QUndoCommand
{
public:
    TAddSectionStep(TKvMemIni &ini, const QString &name)
        : m_ini(ini)
        , m_name(name)
    {}
    void redo() override { m_section = m_ini.AddSection(m_name); }
    void undo() override { m_ini.DeleteSection(m_section); }

private:
    TKvMemIni &m_ini;
    QString m_name;
    TKvIniSection *m_section = nullptr;
};

} // namespace

class TestKvDocument : public QObject
{
    Q_OBJECT

private slots:
    void flagAndSignalsFollowTheSteps_data();
    void flagAndSignalsFollowTheSteps();
};

// ops: p = push a step, u = undo, r = redo, s = save, x = reset the undo steps, m = set modified.
// flags: the modified flag after each op; flips: how many times ModifiedChanged fired in all;
// edits: how many times Edited fired; sections: the sections left at the end.
void TestKvDocument::flagAndSignalsFollowTheSteps_data()
{
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<int>("flips");
    QTest::addColumn<int>("edits");
    QTest::addColumn<int>("sections");

    QTest::newRow("one step") << "p"
                              << "1" << 1 << 1 << 1;
    QTest::newRow("two steps flip once") << "pp"
                                         << "11" << 1 << 2 << 2;
    QTest::newRow("undo back to the start") << "pu"
                                            << "10" << 2 << 2 << 0;
    QTest::newRow("redo past the start") << "pur"
                                         << "101" << 3 << 3 << 1;
    QTest::newRow("save then undo") << "psu"
                                    << "101" << 3 << 2 << 0;
    QTest::newRow("save then undo and redo") << "psur"
                                             << "1010" << 4 << 3 << 1;
    QTest::newRow("undo below the save") << "ppsuu"
                                         << "11011" << 3 << 4 << 0;
    QTest::newRow("reset keeps the entries") << "ppx"
                                             << "110" << 2 << 3 << 2;
    QTest::newRow("set outside the steps") << "mm"
                                           << "11" << 1 << 0 << 0;
    QTest::newRow("save of a set flag") << "ms"
                                        << "10" << 2 << 0 << 0;
    QTest::newRow("step after save") << "psp"
                                     << "101" << 3 << 2 << 2;
    QTest::newRow("undo with nothing to undo") << "u"
                                               << "0" << 0 << 0 << 0;
}

void TestKvDocument::flagAndSignalsFollowTheSteps()
{
    QFETCH(QString, ops);
    QFETCH(QString, flags);
    QFETCH(int, flips);
    QFETCH(int, edits);
    QFETCH(int, sections);

    TKvDocument document;
    QSignalSpy flipSpy(&document, &TKvDocument::ModifiedChanged);
    QSignalSpy editSpy(&document, &TKvDocument::Edited);
    for (qsizetype i = 0; i < ops.size(); ++i) {
        switch (ops[i].toLatin1()) {
        case 'p':
            document.Push(new TAddSectionStep(document.Ini(), QStringLiteral("s%1").arg(i)));
            break;
        case 'u':
            document.UndoStack()->undo();
            break;
        case 'r':
            document.UndoStack()->redo();
            break;
        case 's':
            document.MarkSaved();
            break;
        case 'x':
            document.ResetUndo();
            break;
        case 'm':
            document.SetModified(true);
            break;
        }
        QCOMPARE(document.Modified(), flags[i] == u'1');
    }
    QCOMPARE(flipSpy.count(), flips);
    // Every flip carries the new flag.
    for (qsizetype i = 0; i < flipSpy.count(); ++i)
        QCOMPARE(flipSpy[i][0].toBool(), i % 2 == 0);
    QCOMPARE(editSpy.count(), edits);
    QCOMPARE(document.Ini().Sections.Count, sections);
}

QTEST_GUILESS_MAIN(TestKvDocument)
#include "tst_kvdocument.moc"
