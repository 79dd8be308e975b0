#pragma once

// Shared pieces of the tests of command units that work on a document and a
// selection without a window: a parsed document, a selection that remembers
// what it was asked to select, and the messages the commands showed.
#include "document/kvdocument.h"
#include "document/kvselection.h"
#include "kvmemini.h"
#include "kvmsgbox.h"

#include <QBuffer>
#include <QStringList>

#include <memory>

namespace DocumentTesting {

inline std::unique_ptr<TKvMemIni> Parsed(const QByteArray &text, bool keepLayout = false)
{
    auto ini = std::make_unique<TKvMemIni>();
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    ini->LoadFromStream(buffer, KvEncoding::Utf8);
    ini->KeepLayout = keepLayout;
    return ini;
}

// The lists' selection as plain data: Restore() is what a command selected.
class TTestSelection : public TKvSelection
{
public:
    TKvListSelection Current() const override { return Selected; }
    void Restore(const TKvListSelection &selection) override { Selected = selection; }

    void Select(const TKvDocument &document, qint32 section, qint32 position = -1)
    {
        Selected = {};
        Selected.Section = document.Ini().Sections[section];
        if (position >= 0) {
            Selected.Val = Selected.Section->Vals[position];
            Selected.Position = position;
        }
    }
    // "section/position" ("1/-1": the section's row only), or "-" for nothing.
    QString Where(const TKvDocument &document) const
    {
        if (!Selected.Section)
            return QStringLiteral("-");
        return QStringLiteral("%1/%2").arg(document.IndexOfSection(Selected.Section)).arg(Selected.Position);
    }

    TKvListSelection Selected;
};

// Records the message boxes instead of showing them, as "caption|text".
class TMessageLog
{
public:
    TMessageLog()
    {
        m_old = SetMsgBoxHook([this](const TKvMsgBoxRequest &request) {
            Messages << request.caption + u'|' + request.text;
            return request.buttons.isEmpty() ? tmrOK : request.buttons.first();
        });
    }
    ~TMessageLog() { SetMsgBoxHook(m_old); }
    QString TakeLast()
    {
        const QString last = Messages.isEmpty() ? QString() : Messages.last();
        Messages.clear();
        return last;
    }
    QStringList Messages;

private:
    TKvMsgBoxHook m_old;
};

} // namespace DocumentTesting
