#include "kvfunctions.h"

#include <QLocale>

QString AddTrailingBackslash(const QString &path)
{
    if (path.isEmpty() || path.endsWith(u'/'))
        return path;
    return path + u'/';
}

QString GroupThousands(const QString &digits, const QString &separator)
{
    const qsizetype n = digits.size();
    if (n < 4)
        return digits;
    QString grouped;
    grouped.reserve(n + (n - 1) / 3 * separator.size());
    // The first group takes what is left over by the groups of three.
    qsizetype groupEnd = n % 3 == 0 ? 3 : n % 3;
    grouped.append(QStringView(digits).first(groupEnd));
    for (; groupEnd < n; groupEnd += 3) {
        grouped.append(separator);
        grouped.append(QStringView(digits).sliced(groupEnd, 3));
    }
    return grouped;
}

QString GroupThousands(const QString &digits)
{
    return GroupThousands(digits, QLocale::system().groupSeparator());
}

QString CollapseLineBreaks(const QString &text)
{
    auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n'; };
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isBreak(c)) {
            line.append(c);
            continue;
        }
        line.append(u' ');
        while (i + 1 < text.size() && (isBreak(text.at(i + 1)) || text.at(i + 1) == u' '))
            ++i;
    }
    return line;
}
