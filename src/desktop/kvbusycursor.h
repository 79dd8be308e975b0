#pragma once

#include <QCursor>
#include <QGuiApplication>

// The pointer shows the work under way for as long as the object lives: a
// command that changes many entries, a key derivation. Only around work
// that asks nothing: a dialog opened meanwhile would show it too.
class TKvBusyCursor
{
public:
    TKvBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TKvBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    TKvBusyCursor(const TKvBusyCursor &) = delete;
    TKvBusyCursor &operator=(const TKvBusyCursor &) = delete;
};
