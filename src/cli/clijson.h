#pragma once

#include <QString>
#include <QStringView>

// A JSON string literal in which every UTF-16 code unit outside printable
// ASCII is written as \uXXXX, so lone surrogates survive as \udcXX.
QString JsonString(QStringView text);
