#pragma once

#include <QString>

#include <functional>

// The core shows a few plain messages itself (text and an OK button). It hands
// them to one function the application installs; the default writes to stderr.
using TKvPlainMessageHandler = std::function<void(const QString &text)>;

// Installs a handler and returns the previous one; an empty handler restores the default.
TKvPlainMessageHandler SetPlainMessageHandler(TKvPlainMessageHandler handler);
void ShowPlainMessage(const QString &text);
