#pragma once

#include <QString>
#include <QStringList>

// A shortcut on Linux is a freedesktop desktop entry (a ".desktop" file)
// that starts a program with its arguments.
struct TKvShellLink
{
    QString Target;      // the program to start, a full path
    QString Arguments;   // one argument handed to it whole; empty for none
    QString Name;        // what the desktop shows
    QString Description; // the entry's comment
    QString IconPath;    // an icon file or a theme icon name; empty for none
};

// One argument of an Exec key: quoted when it holds a space or another
// reserved character, "%" doubled. The string escapes come later (DesktopExecValue).
QString DesktopExecArgument(const QString &argument);
// The Exec key's value for a program and its arguments, string escapes applied.
QString DesktopExecValue(const QStringList &arguments);
// A text as the value of a string key: "\\", "\n", "\t", "\r" escaped and a
// leading space kept ("\s").
QString DesktopStringValue(const QString &text);
// The whole text of the desktop entry for a link.
QString DesktopEntryText(const TKvShellLink &link);

// Writes the link's desktop entry to linkFile, executable (mode 0755) as the
// desktops want a launcher to be, and asks the desktop to trust it where gio
// is present. Returns linkFile on success, an empty string on failure (no
// partial file stays).
QString CreateShellLink(const TKvShellLink &link, const QString &linkFile);

// The icon a launcher of this program shows: the installed icon file beside
// the executable's prefix when there is one, else the theme name.
QString LauncherIconPath();
