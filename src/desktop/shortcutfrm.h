#pragma once

#include "kvgradientdialog.h"

#include <QString>
#include <QStringList>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TKvImageList;

// The Create Shortcut dialog: collects a name and the places for launchers
// that open one document in the editor, and writes them on Create.
class TFrmShortcut : public TKvGradientDialog
{
    Q_OBJECT

public:
    // documentPath: the file the launchers open (may be empty). buttonImages:
    // the main window's button pictures, or none.
    explicit TFrmShortcut(const QString &documentPath, const TKvImageList *buttonImages = nullptr,
                          QWidget *parent = nullptr);

    const QString &DocumentPath() const { return m_documentPath; }
    // The launcher files written by the last Create.
    const QStringList &CreatedFiles() const { return m_created; }

    // The choosers behind the two Browse buttons; tests install their own.
    // Each gets the dialog and the preset (a file name, a folder) and returns
    // the chosen path, empty when the user cancelled.
    using TKvPathChooser = std::function<QString(QWidget *parent, const QString &preset)>;
    static TKvPathChooser SetSaveFileChooser(TKvPathChooser chooser);
    static TKvPathChooser SetFolderChooser(TKvPathChooser chooser);

    QLabel *Label1 = nullptr;
    QLineEdit *EdShortcutName = nullptr;
    QToolButton *ButBrowseForFile = nullptr;
    QCheckBox *CbxDocuments = nullptr;
    QCheckBox *CbxDesktop = nullptr;
    QCheckBox *CbxStartMenuQuillon = nullptr;
    QCheckBox *CbxQuickLaunch = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *EdCustomShortcut = nullptr;
    QToolButton *ButBrowseFolder = nullptr;
    QPushButton *ButCancel = nullptr;
    QPushButton *ButCreate = nullptr;

    void UpdateCreateEnabled();
    void ButBrowseForFileClick();
    void ButBrowseFolderClick();
    void ButCreateClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Writes one launcher named name into folder; a failure goes to the error list.
    void CreateIn(const QString &folder, const QString &name);

    QString m_documentPath;
    QStringList m_created;
    QStringList m_errors;
    int m_attempts = 0;
};
