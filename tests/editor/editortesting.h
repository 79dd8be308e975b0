#pragma once

// Shared fixture pieces of the window's command tests: a sample file, a window
// opened on it, and the selection of the two lists as row numbers.
#include "dialogrun.h"
#include "form1.h"
#include "kvmsgbox.h"
#include "valuemodel.h"

#include <QDialog>
#include <QFile>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>

namespace EditorTesting {

inline QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A window shown with a file on its command line, after the file has opened.
inline TForm1 *OpenForm(const QString &path)
{
    auto *form = new TForm1(QStringList{path});
    form->show();
    if (!QTest::qWaitFor([&] { return !form->LoadFileTimer->isActive(); }, 2000)) {
        delete form;
        return nullptr;
    }
    QTest::qWait(1);
    return form;
}

inline int SelectedRow(const QTableView *list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// (section row, value row), -1 for none.
using Selection = QPair<int, int>;
inline Selection SelectionOf(const TForm1 *form)
{
    return {SelectedRow(form->LvSections), SelectedRow(form->LvValues)};
}

inline void Select(TForm1 *form, int sectionRow, int valueRow)
{
    form->SelectRow(form->LvSections, sectionRow);
    if (valueRow >= 0)
        form->SelectRow(form->LvValues, valueRow);
}

// The texts of the value list's name cells, comment cells for comment lines.
inline QStringList ValueRows(const TForm1 *form)
{
    QStringList rows;
    const TKvValueModel *model = form->ValueModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const TKvIniVal *val = model->ValAt(row);
        rows << (val->Kind() == ikValue     ? val->Name() + u'=' + val->Value()
                 : val->Kind() == ikComment ? u';' + val->Comment()
                                            : val->Value());
    }
    return rows;
}

// Answers the dialogs the commands open, in order, and the message boxes.
class TDialogScript
{
public:
    using Step = std::function<int(QDialog &)>;

    TDialogScript()
    {
        m_oldDialogHook = SetDialogHook([this](QDialog &dialog) {
            ++m_dialogsShown;
            if (m_steps.empty())
                return int(QDialog::Rejected);
            const Step step = m_steps.front();
            m_steps.pop_front();
            return step(dialog);
        });
        m_oldBoxHook = SetMsgBoxHook([this](const TKvMsgBoxRequest &request) {
            Messages << request.caption + u'|' + request.text;
            return m_boxAnswer == tmrNone ? request.buttons.first() : m_boxAnswer;
        });
    }
    ~TDialogScript()
    {
        SetDialogHook(m_oldDialogHook);
        SetMsgBoxHook(m_oldBoxHook);
        SetModifiersHook({});
    }

    void Then(Step step) { m_steps.push_back(std::move(step)); }
    void AnswerBoxes(TKvModalResult answer) { m_boxAnswer = answer; }
    void HoldKeys(Qt::KeyboardModifiers modifiers)
    {
        SetModifiersHook([modifiers] { return modifiers; });
    }
    int DialogsShown() const { return m_dialogsShown; }
    bool AllUsed() const { return m_steps.empty(); }

    QStringList Messages;

private:
    std::deque<Step> m_steps;
    int m_dialogsShown = 0;
    TKvModalResult m_boxAnswer = tmrNone;
    TKvDialogHook m_oldDialogHook;
    TKvMsgBoxHook m_oldBoxHook;
};

} // namespace EditorTesting
