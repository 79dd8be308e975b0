#pragma once

#include <QString>
#include <QStringView>

// The texts the section and item dialogs accept.
enum class TKvDialogField { SectionName, SectionComment, ItemName, ItemValue, ItemComment };

// The one place where the dialogs ask whether a text will read back from the
// file as it was typed: empty when it will, else a short hint for the user.
// While it reports a problem the dialog's Apply button stays disabled.
QString DialogFieldProblem(TKvDialogField field, QStringView text);
