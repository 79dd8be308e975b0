// quillon-ini: reads, writes, edits and searches INI files with the document core.
#include "clicommon.h"
#include "quillon_version.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A write beyond the file size limit then fails with an error we report.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-ini"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    return RunQuillonIni(QCoreApplication::arguments().mid(1));
}
