#pragma once

#include "kvmemini.h"
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

// The known normalising cases, which may change a text on each of several
// saves; the stability checks skip a document that shows one:
// - an empty value before a comment ('k=;c') is written 'k= ;c' and reads back
//   as a value of one space; so does a value of one character below 33;
// - a nameless section is written without a header (the first) or as '[]':
//   an empty one, or one with a comment, vanishes or loses it step by step;
// - control characters in a comment line are dropped after its spaces are
//   trimmed, so a comment can start with a space that the next read trims.
inline const char *KnownNormalisation(const TKvMemIni &ini)
{
    for (const TKvIniSection *section : ini.Sections) {
        if (section->Name.isEmpty() && (section->Vals.Count() == 0 || !section->Comment.isEmpty()))
            return "nameless section";
        for (const TKvIniVal *val : section->Vals) {
            const QStringView comment = val->CommentView();
            if (!comment.isEmpty() && (comment.front() == u' ' || comment.front() == u'\t'))
                return "comment starting with a blank";
            const QStringView value = val->ValueView();
            if (val->Kind() == ikValue && !val->CommentView().isEmpty()
                && (value.isEmpty() || (value.size() == 1 && value.front().unicode() < 33)))
                return "empty value before a comment";
        }
    }
    return nullptr;
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
