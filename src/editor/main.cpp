// Quillon: the editor for INI files.
#include "form1.h"
#include "kvaccessibility.h"
#include "kvmsgbox.h"
#include "kvplainmessage.h"
#include "quillon_version.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    InstallKvAccessibility();
    SetPlainMessageHandler(
        [](const QString &text) { ShowMsgBox(QStringLiteral("Quillon"), text, kvIconInfo); });

    TForm1 form(QApplication::arguments().mid(1));
    form.show();
    return QApplication::exec();
}
