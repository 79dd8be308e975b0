#include "comparelook.h"

namespace CompareLook {

// Light enough that the lists' black text and the selection colour keep
// their contrast on them.
QColor Tint(TCompareMark mark)
{
    switch (mark) {
    case TCompareMark::Changed:
        return QColor(255, 238, 179); // amber
    case TCompareMark::Removed:
        return QColor(255, 214, 214); // red: goes when the other versions are taken
    case TCompareMark::Added:
        return QColor(209, 240, 209); // green: comes when the other versions are taken
    default:
        return {};
    }
}

QColor Strip(TCompareMark mark)
{
    switch (mark) {
    case TCompareMark::Changed:
        return QColor(214, 150, 0);
    case TCompareMark::Removed:
        return QColor(200, 40, 40);
    case TCompareMark::Added:
        return QColor(40, 150, 60);
    default:
        return {};
    }
}

QString Words(TCompareMark mark)
{
    switch (mark) {
    case TCompareMark::Changed:
        return QStringLiteral("differs from the other file");
    case TCompareMark::Removed:
        return QStringLiteral("only in this file");
    case TCompareMark::Added:
        return QStringLiteral("only in the other file");
    default:
        return {};
    }
}

} // namespace CompareLook
