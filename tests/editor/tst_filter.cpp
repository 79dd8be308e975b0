// The filter box: which sections and entries pass, the counters' text, the
// narrowing while typing, and the box's keys.
#include "commands/editsteps.h"
#include "documenttesting.h"
#include "lists/kvfilter.h"
#include "lists/kvfilteredit.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace DocumentTesting;

namespace {

const QByteArray Sample = "[PHP]\nmemory_limit=128M\nmax_execution_time=30\n;memory comment\n\n"
                          "[Session]\nsession.save_handler=files\nsession.gc_maxlifetime=1440\n"
                          "[MySQL]\nmysql.default_host=\nnot an item memory\n"
                          "[memory]\na=1\n";

// The names of the sections that pass.
QStringList SectionNames(TKvFilter &filter, const TKvMemIni &ini)
{
    QStringList names;
    for (const qint32 index : filter.Sections(ini))
        names << ini.Sections[index]->Name;
    return names;
}

QList<qint32> Vals(TKvFilter &filter, const TKvIniSection &section)
{
    const std::vector<qint32> &positions = filter.Vals(section);
    return QList<qint32>(positions.begin(), positions.end());
}

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT

private slots:
    void matching_data();
    void matching();
    void countText();
    void narrowingGivesTheFullAnswer();
    void changesEndTheNarrowing();
    void escapeClears();
    void focusKeys();
};

// text: the filter; sections: the sections shown; php, mysql: the positions
// of the entries of [PHP] and [MySQL] shown.
void TestFilter::matching_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QList<qint32>>("php");
    QTest::addColumn<QList<qint32>>("mysql");

    QTest::addRow("no filter") << "" << QStringList({"PHP", "Session", "MySQL", "memory"})
                               << QList<qint32>{0, 1, 2, 3} << QList<qint32>{0, 1};
    QTest::addRow("an item name, case ignored")
        << "MEMORY_limit" << QStringList({"PHP"}) << QList<qint32>{0} << QList<qint32>{};
    QTest::addRow("a value") << "1440" << QStringList({"Session"}) << QList<qint32>{} << QList<qint32>{};
    QTest::addRow("a section name shows all its entries")
        << "sql" << QStringList({"MySQL"}) << QList<qint32>{} << QList<qint32>{0, 1};
    QTest::addRow("names, an unparsable line; comments not")
        << "memory" << QStringList({"PHP", "MySQL", "memory"}) << QList<qint32>{0} << QList<qint32>{1};
    QTest::addRow("part of a word") << "ax" << QStringList({"PHP", "Session"}) << QList<qint32>{1}
                                    << QList<qint32>{};
    QTest::addRow("nothing") << "zzz" << QStringList() << QList<qint32>{} << QList<qint32>{};
}

void TestFilter::matching()
{
    QFETCH(QString, text);
    QFETCH(QStringList, sections);
    QFETCH(QList<qint32>, php);
    QFETCH(QList<qint32>, mysql);
    const auto ini = Parsed(Sample);
    TKvFilter filter;
    filter.SetText(text);
    QCOMPARE(filter.IsActive(), !text.isEmpty());
    QCOMPARE(SectionNames(filter, *ini), sections);
    QCOMPARE(Vals(filter, *ini->Sections[0]), php);
    QCOMPARE(Vals(filter, *ini->Sections[2]), mysql);
    for (const TKvIniSection *section : ini->Sections)
        QCOMPARE(filter.SectionPasses(*section), sections.contains(section->Name));
}

void TestFilter::countText()
{
    QCOMPARE(TKvFilter::CountText(12, 970), QStringLiteral("12 of 970"));
    QCOMPARE(TKvFilter::CountText(0, 0), QStringLiteral("0 of 0"));
    const QString separator = QLocale::system().groupSeparator();
    QCOMPARE(TKvFilter::CountText(1000, 1000000),
             QStringLiteral("1_000 of 1_000_000").replace(u'_', separator));
}

