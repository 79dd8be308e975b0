#include "kvcolor.h"

#include <QGuiApplication>
#include <QPalette>

#include <iterator>

namespace {

struct TKvSysColorRole
{
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

// Where each classic system colour lives in a Qt palette. Numbers without a
// role of their own borrow the nearest one (the desktop background has none).
constexpr TKvSysColorRole SysColorRoles[] = {
    {QPalette::Active, QPalette::Button},            // 0 scroll bar
    {QPalette::Active, QPalette::Dark},              // 1 desktop background
    {QPalette::Active, QPalette::Highlight},         // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},       // 3 inactive caption
    {QPalette::Active, QPalette::Window},            // 4 menu
    {QPalette::Active, QPalette::Base},              // 5 window
    {QPalette::Active, QPalette::Shadow},            // 6 window frame
    {QPalette::Active, QPalette::WindowText},        // 7 menu text
    {QPalette::Active, QPalette::WindowText},        // 8 window text
    {QPalette::Active, QPalette::HighlightedText},   // 9 caption text
    {QPalette::Active, QPalette::Window},            // 10 active border
    {QPalette::Inactive, QPalette::Window},          // 11 inactive border
    {QPalette::Active, QPalette::Mid},               // 12 application workspace
    {QPalette::Active, QPalette::Highlight},         // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},   // 14 highlighted text
    {QPalette::Active, QPalette::Button},            // 15 button face
    {QPalette::Active, QPalette::Dark},              // 16 button shadow
    {QPalette::Disabled, QPalette::Text},            // 17 grey text
    {QPalette::Active, QPalette::ButtonText},        // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText}, // 19 inactive caption text
    {QPalette::Active, QPalette::Light},             // 20 button highlight
    {QPalette::Active, QPalette::Shadow},            // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},          // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},       // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},       // 24 tooltip background
    {QPalette::Active, QPalette::NoRole},            // 25 unused: black
    {QPalette::Active, QPalette::Link},              // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},         // 27 gradient of the active caption
    {QPalette::Inactive, QPalette::Highlight},       // 28 gradient of the inactive caption
    {QPalette::Active, QPalette::Highlight},         // 29 highlighted menu item
    {QPalette::Active, QPalette::Window},            // 30 menu bar
};

} // namespace

TColor KvSysColorValue(quint32 index)
{
    if (index >= std::size(SysColorRoles) || SysColorRoles[index].Role == QPalette::NoRole)
        return 0;
    const TKvSysColorRole &entry = SysColorRoles[index];
    const QPalette palette = QGuiApplication::palette();
    return KvFromQColor(palette.color(entry.Group, entry.Role));
}

TColor ResolveColor(TColor c)
{
    return KvIsSysColor(c) ? KvSysColorValue(c & 0xFFu) : c;
}

QColor KvToQColor(TColor c)
{
    const TColor rgb = ResolveColor(c);
    return QColor(int(KvRedOf(rgb)), int(KvGreenOf(rgb)), int(KvBlueOf(rgb)));
}

TColor KvFromQColor(const QColor &colour)
{
    const QRgb rgb = colour.rgb();
    return KvRgb(quint32(qRed(rgb)), quint32(qGreen(rgb)), quint32(qBlue(rgb)));
}
