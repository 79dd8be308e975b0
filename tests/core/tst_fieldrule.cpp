// The rule deciding whether a field's text reads back as written, checked
// against the writer and the reader themselves.
#include "kvfieldrule.h"
#include "kvmemini.h"

#include <QTest>

Q_DECLARE_METATYPE(TKvField)

namespace {

QString Trimmed(const QString &text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && (text[first] == u' ' || text[first] == u'\t'))
        ++first;
    while (end > first && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(first, end - first);
}

// Writes a section holding one item, one comment line and one error line with
// the text in the given field, reads the written text back (with "#" comment
// lines or without) and tells whether every field came back as it was stored.
bool ReadsBack(TKvField field, const QString &text, bool hashComments)
{
    QString sectionName = QStringLiteral("s");
    QString sectionComment = QStringLiteral("sc");
    QString name = QStringLiteral("k");
    QString value = QStringLiteral("v");
    QString comment = QStringLiteral("c");
    QString lineText = QStringLiteral("e");
    const QString stored = Trimmed(text);
    switch (field) {
    case TKvField::SectionName:
        sectionName = stored;
        break;
    case TKvField::SectionComment:
        sectionComment = stored;
        break;
    case TKvField::ItemName:
        name = stored;
        break;
    case TKvField::ItemValue:
        value = stored;
        break;
    case TKvField::ItemComment:
        comment = stored;
        break;
    case TKvField::LineText:
        lineText = stored;
        break;
    }
    TKvMemIni ini;
    TKvIniSection *section = ini.AddSection(sectionName);
    section->Comment = sectionComment;
    TKvIniVal *item = section->AddVal(name, value, comment);
    TKvIniVal *commentLine = section->AddVal({}, {}, comment);
    TKvIniVal *errorLine = section->AddVal({}, lineText, {});
    // A field setter that changed the text is a change too, and so is a line
    // that reads back only with the form feed the writer puts in front of it.
    if (item->Name() != name || item->Value() != value || item->Comment() != comment
        || commentLine->Comment() != comment || errorLine->Value() != lineText || item->WritesLeadIn()
        || errorLine->WritesLeadIn())
        return false;

    TKvMemIni back;
    back.HashComments = hashComments;
    const QString written = ini.GetText();
    const std::optional<qsizetype> stop = back.Parse(written);
    if (!stop || *stop != written.size() || back.Sections.Count() != 1)
        return false;
    const TKvIniSection *readSection = back.Sections[0];
    if (readSection->Name != sectionName || readSection->Comment != sectionComment
        || readSection->Vals.Count() != 4)
        return false;
    const TKvIniVal *readItem = readSection->Vals[0];
    const TKvIniVal *readComment = readSection->Vals[1];
    const TKvIniVal *readError = readSection->Vals[2];
    return readItem->Kind() == ikValue && readItem->Name() == name && readItem->Value() == value
           && readItem->Comment() == comment && readComment->Kind() == ikComment
           && readComment->Comment() == comment && readError->Kind() == ikError
           && readError->Value() == lineText;
}

} // namespace

class TestFieldRule : public QObject
{
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
};

