#include "document/lossysave.h"

#include "kvlayoutwriter.h"
#include "kvmsgbox.h"

#include <QStringList>

QString LossySaveCaption()
{
    return QStringLiteral("Save Question");
}

QString LossySaveQuestion(const KvTextCodec::TKvEncodingLoss &loss, quint32 codePage)
{
    QStringList examples = loss.Examples;
    if (loss.Count > loss.Examples.size())
        examples << QStringLiteral("...");
    const QString count =
        loss.Count == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(loss.Count);
    return QStringLiteral(
               "%1 cannot be written in the code page %2 and would be saved as \"?\":\r\n%3\r\n\r\n"
               "Save as UTF-8 instead ?\r\n(No saves with \"?\", Cancel saves nothing)")
        .arg(count, KvTextCodec::CodePageName(codePage), examples.join(QStringLiteral("  ")));
}

QString LossySaveQuestionForEncoding(const KvTextCodec::TKvEncodingLoss &loss, quint32 encoding)
{
    if (encoding != KvEncoding::Utf16LE && encoding != KvEncoding::Utf16BE)
        return LossySaveQuestion(loss, KvTextCodec::SystemAnsiCodePage());
    const QString count =
        loss.Count == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(loss.Count);
    return QStringLiteral("%1 read from bytes that were not text cannot be written in UTF-16 and would be "
                          "saved as \"\uFFFD\".\r\n\r\n"
                          "Save as UTF-8 instead (it keeps those bytes) ?\r\n"
                          "(No saves with \"\uFFFD\", Cancel saves nothing)")
        .arg(count);
}

std::optional<quint32> ChooseSaveEncoding(const TKvMemIni &ini, quint32 encoding, QWidget *owner)
{
    const KvTextCodec::TKvEncodingLoss loss = SaveEncodingLoss(ini, encoding);
    if (loss.Count == 0)
        return encoding;
    switch (YesNoCancelBox(LossySaveCaption(), LossySaveQuestionForEncoding(loss, encoding), owner)) {
    case tmrYes:
        return KvEncoding::Utf8;
    case tmrNo:
        return encoding;
    default:
        return std::nullopt;
    }
}
