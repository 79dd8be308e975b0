// Find All: its results are the places Find Next stops at, its text cells
// mark the matches, and the rows follow the document's changes.
#include "commands/editsteps.h"
#include "documenttesting.h"
#include "findallmodel.h"
#include "findallpane.h"
#include "kvfind.h"
#include "kvsearch.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace DocumentTesting;
using State = TKvFindAllModel::State;

namespace {

TSearchStruct Options(const QString &where, bool wholeWords = false, bool caseSensitive = false)
{
    TSearchStruct options;
    const QStringList codes = where.split(u',');
    options.SectionNames = codes.contains(u"SN");
    options.SectionComments = codes.contains(u"SC");
    options.ItemNames = codes.contains(u"IN");
    options.ItemValues = codes.contains(u"IV");
    options.ItemComments = codes.contains(u"IC");
    options.WholeWords = wholeWords;
    options.CaseSensitive = caseSensitive;
    return options;
}

const QString All = QStringLiteral("SN,SC,IN,IV,IC");

// A document of many small sections with words from a short list, so that
// every option finds something and misses something.
QByteArray RandomIni(quint32 seed)
{
    QRandomGenerator random(seed);
    const char *words[] = {"cat", "Cat", "catalog", "dog", "a-cat", "cat_x", "", "cat.", "x"};
    auto word = [&] { return QByteArray(words[random.bounded(int(std::size(words)))]); };
    QByteArray ini;
    for (int s = 0; s < 30; ++s) {
        ini += "[" + word() + QByteArray::number(s) + "]";
        if (random.bounded(3) == 0)
            ini += " ;" + word();
        ini += "\n";
        const int entries = int(random.bounded(6));
        for (int e = 0; e < entries; ++e) {
            switch (random.bounded(4)) {
            case 0:
                ini += ";" + word() + " " + word() + "\n";
                break;
            case 1:
                ini += word() + " " + word() + "\n"; // no "=": an unparsable line
                break;
            default:
                ini += word() + "k=" + word() + " " + word() + (random.bounded(2) ? " ;" + word() : "") + "\n";
            }
        }
    }
    return ini;
}

// The places Find Next stops at from the top, as "section/entry" (-1: the
// section's own texts).
QStringList FindNextPlaces(const TKvMemIni &ini, const QString &text, const TSearchStruct &options)
{
    TKvSearch search(text, options.CaseSensitive, options.WholeWords);
    qint32 s = KvSearchCursor::Before;
    qint32 c = KvSearchCursor::Before;
    QStringList places;
    bool first = true;
    while (true) {
        if (!first)
            StepForward(s, c, options, ini);
        first = false;
        if (s == KvSearchCursor::After || !Find(search, ini, s, c, options))
            break;
        places << QStringLiteral("%1/%2").arg(s).arg(c < 0 || c == KvSearchCursor::After ? -1 : c);
    }
    return places;
}

// The places of the model's rows, each once, in row order.
QStringList ResultPlaces(const TKvMemIni &ini, const TKvFindAllModel &model)
{
    QStringList places;
    for (int row = 0; row < model.rowCount(); ++row) {
        const TKvIniSection *section = model.SectionAt(row);
        const TKvIniVal *val = model.ValAt(row);
        const QString place = QStringLiteral("%1/%2")
                                  .arg(ini.IndexOfSection(section))
                                  .arg(val ? section->IndexOfVal(val) : -1);
        if (places.isEmpty() || places.last() != place)
            places << place;
    }
    return places;
}

QStringList Column(const TKvFindAllModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

QList<State> States(const TKvFindAllModel &model)
{
    QList<State> states;
    for (int row = 0; row < model.rowCount(); ++row)
        states << model.StateAt(row);
    return states;
}

} // namespace


class TestFindAll : public QObject
{
    Q_OBJECT

private slots:
    void resultsAreTheFindNextPlaces_data();
    void resultsAreTheFindNextPlaces();
    void cellsMarkTheMatches_data();
    void cellsMarkTheMatches();
    void rowsFollowChanges_data();
    void rowsFollowChanges();
    void resetEmptiesTheList();
    void paneAsksToSelect();
    void screenshot();
};

void TestFindAll::resultsAreTheFindNextPlaces_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<bool>("caseSensitive");

