#pragma once

#include <QtGlobal>

// Long loops (planning a replacement over every entry, making its changes)
// report how far they have come; a program with a window shows it (see
// TKvProgress), one without leaves the sink null and the reports cost a test.
namespace KvProgress {

// Receives done of total steps of the work under way.
using Sink = void (*)(qint64 done, qint64 total);

inline Sink &CurrentSink()
{
    static Sink sink = nullptr;
    return sink;
}

// Sets the sink; returns the one before.
inline Sink SetSink(Sink sink)
{
    const Sink before = CurrentSink();
    CurrentSink() = sink;
    return before;
}

inline void Advance(qint64 done, qint64 total)
{
    if (const Sink sink = CurrentSink())
        sink(done, total);
}

} // namespace KvProgress
