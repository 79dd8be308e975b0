#pragma once

#include "clipformats.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <functional>

class QAction;
class QMenu;
class QPoint;
class QTableView;
class TForm1;
class TKvIniSection;
class TKvIniVal;

// Copying and pasting sections and items through the system clipboard: the
// popup menu both lists share, its enabling, the clipboard flags that follow
// the clipboard, and every copy and paste command.
class TClipboardCommands : public QObject
{
    Q_OBJECT

public:
    explicit TClipboardCommands(TForm1 &form);

    // ---- The popup menu, in its order ----
    QMenu *PopupClip = nullptr;
    QAction *MnuCopyItem = nullptr;
    QAction *MnuCopyItemValue = nullptr;
    QAction *MnuCopyItemName = nullptr;
    QAction *MnuCopyItemComment = nullptr;
    QAction *MnuPasteItem = nullptr;
    QAction *MnuPasteAllItems = nullptr;
    QAction *MnuPasteItemValue = nullptr;
    QAction *MnuPasteItemName = nullptr;
    QAction *MnuPasteItemComment = nullptr;
    QAction *MnuCopySection = nullptr;
    QAction *MnuCopySectionAllItems = nullptr;
    QAction *MnuCopySectionItem = nullptr;
    QAction *MnuCopySectionName = nullptr;
    QAction *MnuCopySectionComment = nullptr;
    QAction *MnuPasteSection = nullptr;
    QAction *MnuPasteSectionName = nullptr;
    QAction *MnuPasteSectionComment = nullptr;
    QAction *MnuDeleteItem = nullptr;
    QAction *MnuSilentDeleteItem = nullptr;
    QAction *MnuDeleteSection = nullptr;
    QAction *MnuSilentDeleteSection = nullptr;
    QAction *MnuCommentUncommentItem = nullptr;
    QAction *MnuSortAllAlphabetically = nullptr;
    QAction *MnuUndo = nullptr;
    QAction *MnuRedo = nullptr;

    // ---- Window operations ----
    // Puts the text on the clipboard as plain text, and under the section and
    // item formats when wanted; a text too long is not copied.
    void PutOnClipboard(const QString &text, bool sectionFormat, bool itemFormat);
    void UpdateClipboardState();
    void UpdateSelectionMenus();
    void UpdatePasteMenus();
    // Enables the menu's items for the list it opens on.
    void PopupClipPopup(QTableView *list);
    const TKvClipState &ClipState() const { return m_state; }

    // ---- Commands ----
    void MnuCopyItemClick();
    void MnuCopyItemValueClick();
    void MnuCopyItemNameClick();
    void MnuCopyItemCommentClick();
    void MnuCopySectionClick();
    void MnuCopySectionAllItemsClick();
    void MnuCopySectionItemClick();
    void MnuCopySectionNameClick();
    void MnuCopySectionCommentClick();
    void MnuPasteItemClick();
    void MnuPasteAllItemsClick();
    void MnuPasteItemValueClick();
    void MnuPasteItemNameClick();
    void MnuPasteItemCommentClick();
    void MnuPasteSectionClick();
    void MnuPasteSectionNameClick();
    void MnuPasteSectionCommentClick();

    // Asks for a new name when a pasted section's name is taken or empty:
    // given the parsed name and comment, returns false on Cancel. Tests
    // install their own; an empty one restores the section dialog.
    using TKvSectionNameAsker = std::function<bool(QWidget *owner, QString &name, QString &comment)>;
    static TKvSectionNameAsker SetSectionNameAsker(TKvSectionNameAsker asker);

private:
    QAction *AddMenuItem(QAction *TClipboardCommands::*member, const char *name, const char *caption,
                         const QKeySequence &shortcut, void (TClipboardCommands::*handler)());
    void ShowPopup(QTableView *list, const QPoint &pos);
    TKvIniVal *SelectedVal() const;
    QString ClipboardText() const;
    // A field paste: the clipboard text made one line.
    QString PastedLine() const;

    void PasteItemField(void (TKvIniVal::*setter)(QStringView), const QString &stepName);
    void PasteSectionField(bool name, const QString &stepName);

    TForm1 &m_form;
    TKvClipState m_state;
};