    QTest::addRow("section name and comment, once")
        << QByteArray("[cat] ;cat\ncat=cat ;cat\n;cat\n[dog]\n") << "cat" << All << false << false;
    QTest::addRow("section texts only") << QByteArray("[cat] ;cat\ncat=1\n[x]\n[cat2]\n") << "cat" << "SN,SC"
                                        << false << false;
    QTest::addRow("no section texts") << QByteArray("[cat] ;cat\ncat=1\n[x]\ny=cat\n") << "cat" << "IN,IV,IC"
                                      << false << false;
    QTest::addRow("empty find text") << QByteArray("[a]\nb=c\n") << "" << All << false << false;
    QTest::addRow("nameless section") << QByteArray("k=cat\n[s]\nk=cat\n") << "cat" << All << false << false;
    for (quint32 seed = 1; seed <= 4; ++seed) {
        const QByteArray ini = RandomIni(seed);
        QTest::addRow("random %u, everywhere", seed) << ini << "cat" << All << false << false;
        QTest::addRow("random %u, whole words, case", seed) << ini << "cat" << All << true << true;
        QTest::addRow("random %u, values and comments", seed) << ini << "Cat" << "IV,IC" << false << false;
        QTest::addRow("random %u, section names", seed) << ini << "x" << "SN" << true << false;
    }
}

void TestFindAll::resultsAreTheFindNextPlaces()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, find);
    QFETCH(QString, where);
    QFETCH(bool, wholeWords);
    QFETCH(bool, caseSensitive);
    TKvDocument document;
    document.Replace(Parsed(ini));
    TKvFindAllModel model(document);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const TSearchStruct options = Options(where, wholeWords, caseSensitive);
    model.Run(find, options);
    QCOMPARE(ResultPlaces(document.Ini(), model), FindNextPlaces(document.Ini(), find, options));
    QCOMPARE(model.LiveCount(), qsizetype(model.rowCount()));
    // Each row's text contains the find text, as its field's caption says.
    TKvSearch search(find, caseSensitive, wholeWords);
    for (int row = 0; row < model.rowCount(); ++row)
        QVERIFY(search.Find(model.index(row, TKvFindAllModel::TextColumn).data(Qt::ToolTipRole).toString()) >= 0);
}

// text: a value; marks: the start and length pairs the text cell gives;
// shown: the cell's text.
void TestFindAll::cellsMarkTheMatches_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QList<int>>("marks");
    QTest::addColumn<QString>("shown");

    QTest::addRow("two") << "a cat and a cat" << "CAT" << QList<int>{2, 3, 12, 3} << "a cat and a cat";
    QTest::addRow("at the start") << "cat" << "cat" << QList<int>{0, 3} << "cat";
    const QString longText = QString(300, u'x') + QStringLiteral("cat") + QString(300, u'y');
    // Cut 40 characters before the match, 200 long, with an ellipsis at both ends.
    QTest::addRow("long") << longText << "cat" << QList<int>{41, 3}
                          << QString(QChar(0x2026)) + QString(40, u'x') + QStringLiteral("cat") + QString(157, u'y')
                                 + QChar(0x2026);
    QTest::addRow("long, match near the end")
        << QString(300, u'x') + QStringLiteral("cat") << "cat" << QList<int>{198, 3}
        << QString(QChar(0x2026)) + QString(197, u'x') + QStringLiteral("cat");
}

void TestFindAll::cellsMarkTheMatches()
{
    QFETCH(QString, value);
    QFETCH(QString, find);
    QFETCH(QList<int>, marks);
    QFETCH(QString, shown);
    TKvDocument document;
    document.Replace(Parsed(("[s]\nk=" + value + "\n").toUtf8()));
    TKvFindAllModel model(document);
    model.Run(find, Options(QStringLiteral("IV")));
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex text = model.index(0, TKvFindAllModel::TextColumn);
    QCOMPARE(text.data().toString(), shown);
    QCOMPARE(text.data(TKvFindAllModel::MatchesRole).value<QList<int>>(), marks);
    QCOMPARE(text.data(Qt::ToolTipRole).toString(), value);
    QCOMPARE(model.index(0, TKvFindAllModel::SectionColumn).data().toString(), QStringLiteral("s"));
    QCOMPARE(model.index(0, TKvFindAllModel::ItemColumn).data().toString(), QStringLiteral("k"));
    QCOMPARE(model.index(0, TKvFindAllModel::FieldColumn).data().toString(), QStringLiteral("Item Value"));
}

