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

std::optional<quint32> ChooseSaveEncoding(const TKvMemIni &ini, quint32 encoding, QWidget *owner)
{
    const KvTextCodec::TKvEncodingLoss loss = SaveEncodingLoss(ini, encoding);
    if (loss.Count == 0)
        return encoding;
    switch (YesNoCancelBox(LossySaveCaption(), LossySaveQuestion(loss, KvTextCodec::SystemAnsiCodePage()),
                           owner)) {
    case tmrYes:
        return KvEncoding::Utf8;
    case tmrNo:
        return encoding;
    default:
        return std::nullopt;
    }
}
