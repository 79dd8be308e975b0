#pragma once

#include "kvfieldrule.h"
#include "kvmemini.h"

#include <QString>

// How the results and messages of Replace and Find All name the text a match
// lies in, as the Find dialog's "where" boxes do; an error line's text (its
// value) is its "Line".
inline QString FieldCaption(TKvField field, const TKvIniVal *val)
{
    switch (field) {
    case TKvField::SectionName:
        return QStringLiteral("Section Name");
    case TKvField::SectionComment:
        return QStringLiteral("Section Comment");
    case TKvField::ItemName:
        return QStringLiteral("Item Name");
    case TKvField::ItemComment:
        return QStringLiteral("Item Comment");
    case TKvField::ItemValue:
    case TKvField::LineText:
        break;
    }
    return val && val->Kind() == ikError ? QStringLiteral("Line") : QStringLiteral("Item Value");
}
