// Lines starting with "#" as comment lines (TKvMemIni::HashComments): how
// they are read and counted, written by both writers, commented out and in,
// and which marker new comment lines get.
#include "describedocument.h"
#include "kvmemini.h"

#include <QBuffer>
#include <QTest>

namespace {

int Load(TKvMemIni &ini, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ini.LoadFromStream(buffer, KvEncoding::Utf8);
}

QByteArray Save(TKvMemIni &ini, bool keepLayout)
{
    ini.WriteBom = false;
    ini.KeepLayout = keepLayout;
    return ini.Encode(KvEncoding::Utf8);
}

// The entry with this comment (the first one), or null.
TKvIniVal *EntryWithComment(const TKvMemIni &ini, QStringView comment)
{
    for (TKvIniSection *section : ini.Sections) {
        for (TKvIniVal *val : section->Vals) {
            if (val->CommentView() == comment)
                return val;
        }
    }
    return nullptr;
}

// The first value item named name, or null.
TKvIniVal *Item(const TKvMemIni &ini, QStringView name)
{
    for (TKvIniSection *section : ini.Sections) {
        for (TKvIniVal *val : section->Vals) {
            if (val->Kind() == ikValue && val->NameView() == name)
                return val;
        }
    }
    return nullptr;
}

} // namespace

class TestHashComments : public QObject
{
    Q_OBJECT

private slots:
    void reading_data();
    void reading();
    void writing_data();
    void writing();
    void newCommentMarker_data();
    void newCommentMarker();
    void markerTravelsWithCopies();
    void newMarkerIsAChange();
    void sectionParseTakesTheOption();
};

void TestHashComments::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hashComments");
    QTest::addColumn<QString>("document");
    QTest::addColumn<qint64>("comments");
    QTest::addColumn<qint64>("hashLines");
    QTest::addColumn<qint64>("semicolonLines");

    QTest::addRow("off: a hash line with = is an item")
        << QByteArray("#k=v\n;c\n") << false << "{;} 1:#k=v; 2:=;c" << qint64(1) << qint64(0) << qint64(1);
    QTest::addRow("off: a hash line without = is an error line")
        << QByteArray("# note\n") << false << "{;} 3:=# note;" << qint64(0) << qint64(0) << qint64(0);
    QTest::addRow("on: the text after # is the comment")
        << QByteArray("# note\n") << true << "{;} 2:=;note" << qint64(1) << qint64(1) << qint64(0);
    QTest::addRow("on: indented, an item commented out")
        << QByteArray(" \t#k = 1\n") << true << "{;} 2:=;k = 1" << qint64(1) << qint64(1) << qint64(0);
    QTest::addRow("on: a lone # is a blank line")
        << QByteArray("#\n#  \nk=1\n") << true << "{;} 0:=; 0:=; 1:k=1;" << qint64(0) << qint64(2)
        << qint64(0);
    QTest::addRow("on: # after a value stays in the value")
        << QByteArray("k=v #x\n") << true << "{;} 1:k=v #x;" << qint64(0) << qint64(0) << qint64(0);
    QTest::addRow("on: # inside a name stays in the name")
        << QByteArray("a#b=1\n") << true << "{;} 1:a#b=1;" << qint64(0) << qint64(0) << qint64(0);
    QTest::addRow("on: in a section, beside ; lines")
        << QByteArray("[s]\r\n# a\r\nk=1\r\n; b\r\n") << true << "{s;} 2:=;a 1:k=1; 2:=;b" << qint64(2)
        << qint64(1) << qint64(1);
    QTest::addRow("on: # after a header is not a section comment")
        << QByteArray("[s] # x\nk=1\n") << true << "{s;} 1:k=1;" << qint64(0) << qint64(0) << qint64(0);
    QTest::addRow("on: a second # belongs to the comment")
        << QByteArray("##x\n") << true << "{;} 2:=;#x" << qint64(1) << qint64(1) << qint64(0);
    QTest::addRow("on: control characters are dropped as in ; lines")
        << QByteArray("#a\x01"
                      "b\n")
        << true << "{;} 2:=;ab" << qint64(1) << qint64(1) << qint64(0);
    // Written as an item or an error line, it would read back as a comment.
    QTest::addRow("on: control characters before # count as blanks")
        << QByteArray("\x1b#a=1\n \x0b\t#b\n\x1b;c=1\n") << true << "{;} 2:=;a=1 2:=;b 1:;c=1;" << qint64(2)
        << qint64(2) << qint64(0);
    QTest::addRow("off: control characters before # are trimmed from the item")
        << QByteArray("\x1b#a=1\n") << false << "{;} 1:#a=1;" << qint64(0) << qint64(0) << qint64(0);
    QTest::addRow("on: last line without a line end")
        << QByteArray("k=1\n#end") << true << "{;} 1:k=1; 2:=;end" << qint64(1) << qint64(1) << qint64(0);
}

