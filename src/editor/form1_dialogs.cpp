// The window's program commands that open a dialog: the password generator
// and the about dialog.
#include "form1.h"

#include "dialogs/passwordfrm.h"
#include "infoform.h"
#include "kvbutton.h"

#include <QAction>

// From the window the generator only copies to the clipboard: no Apply.
void TForm1::ActGeneratePasswordExecute()
{
    TPasswordFrm dialog(this);
    dialog.ButApply->hide();
    dialog.exec();
}

void TForm1::ActAboutExecute()
{
    TInfoForm dialog(this);
    dialog.SetGradient(KvToQColor(m_colourScheme[0]), KvToQColor(m_colourScheme[1]));
    dialog.exec();
}
