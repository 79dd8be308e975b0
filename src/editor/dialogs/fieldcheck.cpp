#include "fieldcheck.h"

QString DialogFieldProblem(TKvDialogField field, QStringView text)
{
    // No rule yet: every text is accepted as typed.
    Q_UNUSED(field)
    Q_UNUSED(text)
    return {};
}