// The document "[a] ;x / k=x ;x / j=y / m=x" and "[b] / n=x" with every
// field searched for "x" gives the rows: a's comment, k's value, k's
// comment, m's value, n's value. op: the change; states: the rows afterwards
// (L live, N no match, G gone); undone: the rows after its undo.
void TestFindAll::rowsFollowChanges_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("states");
    QTest::addColumn<QString>("texts");

    QTest::addRow("edit k so that only its comment matches") << "edit k" << "LNLLL" << "x,y,x,x,x";
    QTest::addRow("delete k") << "delete k" << "LGGLL" << "x,x,x,x,x";
    QTest::addRow("delete j: no result of it") << "delete j" << "LLLLL" << "x,x,x,x,x";
    QTest::addRow("delete section a") << "delete a" << "GGGGL" << "x,x,x,x,x";
    QTest::addRow("comment of a changed") << "comment a" << "NLLLL" << "none,x,x,x,x";
    QTest::addRow("insert before k: rows stay") << "insert" << "LLLLL" << "x,x,x,x,x";
    QTest::addRow("sort: rows stay") << "sort" << "LLLLL" << "x,x,x,x,x";
}

void TestFindAll::rowsFollowChanges()
{
    QFETCH(QString, op);
    QFETCH(QString, states);
    QFETCH(QString, texts);
    TKvDocument document;
    document.Replace(Parsed("[a] ;x\nk=x ;x\nj=y\nm=x\n[b]\nn=x\n"));
    TTestSelection selection;
    TKvFindAllModel model(document);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.Run(QStringLiteral("x"), Options(All));
    const QString allLive = QStringLiteral("LLLLL");
    auto stateText = [&model] {
        QString text;
        for (const State state : States(model))
            text += state == State::Live ? u'L' : state == State::NoMatch ? u'N' : u'G';
        return text;
    };
    QCOMPARE(stateText(), allLive);
    QCOMPARE(Column(model, TKvFindAllModel::FieldColumn),
             QStringList({"Section Comment", "Item Value", "Item Comment", "Item Value", "Item Value"}));
    const QStringList before = Column(model, TKvFindAllModel::TextColumn);
    QSignalSpy liveCounts(&model, &TKvFindAllModel::LiveCountChanged);

    TKvIniSection *a = document.Ini().Sections[0];
    if (op == u"edit k") {
        TKvIniVal *edited = a->Vals[0]->Clone();
        edited->SetValue(u"y");
        document.Push(new TKvReplaceValStep(document, selection, QStringLiteral("Edit"), a, 0, edited));
    } else if (op == u"delete k" || op == u"delete j") {
        document.Push(new TKvValsStep(document, selection, QStringLiteral("Delete"), a, op == u"delete k" ? 0 : 1, 1));
    } else if (op == u"delete a") {
        document.Push(new TKvSectionsStep(document, selection, QStringLiteral("Delete"), nullptr, 0, 1));
    } else if (op == u"comment a") {
        document.Push(new TKvSectionTextStep(document, selection, QStringLiteral("Edit"), a, a->Name,
                                             QStringLiteral("none")));
    } else if (op == u"insert") {
        document.Push(new TKvValsStep(document, selection, QStringLiteral("Add"), a, 0,
                                      {new TKvIniVal(u"new", u"x", u"")}));
    } else if (op == u"sort") {
        document.Push(new TKvOrderStep(document, selection, QStringLiteral("Sort"), TKvOrderStep::AllSections,
                                       nullptr, [](TKvMemIni &ini) { ini.SortAll(skName, false); }));
    }
    QCOMPARE(stateText(), states);
    QCOMPARE(model.LiveCount(), qsizetype(states.count(u'L')));
    QCOMPARE(liveCounts.isEmpty(), states == allLive);
    // A gone row keeps the texts it showed; a changed one shows its text now.
    QStringList shown = Column(model, TKvFindAllModel::TextColumn);
    QCOMPARE(shown.join(u','), texts);
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.StateAt(row) == State::Gone) {
            QVERIFY(!model.SectionAt(row) && !model.ValAt(row));
            QVERIFY(!(model.flags(model.index(row, 0)) & Qt::ItemIsEnabled));
        }
        if (model.StateAt(row) != State::Live)
            QVERIFY(model.index(row, TKvFindAllModel::TextColumn)
                        .data(TKvFindAllModel::MatchesRole)
                        .value<QList<int>>()
                        .isEmpty());
    }

    // Undo puts the same objects back: the rows are live again.
    document.UndoStack()->undo();
    QCOMPARE(stateText(), allLive);
    QCOMPARE(Column(model, TKvFindAllModel::TextColumn), before);
    QCOMPARE(ResultPlaces(document.Ini(), model), FindNextPlaces(document.Ini(), QStringLiteral("x"), Options(All)));
    document.UndoStack()->redo();
    QCOMPARE(stateText(), states);
}

