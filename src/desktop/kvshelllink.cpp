#include "kvshelllink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace {

// Characters that make an Exec argument need quotes.
bool IsReserved(QChar c)
{
    return QStringView(u" \t\n\"'\\><~|&;$*?#()`").contains(c);
}

// Characters that take a backslash inside a quoted Exec argument.
bool NeedsBackslashInQuotes(QChar c)
{
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

} // namespace

QString DesktopExecArgument(const QString &argument)
{
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), IsReserved);
    QString result;
    result.reserve(argument.size() + 8);
    if (quote)
        result += u'"';
    for (const QChar c : argument) {
        if (c == u'%')
            result += u'%';
        else if (quote && NeedsBackslashInQuotes(c))
            result += u'\\';
        result += c;
    }
    if (quote)
        result += u'"';
    return result;
}

QString DesktopStringValue(const QString &text)
{
    QString result;
    result.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\')
            result += QStringLiteral("\\\\");
        else if (c == u'\n')
            result += QStringLiteral("\\n");
        else if (c == u'\t')
            result += QStringLiteral("\\t");
        else if (c == u'\r')
            result += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            result += QStringLiteral("\\s"); // readers drop blanks after "="
        else
            result += c;
    }
    return result;
}

QString DesktopExecValue(const QStringList &arguments)
{
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted << DesktopExecArgument(argument);
    return DesktopStringValue(quoted.join(u' '));
}

QString DesktopEntryText(const TKvShellLink &link)
{
    QStringList exec{link.Target};
    if (!link.Arguments.isEmpty())
        exec << link.Arguments;
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n");
    text += QStringLiteral("Name=") + DesktopStringValue(link.Name) + u'\n';
    if (!link.Description.isEmpty())
        text += QStringLiteral("Comment=") + DesktopStringValue(link.Description) + u'\n';
    text += QStringLiteral("Exec=") + DesktopExecValue(exec) + u'\n';
    if (!link.IconPath.isEmpty())
        text += QStringLiteral("Icon=") + DesktopStringValue(link.IconPath) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    return text;
}

QString CreateShellLink(const TKvShellLink &link, const QString &linkFile)
{
    if (linkFile.isEmpty())
        return {};
    QFile file(linkFile);
    const QByteArray bytes = DesktopEntryText(link).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    constexpr QFile::Permissions mode0755 =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser
        | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!written || !file.setPermissions(mode0755)) {
        file.remove();
        return {};
    }
    // GNOME starts a launcher on the desktop only once it is marked trusted;
    // that needs gvfs, so it is tried and never waited for.
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (!gio.isEmpty()) {
        QProcess mark;
        mark.setProgram(gio);
        mark.setArguments(
            {QStringLiteral("set"), linkFile, QStringLiteral("metadata::trusted"), QStringLiteral("true")});
        mark.setStandardOutputFile(QProcess::nullDevice());
        mark.setStandardErrorFile(QProcess::nullDevice());
        mark.startDetached();
    }
    return linkFile;
}

QString LauncherIconPath()
{
    const QString installed =
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QStringLiteral("../share/icons/hicolor/256x256/apps/quillon.png"));
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    return QStringLiteral("quillon");
}