void TestHashComments::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hashComments);
    QFETCH(QString, document);
    QFETCH(qint64, comments);
    QFETCH(qint64, hashLines);
    QFETCH(qint64, semicolonLines);

    TKvMemIni ini;
    ini.HashComments = hashComments;
    QCOMPARE(Load(ini, bytes), int(KvEncoding::Utf8));
    QCOMPARE(Describe(ini), document);
    QCOMPARE(ini.CountAll().Comments, comments);
    QCOMPARE(ini.ReadCommentLines().Hash, hashLines);
    QCOMPARE(ini.ReadCommentLines().Semicolon, semicolonLines);
    QVERIFY(ini.ReadCounts() == ini.CountAll());
}

namespace {

enum class Edit { None, SetComment, ToggleTwice, CommentOutItem };

} // namespace

Q_DECLARE_METATYPE(Edit)

void TestHashComments::writing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hashComments");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("normal");
    QTest::addColumn<QByteArray>("keepLayout");

    const QByteArray hashFile("# top\n[s]\n  # b\n#k=1\nk = 1\n");
    QTest::addRow("on, unchanged") << hashFile << true << Edit::None
                                   << QByteArray("#top\r\n\r\n[s]\r\n#b\r\n#k=1\r\nk=1\r\n\r\n") << hashFile;
    // Off, nothing changes from the usual reading: an error line, an item.
    QTest::addRow("off, unchanged") << hashFile << false << Edit::None
                                    << QByteArray("# top\r\n\r\n[s]\r\n# b\r\n#k=1\r\nk=1\r\n\r\n")
                                    << hashFile;
    QTest::addRow("on, a comment's text changed")
        << hashFile << true << Edit::SetComment
        << QByteArray("#top\r\n\r\n[s]\r\n#new\r\n#k=1\r\nk=1\r\n\r\n")
        << QByteArray("# top\n[s]\n#new\n#k=1\nk = 1\n");
    QTest::addRow("on, uncommented and commented again keeps its #")
        << hashFile << true << Edit::ToggleTwice << QByteArray("#top\r\n\r\n[s]\r\n#b\r\n#k=1\r\nk=1\r\n\r\n")
        << QByteArray("# top\n[s]\n  # b\n#k=1\nk = 1\n");
    QTest::addRow("on, an item commented out in a file of # comments")
        << hashFile << true << Edit::CommentOutItem
        << QByteArray("#top\r\n\r\n[s]\r\n#b\r\n#k=1\r\n#k=1\r\n\r\n")
        << QByteArray("# top\n[s]\n  # b\n#k=1\n#k=1\n");
    QTest::addRow("on, an item commented out in a file of ; comments")
        << QByteArray("; a\n# b\n;c\nk=1\n") << true << Edit::CommentOutItem
        << QByteArray(";a\r\n#b\r\n;c\r\n;k=1\r\n\r\n") << QByteArray("; a\n# b\n;c\n;k=1\n");
}

