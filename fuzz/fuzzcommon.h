#pragma once

#include "kvplainmessage.h"
#include "kvtextcodec.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every target does once: a fixed ANSI code page (so a finding replays
// the same anywhere), the core's plain messages kept quiet.
inline void FuzzSetUp()
{
    KvTextCodec::SetSystemAnsiCodePage(1252);
    SetPlainMessageHandler([](const QString &) {});
}

// Where the targets that write files keep them: memory when there is a
// tmpfs, so that the syncs of every save cost nothing.
inline QString FuzzTempPath()
{
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

// Stops the run with a message: libFuzzer keeps the input as a crash.
[[noreturn]] inline void FuzzFail(const char *what, const QByteArray &detail = {})
{
    std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.constData());
    std::abort();
}

// Takes bytes from the front of the input.
class TFuzzInput
{
public:
    TFuzzInput(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {}

    uint8_t Byte()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    // Up to `count` bytes.
    QByteArray Bytes(size_t count)
    {
        const size_t n = count < m_size ? count : m_size;
        QByteArray bytes(reinterpret_cast<const char *>(m_data), qsizetype(n));
        m_data += n;
        m_size -= n;
        return bytes;
    }
    QByteArray Rest() { return Bytes(m_size); }

private:
    const uint8_t *m_data;
    size_t m_size;
};