// Typed one character at a time, then taken back and changed: every answer
// equals that of a filter that never saw the earlier texts.
void TestFilter::narrowingGivesTheFullAnswer()
{
    QByteArray big;
    for (int s = 0; s < 40; ++s) {
        big += "[sec" + QByteArray::number(s) + "]\n";
        for (int e = 0; e < 60; ++e)
            big += "key" + QByteArray::number(e * 7 % 23) + "=value" + QByteArray::number((s * e) % 97) + "\n";
    }
    const auto ini = Parsed(big);
    TKvFilter typed;
    const QStringList texts = {"k", "ke", "key", "key1", "key12", "key1", "ey1", "VALUE9", "value95", "sec3",
                               "sec", "", "7"};
    for (const QString &text : texts) {
        typed.SetText(text);
        TKvFilter fresh;
        fresh.SetText(text);
        QCOMPARE(typed.Sections(*ini), fresh.Sections(*ini));
        for (const qint32 index : {0, 3, 17}) {
            QCOMPARE(typed.Vals(*ini->Sections[index]), fresh.Vals(*ini->Sections[index]));
            QCOMPARE(typed.Vals(*ini->Sections[index]), fresh.Vals(*ini->Sections[index])); // asked again
        }
    }
}

// The document changes between two key strokes: the next answer sees it.
void TestFilter::changesEndTheNarrowing()
{
    TKvDocument document;
    document.Replace(Parsed("[a]\nkey=1\nkeep=2\n[b]\nother=3\n"));
    TTestSelection selection;
    TKvFilter filter(&document);
    filter.SetText(QStringLiteral("ke"));
    QCOMPARE(SectionNames(filter, document.Ini()), QStringList{"a"});
    TKvIniSection *a = document.Ini().Sections[0];
    QCOMPARE(Vals(filter, *a), (QList<qint32>{0, 1}));

    TKvIniSection *b = document.Ini().Sections[1];
    document.Push(new TKvValsStep(document, selection, QStringLiteral("Add"), b, 0, {new TKvIniVal(u"keys", u"", u"")}));
    TKvIniVal *edited = a->Vals[0]->Clone();
    edited->SetName(u"kez");
    document.Push(new TKvReplaceValStep(document, selection, QStringLiteral("Edit"), a, 0, edited));
    filter.SetText(QStringLiteral("key"));
    QCOMPARE(SectionNames(filter, document.Ini()), QStringList{"b"});
    QCOMPARE(Vals(filter, *a), QList<qint32>{});
    QCOMPARE(Vals(filter, *document.Ini().Sections[1]), QList<qint32>{0});
}

void TestFilter::escapeClears()
{
    TKvFilterEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QSignalSpy done(&edit, &TKvFilterEdit::Done);
    QSignalSpy changed(&edit, &QLineEdit::textChanged);
    QTest::keyClicks(&edit, QStringLiteral("memory"));
    QCOMPARE(changed.count(), 6);
    QTest::keyClick(&edit, Qt::Key_Escape);
    QCOMPARE(edit.text(), QString());
    QCOMPARE(done.count(), 0);
    QTest::keyClick(&edit, Qt::Key_Escape);
    QCOMPARE(done.count(), 1);
    QTest::keyClicks(&edit, QStringLiteral("x"));
    QTest::keyClick(&edit, Qt::Key_Down);
    QCOMPARE(done.count(), 2);
    QCOMPARE(edit.text(), QStringLiteral("x"));
}

// In a window whose "Filter" action has the focus keys: Ctrl+L and "/" from
// elsewhere put the focus in the box; typed in the box, "/" is a character.
void TestFilter::focusKeys()
{
    QWidget window;
    auto *other = new QLineEdit(&window);
    auto *edit = new TKvFilterEdit(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    auto *action = new QAction(QStringLiteral("Filter"), &window);
    action->setShortcuts(TKvFilterEdit::FocusKeys());
    QObject::connect(action, &QAction::triggered, edit, &TKvFilterEdit::Focus);
    window.addAction(action);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // The list has the focus in the window; a button stands in for it here.
    auto *list = new QWidget(&window);
    list->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(list);
    list->show();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("a/b"));
    QCOMPARE(edit->text(), QStringLiteral("a/b"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Slash);
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), QStringLiteral("a/b"));
    Q_UNUSED(other);
}

QTEST_MAIN(TestFilter)
#include "tst_filter.moc"