void TestHashComments::writing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hashComments);
    QFETCH(Edit, edit);
    QFETCH(QByteArray, normal);
    QFETCH(QByteArray, keepLayout);

    TKvMemIni ini;
    ini.HashComments = hashComments;
    QCOMPARE(Load(ini, bytes), int(KvEncoding::Utf8));
    switch (edit) {
    case Edit::None:
        break;
    case Edit::SetComment:
        EntryWithComment(ini, u"b")->SetComment(u"new");
        break;
    case Edit::ToggleTwice: {
        TKvIniVal *val = EntryWithComment(ini, u"k=1");
        val->ToggleComment();
        QCOMPARE(val->Kind(), ikValue);
        val->ToggleComment();
        break;
    }
    case Edit::CommentOutItem:
        Item(ini, u"k")->ToggleComment(ini.NewCommentMarker());
        break;
    }
    QCOMPARE(Save(ini, false), normal);
    QCOMPARE(Save(ini, true), keepLayout);
    // Written with "#", read back with the option: the same document.
    if (hashComments) {
        TKvMemIni back;
        back.HashComments = true;
        QCOMPARE(Load(back, normal), int(KvEncoding::Utf8));
        TKvMemIni again;
        again.HashComments = true;
        QCOMPARE(Load(again, Save(back, false)), int(KvEncoding::Utf8));
        QCOMPARE(Describe(again), Describe(back));
    }
}

void TestHashComments::newCommentMarker_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hashComments");
    QTest::addColumn<QString>("marker");

    QTest::addRow("nothing read") << QByteArray() << true << ";";
    QTest::addRow("no comment lines") << QByteArray("[s]\nk=1\n") << true << ";";
    QTest::addRow("only # lines") << QByteArray("#a\n[s]\n#b\n") << true << "#";
    QTest::addRow("only # lines, option off") << QByteArray("#a\n[s]\n#b\n") << false << ";";
    QTest::addRow("as many # as ;") << QByteArray("#a\n;b\n") << true << ";";
    QTest::addRow("mostly #") << QByteArray("#a\n#b\n;c\n") << true << "#";
    QTest::addRow("mostly ;") << QByteArray(";a\n;b\n#c\n") << true << ";";
    QTest::addRow("lone # lines count") << QByteArray("#\n#\n;c\n") << true << "#";
}

void TestHashComments::newCommentMarker()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hashComments);
    QFETCH(QString, marker);

    TKvMemIni ini;
    ini.HashComments = hashComments;
    Load(ini, bytes);
    QCOMPARE(QString(QChar(ini.NewCommentMarker())), marker);
    // A new document starts over.
    ini.Clear();
    QCOMPARE(ini.NewCommentMarker(), u';');
}

void TestHashComments::markerTravelsWithCopies()
{
    TKvMemIni ini;
    ini.HashComments = true;
    Load(ini, "[s]\n# a\n; b\nk=1\n");
    TKvIniSection *source = ini.Sections[0];
    QCOMPARE(source->Vals[0]->CommentMarker(), u'#');
    QCOMPARE(source->Vals[1]->CommentMarker(), u';');

    std::unique_ptr<TKvIniVal> clone(source->Vals[0]->Clone());
    QCOMPARE(clone->CommentMarker(), u'#');
    TKvIniSection *copy = ini.CopySection(source, QStringLiteral("t"));
    QCOMPARE(copy->Vals[0]->CommentMarker(), u'#');
    QCOMPARE(copy->Vals[1]->CommentMarker(), u';');
    QCOMPARE(Save(ini, false), QByteArray("[s]\r\n#a\r\n;b\r\nk=1\r\n\r\n[t]\r\n#a\r\n;b\r\nk=1\r\n\r\n"));
}

void TestHashComments::newMarkerIsAChange()
{
    TKvMemIni ini;
    ini.HashComments = true;
    Load(ini, "; a\n");
    TKvIniVal *val = ini.Sections[0]->Vals[0];
    QVERIFY(val->LineAnchor());
    val->SetCommentMarker(u';'); // the marker it has: no change
    QVERIFY(val->LineAnchor());
    val->SetCommentMarker(u'#');
    QVERIFY(!val->LineAnchor());
    QCOMPARE(Save(ini, true), QByteArray("#a\n"));
}

void TestHashComments::sectionParseTakesTheOption()
{
    const QString text = QStringLiteral("[p]\n# c\nk=1\n");
    TKvIniSection plain;
    plain.Parse(text);
    QCOMPARE(plain.Vals[0]->Kind(), ikError);
    TKvIniSection hash;
    hash.Parse(text, 0, true);
    QCOMPARE(hash.Vals[0]->Kind(), ikComment);
    QCOMPARE(hash.Vals[0]->Comment(), QStringLiteral("c"));
    QCOMPARE(hash.Vals[0]->CommentMarker(), u'#');
}

QTEST_GUILESS_MAIN(TestHashComments)
#include "tst_hashcomments.moc"
