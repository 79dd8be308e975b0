#pragma once

#include <QChar>
#include <QString>

// Appends the directory separator "/" unless the path already ends with one;
// an empty path stays empty. (Named after the Windows separator it once added;
// the settings and link code call it by this name.)
QString AddTrailingBackslash(const QString &path);

// Inserts the separator between every group of three characters counted from
// the right: "1234567" becomes "1,234,567" with ","; texts of up to three
// characters are returned unchanged.
QString GroupThousands(const QString &digits, const QString &separator);
// The same with the user's group separator (QLocale::system()).
QString GroupThousands(const QString &digits);

// The option flags of the settings store: "1" for true, "0" for false, and
// every character except "0" reads as true.
inline QChar BoolToChar(bool value)
{
    return value ? u'1' : u'0';
}
inline bool CharToBool(QChar c)
{
    return c != u'0';
}

// Makes a text one line: every carriage return or line feed becomes one
// space, and the carriage returns, line feeds and spaces directly after it are
// dropped. Spaces before a line break stay.
QString CollapseLineBreaks(const QString &text);
