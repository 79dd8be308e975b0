#pragma once

#include "kvtextcodec.h"

#include <QString>

#include <optional>

class QWidget;
class TKvMemIni;

// A save must not turn characters into "?" without the user knowing.
//
// The code page a plain save of the document writes in: the one asked for
// when nothing is lost; otherwise the user is asked (through YesNoCancelBox)
// and answers Yes to save as UTF-8 instead, No to save with the "?", or Cancel
// to save nothing (nullopt).
std::optional<quint32> ChooseSaveEncoding(const TKvMemIni &ini, quint32 encoding, QWidget *owner = nullptr);

// The question's caption and text for a loss in a code page, or in UTF-16
// (1200, 1201: bytes kept from the file that no UTF-16 text can hold).
QString LossySaveCaption();
QString LossySaveQuestion(const KvTextCodec::TKvEncodingLoss &loss, quint32 codePage);
QString LossySaveQuestionForEncoding(const KvTextCodec::TKvEncodingLoss &loss, quint32 encoding);
