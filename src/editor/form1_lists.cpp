// The values-only mode as the window shows it: the lists' mode and the status
// bar's button.
#include "form1.h"

#include "kvgradilabel.h"
#include "valuemodel.h"

#include <QApplication>
#include <QTableView>

void TForm1::SetValuesOnly(bool on)
{
    if (m_shown && Lists->ValuesOnly() == on)
        return;
    Lists->SetValuesOnly(on, m_shown && !FileName().isEmpty());
    if (GlValuesOnly)
        ShowChecked(GlValuesOnly, on);
}

void TForm1::ActValuesOnlyExecute()
{
    const int sectionRow = TKvLists::SelectedRow(LvSections);
    const TKvIniVal *remembered = Lists->SelectedVal();

    SetValuesOnly(!Lists->ValuesOnly());
    Lists->SelectRow(LvSections, sectionRow);
    QApplication::processEvents();
    if (remembered) {
        const int row = ValueModel()->RowOf(remembered);
        if (row >= 0)
            Lists->SelectRow(LvValues, row);
    }
}
