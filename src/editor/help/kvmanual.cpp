#include "kvmanual.h"

#include "kvconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef QUILLON_MANUAL_FROM_BINDIR
#define QUILLON_MANUAL_FROM_BINDIR "../share/doc/quillon/index.html"
#endif

QString InstalledManualPath(const QString &binDir)
{
    const QFileInfo manual(QDir(binDir).filePath(QStringLiteral(QUILLON_MANUAL_FROM_BINDIR)));
    return manual.isFile() ? manual.canonicalFilePath() : QString();
}

QString HelpTarget()
{
    const QString manual = InstalledManualPath(QCoreApplication::applicationDirPath());
    return manual.isEmpty() ? KvConfig::HelpUrl.toString() : manual;
}
