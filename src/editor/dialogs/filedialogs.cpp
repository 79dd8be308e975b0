#include "filedialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

namespace {

TKvFileDialogHook &Hook()
{
    static TKvFileDialogHook hook;
    return hook;
}

const char *const EncodingListName = "CbxEncoding";

// Qt's dialog matches name filters regardless of letter case, so "*.Ini" also
// shows php.ini and SETUP.INI.
const QStringList OpenFilters = {
    QStringLiteral("All Quillon Files (*.Ini *.IniCry)"),
    QStringLiteral("Ini Files (*.Ini)"),
    QStringLiteral("Ini Files Encrypted (*.IniCry)"),
    QStringLiteral("All Files (*)"),
};

const QStringList SaveFilters = {
    QStringLiteral("Ini File (*.Ini)"),
    QStringLiteral("Ini File Encrypted (*.IniCry)"),
    QStringLiteral("Other File (*)"),
};

const QStringList EncodingEntries = {
    QStringLiteral("Utf-8"),
    QStringLiteral("ANSI (System locale)"),
    QStringLiteral("Unicode (Utf-16 LE)"),
    QStringLiteral("Big Endian Unicode (Utf-16 BE)"),
    QStringLiteral("Auto"),
};

// The detail view's size, type and date columns fit their contents; the
// name takes the width that is left, and the dialog opens wide enough for all.
void ShowWholeColumns(QFileDialog &dialog)
{
    auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!view)
        return;
    QHeaderView *header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    const int em = dialog.fontMetrics().averageCharWidth();
    dialog.resize(qMax(dialog.width(), 110 * em), qMax(dialog.height(), dialog.fontMetrics().height() * 28));
}

QFileDialog *CreateDialog(QWidget *owner, const QStringList &filters, int encodingCount, int encodingIndex)
{
    auto *dialog = new QFileDialog(owner);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters.first());
    dialog->setSizeGripEnabled(true);
    ShowWholeColumns(*dialog);

    auto *encodings = new QComboBox(dialog);
    encodings->setObjectName(QLatin1String(EncodingListName));
    encodings->addItems(EncodingEntries.mid(0, encodingCount));
    encodings->setCurrentIndex(encodingIndex);
    auto *label = new QLabel(QStringLiteral("Encoding:"), dialog);
    label->setBuddy(encodings);
    // Below the file type list, in the dialog's own grid.
    if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(encodings, row, 1);
    }
    return dialog;
}

std::optional<TKvFileChoice> Run(QFileDialog *dialog)
{
    std::optional<TKvFileChoice> choice;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        choice = TKvFileChoice{dialog->selectedFiles().first(), ChosenEncodingIndex(*dialog)};
    delete dialog;
    return choice;
}

} // namespace

QFileDialog *CreateOpenTextFileDialog(QWidget *owner, const QString &currentFile)
{
    QFileDialog *dialog = CreateDialog(owner, OpenFilters, 5, 4);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("Ini"));
    if (!currentFile.isEmpty())
        dialog->setDirectory(QFileInfo(currentFile).absolutePath());
    return dialog;
}

QFileDialog *CreateSaveTextFileDialog(QWidget *owner, const QString &fileName)
{
    QFileDialog *dialog = CreateDialog(owner, SaveFilters, 4, 0);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("ini"));
    // A name typed without an extension gets the one of the chosen file type,
    // so "secret" under "Ini File Encrypted" becomes secret.IniCry.
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString &filter) {
        dialog->setDefaultSuffix(filter == SaveFilters[1] ? QStringLiteral("IniCry") : QStringLiteral("ini"));
    });
    // Qt asks before an existing file is overwritten unless told otherwise.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!fileName.isEmpty())
        dialog->selectFile(fileName);
    return dialog;
}

int ChosenEncodingIndex(const QFileDialog &dialog)
{
    const auto *encodings = dialog.findChild<QComboBox *>(QLatin1String(EncodingListName));
    return encodings ? encodings->currentIndex() : 0;
}

std::optional<TKvFileChoice> OpenTextFileDialog(QWidget *owner, const QString &currentFile)
{
    if (Hook())
        return Hook()(TKvFileDialogKind::Open, currentFile);
    return Run(CreateOpenTextFileDialog(owner, currentFile));
}

std::optional<TKvFileChoice> SaveTextFileDialog(QWidget *owner, const QString &fileName)
{
    if (Hook())
        return Hook()(TKvFileDialogKind::Save, fileName);
    return Run(CreateSaveTextFileDialog(owner, fileName));
}

TKvFileDialogHook SetFileDialogHook(TKvFileDialogHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}
