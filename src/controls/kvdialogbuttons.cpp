#include "kvdialogbuttons.h"

#include "kvbutton.h"

TKvButton *MakeDialogButton(QWidget *parent, const QString &name, const QString &caption, TKvModalResult result)
{
    auto *button = new TKvButton(parent);
    button->setObjectName(name);
    button->SetCaption(caption);
    button->SetModalResult(result);
    button->SetClDimmedDark(14862273);
    button->SetClDimmedLight(15921635);
    button->SetClSelDownDark(15388358);
    button->SetClSelDownLight(16052694);
    button->SetFocusStyle(tfsColorRect);
    return button;
}
