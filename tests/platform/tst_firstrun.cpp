// The first-run page. Every start is a child process with its own settings
// folder (XDG_CONFIG_HOME and HOME in a temporary folder) and an opener that
// only prints what it would open.
#include "kvconfig.h"
#include "kvfirstrun.h"
#include "probe.h"
#include "quillon_version.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString ThanksUrl = KvConfig::ThankYouUrl.toString();
const QString Opened = QStringLiteral("open ") + ThanksUrl + QStringLiteral("?ver=" QUILLON_VERSION "\n");
const QString Done = QStringLiteral("done\n");

} // namespace

class TstFirstRun : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;

    QString ConfigPath(const QString &relative = QString()) const
    {
        return QDir(m_home->filePath(QStringLiteral("config"))).filePath(relative);
    }

    // One start of a program with the given names, in the current home.
    QString Start(const QString &appName = QStringLiteral("Quillon"),
                  const QString &companyName = QStringLiteral("Velmora"), const QString &url = ThanksUrl,
                  const QString &configHome = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home->path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           configHome.isEmpty() ? ConfigPath() : configHome);
        const TProbeResult result =
            RunProbe({QStringLiteral("firstrun"), appName, companyName, url}, environment);
        if (result.ExitCode != 0)
            return QStringLiteral("exit code %1").arg(result.ExitCode);
        return result.Output;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
    }

    void defaults()
    {
        const TKvFirstRun firstRun;
        QCOMPARE(firstRun.AppName, QString());
        QCOMPARE(firstRun.CompanyName, QStringLiteral("Velmora"));
        QCOMPARE(firstRun.ThankYouUrl, QString());
    }

    void opensThankYouPageOnce()
    {
        QCOMPARE(Start(), Opened + Done);
        // The store the settings use marks the first run; it is created empty.
        const QString store = ConfigPath(QStringLiteral("Velmora/Quillon.conf"));
        QVERIFY(QFile::exists(store));
        QCOMPARE(QFileInfo(store).size(), 0);
        QCOMPARE(Start(), Done);
        QCOMPARE(Start(), Done);
    }

    void existingSettingsMeanNotFirstRun()
    {
        QVERIFY(QDir().mkpath(ConfigPath(QStringLiteral("Velmora"))));
        const QByteArray settings("[General]\nMRUPath0=/tmp/a.ini\n");
        QFile file(ConfigPath(QStringLiteral("Velmora/Quillon.conf")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(settings);
        file.close();
        QCOMPARE(Start(), Done);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), settings); // left as it was
    }

    void deletedStoreOpensPageAgain()
    {
        QCOMPARE(Start(), Opened + Done);
        QVERIFY(QFile::remove(ConfigPath(QStringLiteral("Velmora/Quillon.conf"))));
        QCOMPARE(Start(), Opened + Done);
    }

    void namesChooseTheStore_data()
    {
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("companyName");
        QTest::addColumn<QString>("store");
        QTest::addRow("other program")
            << QStringLiteral("Other") << QStringLiteral("Velmora") << QStringLiteral("Velmora/Other.conf");
        QTest::addRow("other company")
            << QStringLiteral("Quillon") << QStringLiteral("Maker") << QStringLiteral("Maker/Quillon.conf");
    }
    void namesChooseTheStore()
    {
        QFETCH(QString, appName);
        QFETCH(QString, companyName);
        QFETCH(QString, store);
        QCOMPARE(Start(), Opened + Done);
        QCOMPARE(Start(appName, companyName), Opened + Done);
        QVERIFY(QFile::exists(ConfigPath(store)));
        QCOMPARE(Start(appName, companyName), Done);
    }

    // A settings folder that cannot be made: nothing happens, nothing is said.
    void storeCannotBeCreated()
    {
        const QString blocker = m_home->filePath(QStringLiteral("not-a-folder"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(Start(QStringLiteral("Quillon"), QStringLiteral("Velmora"), ThanksUrl, blocker), Done);
        QCOMPARE(QFileInfo(blocker).size(), 0);
    }

    // Without an address there is no page to open, but the run still counts.
    void noAddressOpensNothing()
    {
        QCOMPARE(Start(QStringLiteral("Quillon"), QStringLiteral("Velmora"), QString()), Done);
        QVERIFY(QFile::exists(ConfigPath(QStringLiteral("Velmora/Quillon.conf"))));
        QCOMPARE(Start(), Done);
    }
};

QTEST_GUILESS_MAIN(TstFirstRun)
#include "tst_firstrun.moc"
