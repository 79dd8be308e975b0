#include "kvplainmessage.h"

#include <cstdio>
#include <utility>

namespace {

void WriteToStderr(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fprintf(stderr, "%s\n", bytes.constData());
}

TKvPlainMessageHandler &Handler()
{
    static TKvPlainMessageHandler handler = WriteToStderr;
    return handler;
}

} // namespace

TKvPlainMessageHandler SetPlainMessageHandler(TKvPlainMessageHandler handler)
{
    if (!handler)
        handler = WriteToStderr;
    return std::exchange(Handler(), std::move(handler));
}

void ShowPlainMessage(const QString &text)
{
    Handler()(text);
}
