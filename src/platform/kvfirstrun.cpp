#include "kvfirstrun.h"

#include "kvshell.h"
#include "kvversioninfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

QString TKvFirstRun::StoreFileName() const
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, CompanyName, AppName).fileName();
}

void TKvFirstRun::Run() const
{
    const QString fileName = StoreFileName();
    if (fileName.isEmpty() || QFileInfo::exists(fileName))
        return;
    // Creating the store exclusively: if another start created it meanwhile,
    // that one was the first run.
    if (!QDir().mkpath(QFileInfo(fileName).absolutePath()))
        return;
    QFile store(fileName);
    if (!store.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return;
    store.close();

    // Without an address the page would be a bare "?ver=..." that nothing can open.
    if (ThankYouUrl.isEmpty())
        return;
    const QString version =
        FileVersionString(QCoreApplication::applicationFilePath(), QStringLiteral("FileVersion"));
    OpenWithShell(ThankYouUrl + QStringLiteral("?ver=") + version);
}
