#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Opens a web address, a "Mailto:" address or a file with the desktop's
// default handler. The result is not examined: when nothing can open the
// target, nothing is reported. An empty target opens nothing.
void OpenWithShell(const QString &target);

// The address OpenWithShell hands to the opener: a text that starts with a
// scheme of two or more letters ("https:", "Mailto:") is taken as an address
// (the scheme in lower case, spaces percent-encoded); anything else is a file
// path, relative ones against the current folder. Empty for an empty target.
QUrl ShellTargetUrl(const QString &target);

// The function that does the opening; the default asks QDesktopServices.
// Tests install their own so that no browser or mail program ever starts.
using TKvShellOpener = std::function<void(const QUrl &url)>;
// Installs an opener and returns the previous one; an empty one restores the default.
TKvShellOpener SetShellOpener(TKvShellOpener opener);