void TestFindAll::resetEmptiesTheList()
{
    TKvDocument document;
    document.Replace(Parsed("[a]\nk=x\n"));
    TKvFindAllModel model(document);
    model.Run(QStringLiteral("x"), Options(All));
    QCOMPARE(model.rowCount(), 1);
    document.Replace(Parsed("[b]\nk=x\n"));
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.LiveCount(), qsizetype(0));
}

void TestFindAll::paneAsksToSelect()
{
    TKvDocument document;
    document.Replace(Parsed("[a] ;x\nk=1\nm=x\n[b]\nn=x\n"));
    TTestSelection selection;
    selection.Selected.SectionSort = {1, 2}; // an arrow the selection keeps
    TFindAllPane pane(document);
    QObject::connect(&pane, &TFindAllPane::SelectRequested,
                     [&selection](TKvIniSection *section, TKvIniVal *val) { SelectResult(selection, section, val); });
    pane.resize(600, 300);
    pane.Run(QStringLiteral("x"), Options(All));
    QCOMPARE(pane.SummaryText(), QStringLiteral("3 matches of \"x\""));
    QCOMPARE(selection.Where(document), QStringLiteral("-"));

    pane.LvResults->setCurrentIndex(pane.Model()->index(1, 0));
    QCOMPARE(selection.Where(document), QStringLiteral("0/1"));
    QCOMPARE(selection.Selected.SectionSort, (std::array<int, 2>{1, 2}));
    pane.LvResults->setCurrentIndex(pane.Model()->index(0, 0));
    QCOMPARE(selection.Where(document), QStringLiteral("0/-1"));
    pane.LvResults->setCurrentIndex(pane.Model()->index(2, 0));
    QCOMPARE(selection.Where(document), QStringLiteral("1/0"));

    // A removed result asks for nothing; the summary says what no longer matches.
    document.Push(new TKvValsStep(document, selection, QStringLiteral("Delete"), document.Ini().Sections[0], 1, 1));
    QCOMPARE(pane.SummaryText(), QStringLiteral("3 matches of \"x\", 1 no longer matches"));
    selection.Selected = {};
    emit pane.LvResults->activated(pane.Model()->index(1, 0));
    QCOMPARE(selection.Where(document), QStringLiteral("-"));

    // Escape closes the pane.
    pane.show();
    QSignalSpy closed(&pane, &TFindAllPane::Closed);
    QTest::keyClick(pane.LvResults, Qt::Key_Escape);
    QCOMPARE(closed.count(), 1);
    QVERIFY(pane.isHidden());
}

// With QUILLON_SHOTS set to a folder: the pane as it looks, for a person to check.
void TestFindAll::screenshot()
{
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS");
    if (folder.isEmpty())
        QSKIP("QUILLON_SHOTS not set");
    TKvDocument document;
    document.Replace(Parsed("[PHP] ;memory settings\nmemory_limit=128M ;the memory a script may use\n"
                            "max_execution_time=30\n;memory_limit=-1 for no memory limit at all\n"
                            "[opcache]\nopcache.memory_consumption=128\nopcache.enable=1\n"));
    TTestSelection selection;
    TFindAllPane pane(document);
    pane.resize(820, 220);
    pane.Run(QStringLiteral("memory"), Options(All));
    pane.LvResults->setCurrentIndex(pane.Model()->index(2, 0));
    document.Push(new TKvValsStep(document, selection, QStringLiteral("Delete"), document.Ini().Sections[1], 0, 1));
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    QVERIFY(pane.grab().save(folder + QStringLiteral("/findall-pane.png")));
}

QTEST_MAIN(TestFindAll)
#include "tst_findall.moc"
