#include "kvshell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

void OpenWithDesktop(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

TKvShellOpener &Opener()
{
    static TKvShellOpener opener = OpenWithDesktop;
    return opener;
}

// Length of a leading URL scheme ("https" in "https://..."), 0 when none.
// One letter before a colon is not taken as a scheme.
qsizetype SchemeLength(const QString &text)
{
    auto isSchemeChar = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'+'
               || c == u'-' || c == u'.';
    };
    if (text.isEmpty() || !text.at(0).isLetter() || text.at(0).unicode() > 0x7F)
        return 0;
    qsizetype i = 1;
    while (i < text.size() && isSchemeChar(text.at(i)))
        ++i;
    return i >= 2 && i < text.size() && text.at(i) == u':' ? i : 0;
}

} // namespace

QUrl ShellTargetUrl(const QString &target)
{
    if (target.isEmpty())
        return {};
    const qsizetype schemeLength = SchemeLength(target);
    if (schemeLength == 0)
        return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    QUrl url(target, QUrl::TolerantMode);
    url.setScheme(target.left(schemeLength).toLower());
    return url;
}

void OpenWithShell(const QString &target)
{
    const QUrl url = ShellTargetUrl(target);
    if (url.isEmpty())
        return;
    Opener()(url);
}

TKvShellOpener SetShellOpener(TKvShellOpener opener)
{
    if (!opener)
        opener = OpenWithDesktop;
    return std::exchange(Opener(), std::move(opener));
}
