// Opening with the desktop: which address a target becomes, that opening goes
// through the replaceable opener (so no browser ever starts here), and the
// maker's addresses.
#include "kvconfig.h"
#include "kvshell.h"

#include <QDir>
#include <QTest>

class TstShell : public QObject
{
    Q_OBJECT

private:
    QList<QUrl> m_opened;
    TKvShellOpener m_previousOpener;

private Q_SLOTS:
    void init()
    {
        m_opened.clear();
        m_previousOpener = SetShellOpener([this](const QUrl &url) { m_opened.append(url); });
    }
    void cleanup() { SetShellOpener(m_previousOpener); }

    void shellTargetUrl_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("web page") << QStringLiteral("https://velmora.example/quillon.htm")
                                  << QByteArray("https://velmora.example/quillon.htm");
        QTest::addRow("web page with query")
            << QStringLiteral("https://velmora.example/quillon/thanks.htm?ver=0.1.0.0")
            << QByteArray("https://velmora.example/quillon/thanks.htm?ver=0.1.0.0");
        QTest::addRow("scheme in capitals")
            << QStringLiteral("HTTP://velmora.example/") << QByteArray("http://velmora.example/");
        QTest::addRow("mail with subject")
            << QStringLiteral("Mailto:bugs@velmora.example ?Subject=BugReport Quillon  ver. 0.1.0.0")
            << QByteArray("mailto:bugs@velmora.example%20?Subject=BugReport%20Quillon%20%20ver.%200.1.0.0");
        QTest::addRow("absolute file")
            << QStringLiteral("/tmp/some file.ini") << QByteArray("file:///tmp/some%20file.ini");
        QTest::addRow("non-ASCII file")
            << QStringLiteral(u"/tmp/\u00E6bler.ini") << QByteArray("file:///tmp/%C3%A6bler.ini");
        QTest::addRow("relative file")
            << QStringLiteral("notes.ini")
            << QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("notes.ini"))).toEncoded();
        QTest::addRow("one letter before a colon is a file")
            << QStringLiteral("c:notes.ini")
            << QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("c:notes.ini")))
                   .toEncoded();
        QTest::addRow("empty") << QString() << QByteArray();
    }
    void shellTargetUrl()
    {
        QFETCH(QString, target);
        QFETCH(QByteArray, expected);
        QCOMPARE(ShellTargetUrl(target).toEncoded(), expected);
    }

    void openGoesThroughOpener()
    {
        const QString page = QStringLiteral("https://velmora.example/quillon.htm");
        OpenWithShell(page);
        OpenWithShell(QStringLiteral("/tmp/a.ini"));
        QCOMPARE(m_opened, (QList<QUrl>{QUrl(page), QUrl::fromLocalFile(QStringLiteral("/tmp/a.ini"))}));
    }

    void emptyTargetOpensNothing()
    {
        OpenWithShell(QString());
        QVERIFY(m_opened.isEmpty());
    }

    void setOpenerReturnsPrevious()
    {
        QList<QUrl> other;
        const TKvShellOpener recorder = SetShellOpener([&other](const QUrl &url) { other.append(url); });
        OpenWithShell(QStringLiteral("https://velmora.example/"));
        QCOMPARE(other.size(), 1);
        QVERIFY(m_opened.isEmpty());
        // Putting the returned opener back routes to it again.
        SetShellOpener(recorder);
        OpenWithShell(QStringLiteral("https://velmora.example/"));
        QCOMPARE(other.size(), 1);
        QCOMPARE(m_opened.size(), 1);
    }

    void makerAddresses()
    {
        const QUrl site(KvConfig::WebSiteUrl.toString(), QUrl::StrictMode);
        QVERIFY(site.isValid());
        QCOMPARE(site.scheme(), QStringLiteral("https"));
        QVERIFY(site.host().endsWith(u".example"));
        QCOMPARE(KvConfig::HelpUrl.toString(),
                 KvConfig::WebSiteUrl.toString() + QStringLiteral("/quillon.htm"));
        const QUrl thanks(KvConfig::ThankYouUrl.toString(), QUrl::StrictMode);
        QVERIFY(thanks.isValid());
        QCOMPARE(thanks.host(), site.host());
        QVERIFY(!thanks.hasQuery()); // the first run appends "?ver="
        QVERIFY(KvConfig::BugReportAddress.endsWith(QString(u'@' + site.host())));
    }
};

QTEST_GUILESS_MAIN(TstShell)
#include "tst_shell.moc"
