#include "kvtextwidth.h"

#include <algorithm>
#include <cmath>

namespace {

// Whether a character's advance in a line is its advance alone: it is not
// shaped with its neighbours, combined with them or drawn as a control.
bool LaidOutAlone(QChar ch)
{
    switch (ch.script()) {
    case QChar::Script_Latin:
    case QChar::Script_Common:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
        break;
    default:
        return false;
    }
    switch (ch.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return true;
    }
}

// The font engine's widths are whole 1/64 pixels, exact in a qreal.
int WholePixels(qreal width)
{
    return int(std::ceil(width));
}

} // namespace

TKvTextWidth::TKvTextWidth(const QFont &font)
    : m_metrics(font)
{
    // About 1,300 characters, measured once per fitting: far less than a
    // million cells cost.
    for (char16_t unit = 0; unit < TableEnd; ++unit) {
        const QChar ch(unit);
        m_advances[unit] =
            LaidOutAlone(ch) ? Fixed(std::lround(m_metrics.horizontalAdvance(ch) * 64)) : NotSimple;
    }
    m_advances[TableEnd] = NotSimple; // every character beyond the table
}

int TKvTextWidth::Width(QStringView text) const
{
    const char16_t *unit = text.utf16();
    const char16_t *const end = unit + text.size();
    // No branch per character: the sign of `simple` says afterwards whether
    // every character was in the table (almost always).
    qint64 sum = 0;
    Fixed simple = 0;
    for (; unit != end; ++unit) {
        const Fixed advance = m_advances[std::min<char16_t>(*unit, TableEnd)];
        simple |= advance;
        sum += advance;
    }
    if (simple < 0)
        return WholePixels(m_metrics.horizontalAdvance(text.toString()));
    return int((sum + 63) / 64);
}
