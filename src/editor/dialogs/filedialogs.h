#pragma once

#include <QString>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// The open and save dialogs of the editor: Qt's own file dialog (not the
// desktop's) with an encoding list beside the file type list.

// What the user chose: the path and the entry of the encoding list
// (0 UTF-8, 1 ANSI, 2 UTF-16 LE, 3 UTF-16 BE, 4 automatic; see TKvEncodingIndexes).
struct TKvFileChoice
{
    QString Path;
    int EncodingIndex = 0;
};

enum class TKvFileDialogKind { Open, Save };

// Builds a dialog ready to run. The open dialog selects the automatic encoding
// and starts in the folder of the given file (the current one), when there is
// one; the save dialog selects UTF-8 and the given file name.
QFileDialog *CreateOpenTextFileDialog(QWidget *owner, const QString &currentFile = QString());
QFileDialog *CreateSaveTextFileDialog(QWidget *owner, const QString &fileName);
// The encoding chosen in a dialog built above.
int ChosenEncodingIndex(const QFileDialog &dialog);

// Run the dialogs modally; nothing when cancelled.
std::optional<TKvFileChoice> OpenTextFileDialog(QWidget *owner, const QString &currentFile);
std::optional<TKvFileChoice> SaveTextFileDialog(QWidget *owner, const QString &fileName);

// For tests: while a hook is installed no dialog is shown; the hook gets the
// kind and the dialog's file name and answers for the user (nothing = Cancel).
using TKvFileDialogHook =
    std::function<std::optional<TKvFileChoice>(TKvFileDialogKind kind, const QString &fileName)>;
TKvFileDialogHook SetFileDialogHook(TKvFileDialogHook hook);