void TestFieldRule::rule_data()
{
    QTest::addColumn<TKvField>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("hashComments");

    const auto add = [](const char *name, TKvField field, const QString &text, bool accepted,
                        bool hashComments = false) {
        QTest::addRow("%s", name) << field << text << accepted << hashComments;
    };
    using F = TKvField;
    // Section names.
    add("section plain", F::SectionName, QStringLiteral("main"), true);
    add("section spaces inside", F::SectionName, QStringLiteral("a b"), true);
    add("section outer spaces", F::SectionName, QStringLiteral("  a\t"), true);
    add("section open bracket", F::SectionName, QStringLiteral("[a"), true);
    add("section semicolon", F::SectionName, QStringLiteral("a;b"), true);
    add("section equals", F::SectionName, QStringLiteral("a=b"), true);
    add("section close bracket", F::SectionName, QStringLiteral("a]b"), false);
    add("section close bracket last", F::SectionName, QStringLiteral("a]"), false);
    add("section empty", F::SectionName, QString(), false);
    add("section blank", F::SectionName, QStringLiteral("   "), false);
    add("section line feed", F::SectionName, QStringLiteral("a\nb"), false);
    add("section carriage return", F::SectionName, QStringLiteral("a\rb"), false);
    add("section control", F::SectionName,
        QStringLiteral("a\x01"
                       "b"),
        false);
    add("section nul", F::SectionName, QString(QStringLiteral("ab") + QChar(0) + u'c'), false);
    add("section tab inside", F::SectionName, QStringLiteral("a\tb"), false);
    add("section non-ASCII", F::SectionName, QStringLiteral("\u00e6\u00f8\u00e5 \u20ac"), true);
    // Section comments are kept exactly as read, semicolons and all.
    add("section comment plain", F::SectionComment, QStringLiteral("note"), true);
    add("section comment semicolons", F::SectionComment, QStringLiteral(";a;b]"), true);
    add("section comment inner spaces", F::SectionComment, QStringLiteral("a  b"), true);
    add("section comment line feed", F::SectionComment, QStringLiteral("a\nb"), false);
    add("section comment control", F::SectionComment,
        QStringLiteral("a\x1f"
                       "b\tc"),
        true);
    add("section comment nul", F::SectionComment, QString(QStringLiteral("a") + QChar(0) + u'b'), false);
    // Item names.
    add("name plain", F::ItemName, QStringLiteral("key"), true);
    add("name with semicolon inside", F::ItemName, QStringLiteral("k;x"), true);
    add("name with bracket inside", F::ItemName, QStringLiteral("k[0]"), true);
    add("name with backslash", F::ItemName, QStringLiteral("k\\"), true);
    add("name hash", F::ItemName, QStringLiteral("#k"), true);
    add("name hash, hash comments", F::ItemName, QStringLiteral("#k"), false, true);
    add("name hash after spaces, hash comments", F::ItemName, QStringLiteral(" #k"), false, true);
    add("name hash inside, hash comments", F::ItemName, QStringLiteral("k#1"), true, true);
    add("name semicolon first, hash comments", F::ItemName, QStringLiteral(";k"), false, true);
    add("name open bracket first", F::ItemName, QStringLiteral("[k"), false);
    add("name open bracket after spaces", F::ItemName, QStringLiteral("  [k"), false);
    add("name semicolon first", F::ItemName, QStringLiteral(";k"), false);
    add("name equals", F::ItemName, QStringLiteral("a=b"), false);
    add("name equals last", F::ItemName, QStringLiteral("a="), false);
    add("name line feed", F::ItemName, QStringLiteral("a\nb"), false);
    add("name tab inside", F::ItemName, QStringLiteral("a\tb"), true);
    add("name vertical tab", F::ItemName, QStringLiteral("a\vb"), false);
    // Item values.
    add("value plain", F::ItemValue, QStringLiteral("v"), true);
    add("value equals", F::ItemValue, QStringLiteral("b=c"), true);
    add("value brackets", F::ItemValue, QStringLiteral("[x]"), true);
    add("value escaped semicolon", F::ItemValue, QStringLiteral("a\\;b"), true);
    add("value escaped semicolon first", F::ItemValue, QStringLiteral("\\;b"), true);
    add("value backslash last", F::ItemValue, QStringLiteral("a\\"), true);
    add("value semicolon", F::ItemValue, QStringLiteral("v;c"), false);
    add("value semicolon first", F::ItemValue, QStringLiteral(";c"), false);
    add("value semicolon last", F::ItemValue, QStringLiteral("v;"), false);
    add("value second semicolon unescaped", F::ItemValue, QStringLiteral("a\\;b;c"), false);
    add("value line feed", F::ItemValue, QStringLiteral("a\r\nb"), false);
    // Item comments.
    add("comment plain", F::ItemComment, QStringLiteral("note"), true);
    add("comment semicolons", F::ItemComment, QStringLiteral(";a;b"), true);
    add("comment equals and brackets", F::ItemComment, QStringLiteral("[a]=b"), true);
    add("comment line feed", F::ItemComment, QStringLiteral("a\nb"), false);
    add("comment control", F::ItemComment,
        QStringLiteral("a\x02"
                       "b"),
        false);
    add("comment hash, hash comments", F::ItemComment, QStringLiteral("#a"), true, true);
    // The text of an error line: the whole line, without "=".
    add("line plain", F::LineText, QStringLiteral("abc"), true);
    add("line semicolon inside", F::LineText, QStringLiteral("a;b"), true);
    add("line hash", F::LineText, QStringLiteral("#a"), true);
    add("line hash, hash comments", F::LineText, QStringLiteral("#a"), false, true);
    add("line hash inside, hash comments", F::LineText, QStringLiteral("a#b"), true, true);
    add("line equals", F::LineText, QStringLiteral("a=b"), false);
    add("line equals first", F::LineText, QStringLiteral("=b"), false);
    add("line open bracket first", F::LineText, QStringLiteral("[a]"), false);
    add("line semicolon first", F::LineText, QStringLiteral(";a"), false);
    add("line close bracket", F::LineText, QStringLiteral("a]"), true);
    add("line line feed", F::LineText, QStringLiteral("a\nb"), false);
    add("line tab inside", F::LineText, QStringLiteral("a\tb"), true);
}

// Every accepted text reads back as written, every refused one would not, and
// a refusal always comes with a hint.
void TestFieldRule::rule()
{
    QFETCH(TKvField, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(bool, hashComments);

    const QString problem = FieldProblem(field, text, hashComments);
    QCOMPARE(problem.isEmpty(), accepted);
    QCOMPARE(ReadsBack(field, text, hashComments), accepted);
}

QTEST_GUILESS_MAIN(TestFieldRule)
#include "tst_fieldrule.moc"
