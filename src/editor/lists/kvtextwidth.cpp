#include "kvtextwidth.h"

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
    m_advances.fill(Unknown);
}

TKvTextWidth::Fixed TKvTextWidth::Advance(char16_t unit) const
{
    Fixed &advance = m_advances[unit];
    if (advance == Unknown) {
        const QChar ch(unit);
        advance = LaidOutAlone(ch) ? Fixed(std::lround(m_metrics.horizontalAdvance(ch) * 64)) : NotSimple;
    }
    return advance;
}

int TKvTextWidth::Width(QStringView text) const
{
    qint64 sum = 0;
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        const Fixed advance = unit < TableEnd ? Advance(unit) : NotSimple;
        if (advance < 0)
            return WholePixels(m_metrics.horizontalAdvance(text.toString()));
        sum += advance;
    }
    return int((sum + 63) / 64);
}
