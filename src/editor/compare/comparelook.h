#pragma once

#include "comparemarks.h"

#include <QColor>
#include <QString>
#include <QVariant>

// How the lists show a comparison mark: a light tint behind the row's
// cells, a stronger strip at the left of its icon cell (which stays
// visible on a selected row), and words for a screen reader. A row that is
// alike keeps the usual look.
namespace CompareLook {

// The row's background; an invalid colour for Same.
QColor Tint(TCompareMark mark);
// The strip beside the icon; an invalid colour for Same.
QColor Strip(TCompareMark mark);
// The mark in words, as the open document sees it (it is compared as A).
QString Words(TCompareMark mark);

// The model roles the lists read (Qt::BackgroundRole carries the tint).
enum Role {
    StripRole = Qt::UserRole + 40,        // QColor: the strip beside the icon
    OtherToolTipRole = Qt::UserRole + 41, // QString: what the other file has there
};

} // namespace CompareLook
