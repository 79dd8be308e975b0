// The value list's widest texts, kept as rows come and go, always equal a
// measurement of every row shown.
#include "commands/editsteps.h"
#include "document/kvdocument.h"
#include "lists/kvcolumnwidths.h"
#include "lists/kvfilter.h"
#include "valuemodel.h"

#include <QApplication>
#include <QBuffer>
#include <QTest>

namespace {

class TNoSelection : public TKvSelection
{
public:
    TKvListSelection Current() const override { return {}; }
    void Restore(const TKvListSelection &) override {}
};

std::array<int, 3> Measured(const TKvValueModel &model, const QFont &font)
{
    const TKvTextWidth measure(font);
    std::array<int, 3> widest{};
    for (int row = 0; row < model.rowCount(); ++row) {
        const TKvIniVal *val = model.ValAt(row);
        const std::array<QStringView, 3> texts{val->NameView(), val->ValueView(), val->CommentView()};
        for (size_t i = 0; i < 3; ++i)
            widest[i] = std::max(widest[i], texts[i].isEmpty() ? 0 : measure.Width(texts[i]));
    }
    return widest;
}

} // namespace

class TestColumnWidths : public QObject
{
    Q_OBJECT

private slots:
    void keptWidthsEqualAFullMeasurement_data();
    void keptWidthsEqualAFullMeasurement();
    void bigSectionsEqualAFullMeasurement_data();
    void bigSectionsEqualAFullMeasurement();
};

// ops: a add a wide entry at the end, d delete entry 0 (the widest), e edit
// entry 1 into a comment, u undo, r redo, v toggle values-only (showing the
// section), h show the other section, s show the section again, x delete the
// section, f toggle the filter "b" (showing the section), i filter "i" (the
// widest rows), n narrow it to "i " (none of them), w widen it to "i" again
// (the three showing the section shown, or the first). keepAll: every section shown keeps its counts after it is left
// (otherwise only big ones do).
void TestColumnWidths::keptWidthsEqualAFullMeasurement_data()
{
    QTest::addColumn<QString>("ops");
    QTest::addColumn<bool>("keepAll");
    QTest::newRow("delete the widest") << "d" << false;
    QTest::newRow("delete and undo") << "du" << false;
    QTest::newRow("add a wider one, undo, redo") << "aur" << false;
    QTest::newRow("edit into a comment and back") << "eu" << false;
    QTest::newRow("values-only: edit, delete, undo") << "veduu" << false;
    QTest::newRow("values-only: add then leave the mode") << "vav" << false;
    QTest::newRow("kept: shown again unchanged") << "hs" << true;
    QTest::newRow("kept: changed while hidden") << "hdauuaedsuuu" << true;
    QTest::newRow("kept: undone and redone while hidden") << "dahuursrs" << true;
    QTest::newRow("kept: values-only, changed while hidden") << "vhedasv" << true;
    QTest::newRow("kept: mode changed, then shown") << "hvhs" << true;
    QTest::newRow("kept: hidden section deleted and back") << "hxushxurus" << true;
    QTest::newRow("kept: shown section deleted and back") << "xus" << true;
    QTest::newRow("not kept: changed while hidden") << "hdaes" << false;
    QTest::newRow("kept: filtered, changed, whole again") << "fdaf" << true;
    QTest::newRow("kept: filtered, hidden, changed, shown, whole again") << "fhadsf" << true;
    QTest::newRow("filtered: added rows stay shown") << "faaduf" << false;
    QTest::newRow("kept: typing narrows and widens") << "inwnwf" << true;
    QTest::newRow("kept: typing after changes") << "iandwuwrnf" << true;
    QTest::newRow("kept: values-only, typing, editing") << "vinewuwnfv" << true;
    QTest::newRow("kept: typing while another section is shown") << "ihnswf" << true;
    QTest::newRow("not kept: typing") << "inwnf" << false;
}

