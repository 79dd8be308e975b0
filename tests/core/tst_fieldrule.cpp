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

// Writes a section holding one item and one comment line with the text in the
// given field, reads the written text back and tells whether every field came
// back as it was stored.
bool ReadsBack(TKvField field, const QString &text)
{
    QString sectionName = QStringLiteral("s");
    QString sectionComment = QStringLiteral("sc");
    QString name = QStringLiteral("k");
    QString value = QStringLiteral("v");
    QString comment = QStringLiteral("c");
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
    }
    TKvMemIni ini;
    TKvIniSection *section = ini.AddSection(sectionName);
    section->Comment = sectionComment;
    TKvIniVal *item = section->AddVal(name, value, comment);
    TKvIniVal *commentLine = section->AddVal({}, {}, comment);
    // A field setter that changed the text is a change too.
    if (item->Name() != name || item->Value() != value || item->Comment() != comment
        || commentLine->Comment() != comment)
        return false;

    TKvMemIni back;
    const QString written = ini.GetText();
    const std::optional<qsizetype> stop = back.Parse(written);
    if (!stop || *stop != written.size() || back.Sections.Count != 1)
        return false;
    const TKvIniSection *readSection = back.Sections.Items[0];
    if (readSection->Name != sectionName || readSection->Comment != sectionComment
        || readSection->Vals.Count != 3)
        return false;
    const TKvIniVal *readItem = readSection->Vals.Items[0];
    const TKvIniVal *readComment = readSection->Vals.Items[1];
    return readItem->Kind() == ikValue && readItem->Name() == name && readItem->Value() == value
           && readItem->Comment() == comment && readComment->Kind() == ikComment
           && readComment->Comment() == comment;
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

    const auto add = [](const char *name, TKvField field, const QString &text, bool accepted) {
        QTest::addRow("%s", name) << field << text << accepted;
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
}

// Every accepted text reads back as written, every refused one would not, and
// a refusal always comes with a hint.
void TestFieldRule::rule()
{
    QFETCH(TKvField, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    const QString problem = FieldProblem(field, text);
    QCOMPARE(problem.isEmpty(), accepted);
    QCOMPARE(ReadsBack(field, text), accepted);
}

QTEST_GUILESS_MAIN(TestFieldRule)
#include "tst_fieldrule.moc"
