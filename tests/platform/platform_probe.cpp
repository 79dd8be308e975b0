// A child process for the platform tests: runs one helper in a fresh process
// with the environment the test chose (locale, settings folder) and prints the
// result as UTF-8. Opening with the shell only prints "open <url>".
//
//   platform_probe group DIGITS
//   platform_probe firstrun APPNAME COMPANYNAME THANKYOUURL
//   platform_probe version FILE NAME
#include "kvfirstrun.h"
#include "kvfunctions.h"
#include "kvshell.h"
#include "kvversioninfo.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void Print(const QString &text)
{
    std::fputs(text.toUtf8().append('\n').constData(), stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SetShellOpener(
        [](const QUrl &url) { Print(QStringLiteral("open ") + url.toString(QUrl::FullyEncoded)); });

    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == u"group" && args.size() == 2) {
        Print(GroupThousands(args[1]));
    } else if (command == u"firstrun" && args.size() == 4) {
        TKvFirstRun firstRun;
        firstRun.AppName = args[1];
        firstRun.CompanyName = args[2];
        firstRun.ThankYouUrl = args[3];
        firstRun.Run();
        Print(QStringLiteral("done"));
    } else if (command == u"version" && args.size() == 3) {
        Print(FileVersionString(args[1], args[2]));
    } else {
        std::fputs("usage: platform_probe group DIGITS | firstrun APP COMPANY URL | version FILE NAME\n",
                   stderr);
        return 2;
    }
    return 0;
}
