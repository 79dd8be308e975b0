#include "kvknownfolders.h"

#include "kvfunctions.h"

#include <QFileInfo>
#include <QStandardPaths>

QString KnownFolderPath(TKvKnownFolder folder)
{
    QStandardPaths::StandardLocation location = QStandardPaths::DesktopLocation;
    switch (folder) {
    case TKvKnownFolder::Desktop:
        location = QStandardPaths::DesktopLocation;
        break;
    case TKvKnownFolder::Documents:
        location = QStandardPaths::DocumentsLocation;
        break;
    case TKvKnownFolder::StartMenu:
    case TKvKnownFolder::QuickLaunch:
        location = QStandardPaths::ApplicationsLocation;
        break;
    }
    return AddTrailingBackslash(QStandardPaths::writableLocation(location));
}

QString UniqueLinkName(const QString &base, const QString &extension)
{
    // exists() follows links: a dangling link's name counts as free there, so ask lstat's way too.
    auto taken = [](const QString &path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    QString name = base + extension;
    for (int n = 1; taken(name); ++n)
        name = base + u'(' + QString::number(n) + u')' + extension;
    return name;
}