void TestColumnWidths::keptWidthsEqualAFullMeasurement()
{
    QFETCH(QString, ops);
    QFETCH(bool, keepAll);
    TKvDocument document;
    auto ini = std::make_unique<TKvMemIni>();
    QBuffer buffer;
    buffer.setData("[s]\nthe_widest_name_of_all = the widest value of all ; the widest comment of all\n"
                   "b = 2 ; two\n;a comment line\n\nc = 3\n[t]\nx = 1\n");
    buffer.open(QIODevice::ReadOnly);
    ini->LoadFromStream(buffer, KvEncoding::Utf8);
    document.Replace(std::move(ini));
    TKvValueModel model(document);
    TKvFilter filter(&document);
    model.SetFilter(&filter);
    const QFont font = QApplication::font();
    TKvColumnWidths widths(document, model, font, nullptr,
                           keepAll ? 1 : TKvColumnWidths::KeptFromRows);
    TKvIniSection *section = document.Ini().Sections[0];
    TKvIniSection *other = document.Ini().Sections[1];
    bool valuesOnly = false;
    model.Fill(section, valuesOnly);
    TNoSelection selection;
    QCOMPARE(widths.Widest(), Measured(model, font));
    for (const QChar op : ops) {
        switch (op.toLatin1()) {
        case 'a':
            document.Push(new TKvValsStep(document, selection, {}, section, -1,
                                          {new TKvIniVal(u"an even wider name than the widest name of all",
                                                         u"and its value", u"and its comment")}));
            break;
        case 'd':
            document.Push(new TKvValsStep(document, selection, {}, section, 0, 1));
            break;
        case 'e': {
            TKvIniVal *edited = section->Vals[1]->Clone();
            edited->ToggleComment();
            document.Push(new TKvReplaceValStep(document, selection, {}, section, 1, edited));
            break;
        }
        case 'u':
            document.UndoStack()->undo();
            break;
        case 'r':
            document.UndoStack()->redo();
            break;
        case 'v':
            valuesOnly = !valuesOnly;
            model.Fill(section, valuesOnly);
            break;
        case 'h':
            model.Fill(other, valuesOnly);
            break;
        case 's':
            model.Fill(section, valuesOnly);
            break;
        case 'f':
            filter.SetText(filter.IsActive() ? QString() : QStringLiteral("b"));
            model.Fill(section, valuesOnly);
            break;
        case 'i':
        case 'n':
        case 'w':
            filter.SetText(op == u'n' ? QStringLiteral("i ") : QStringLiteral("i"));
            model.Fill(model.Section() ? model.Section() : section, valuesOnly);
            break;
        case 'x':
            document.Push(new TKvSectionsStep(document, selection, {}, nullptr, 0, 1));
            break;
        }
        QCOMPARE(widths.Widest(), Measured(model, font));
    }
}

// A big section's rows are tallied by width before the counts are made;
// cells wider than the tallies hold, and text only the font can measure,
// take their own ways.
void TestColumnWidths::bigSectionsEqualAFullMeasurement_data()
{
    QTest::addColumn<QString>("special"); // the line put among the plain ones
    QTest::addColumn<double>("at");       // where, as a share of the rows
    QTest::addColumn<bool>("deleteMost"); // then delete most rows in one step

    const QString wide = QStringLiteral("w = ") + QString(500, u'W'); // wider than the tallies hold
    const QString cjk = QStringLiteral("k = \u65e5\u672c\u8a9e\u306e\u5024\u65e5\u672c\u8a9e\u306e\u5024 ; \u6ce8");
    const QString longest = QStringLiteral("the_longest_name = the longest value of them all ; and comment");
    for (const auto &[name, line] : {std::pair{"plain", longest}, std::pair{"only the font measures", cjk},
                                      std::pair{"wider than the tallies", wide}}) {
        QTest::addRow("%s, first half", name) << line << 0.2 << false;
        QTest::addRow("%s, second half", name) << line << 0.7 << false;
        QTest::addRow("%s, last row", name) << line << 1.0 << false;
        QTest::addRow("%s, second half, most rows deleted", name) << line << 0.9 << true;
    }
}

void TestColumnWidths::bigSectionsEqualAFullMeasurement()
{
    QFETCH(QString, special);
    QFETCH(double, at);
    QFETCH(bool, deleteMost);
    constexpr int Rows = 120'000;
    const int specialRow = std::min(Rows - 1, int(at * Rows));
    QString text = QStringLiteral("[s]\n");
    for (int row = 0; row < Rows; ++row)
        text += row == specialRow ? special + u'\n' : QStringLiteral("k%1 = v%1 ; c\n").arg(row);
    TKvDocument document;
    auto ini = std::make_unique<TKvMemIni>();
    QVERIFY(ini->Parse(text));
    document.Replace(std::move(ini));
    TKvValueModel model(document);
    const QFont font = QApplication::font();
    TKvColumnWidths widths(document, model, font);
    TKvIniSection *section = document.Ini().Sections[0];
    model.Fill(section, false);
    QCOMPARE(model.rowCount(), Rows);
    QCOMPARE(widths.Widest(), Measured(model, font));
    if (deleteMost) {
        TNoSelection selection;
        document.Push(new TKvValsStep(document, selection, {}, section, 1000, Rows - 2000));
        QCOMPARE(model.rowCount(), 2000);
        QCOMPARE(widths.Widest(), Measured(model, font));
        document.UndoStack()->undo();
        QCOMPARE(widths.Widest(), Measured(model, font));
    }
}

QTEST_MAIN(TestColumnWidths)
#include "tst_columnwidths.moc"
