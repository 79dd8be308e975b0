#pragma once

#include "kvmemini.h"

#include <QBuffer>
#include <QByteArray>

// Reads bytes as a file is read: the encoding detected, the layout kept for
// a keep-layout save. Returns the read result.
inline int LoadBytes(TKvMemIni &ini, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ini.LoadFromStream(buffer);
}
