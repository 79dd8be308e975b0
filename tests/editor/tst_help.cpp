// F1: the installed user's guide when there is one, the maker's page otherwise.
#include "form1.h"
#include "kvconfig.h"
#include "kvmanual.h"
#include "kvshell.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installedGuideIsFound();
    void buildTreeHasNoGuide();
    void helpActionOpensTheWebPageWithoutAGuide();

private:
    QTemporaryDir m_config;
    QList<QUrl> m_opened;
};

void TestHelp::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    SetShellOpener([this](const QUrl &url) { m_opened << url; });
}

void TestHelp::installedGuideIsFound()
{
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/doc/quillon")));
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    QCOMPARE(InstalledManualPath(bin), QString());
    QFile guide(prefix.filePath(QStringLiteral("share/doc/quillon/index.html")));
    QVERIFY(guide.open(QIODevice::WriteOnly));
    guide.close();
    QCOMPARE(InstalledManualPath(bin), QFileInfo(guide).canonicalFilePath());
}

void TestHelp::buildTreeHasNoGuide()
{
    QCOMPARE(InstalledManualPath(QCoreApplication::applicationDirPath()), QString());
    QCOMPARE(HelpTarget(), KvConfig::HelpUrl.toString());
}

void TestHelp::helpActionOpensTheWebPageWithoutAGuide()
{
    TForm1 form;
    m_opened.clear();
    form.ActHelp->trigger();
    QCOMPARE(m_opened, QList<QUrl>{QUrl(KvConfig::HelpUrl.toString())});
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
