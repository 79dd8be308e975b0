#include "fieldcheck.h"

#include "kvfieldrule.h"

QString DialogFieldProblem(TKvDialogField field, QStringView text)
{
    switch (field) {
    case TKvDialogField::SectionName:
        return FieldProblem(TKvField::SectionName, text);
    case TKvDialogField::SectionComment:
        return FieldProblem(TKvField::SectionComment, text);
    case TKvDialogField::ItemName:
        return FieldProblem(TKvField::ItemName, text);
    case TKvDialogField::ItemValue:
        return FieldProblem(TKvField::ItemValue, text);
    case TKvDialogField::ItemComment:
        return FieldProblem(TKvField::ItemComment, text);
    }
    return {};
}
