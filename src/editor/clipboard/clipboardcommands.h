#pragma once

#include "clipformats.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <functional>

#include "editcontext.h"

class TItemCommands;
class TKvIniSection;
class TKvIniVal;
class TSectionCommands;

// Copying and pasting sections and items through the system clipboard: every
// copy and paste command, and the clipboard flags that follow the clipboard
// (the window's popup menu and its enabling read them).
class TClipboardCommands : public QObject
{
    Q_OBJECT

public:
    // The pastes add entries and sections the way the item and section commands do.
    TClipboardCommands(const TKvEditContext &context, TItemCommands &items, TSectionCommands &sections);

    // Puts the text on the clipboard as plain text, and under the section and
    // item formats when wanted; a text too long is not copied.
    void PutOnClipboard(const QString &text, bool sectionFormat, bool itemFormat);
    // Reads the clipboard's flags again.
    void UpdateClipboardState();
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

signals:
    // What the clipboard holds changed.
    void ClipboardStateChanged();

private:
    TKvIniVal *SelectedVal() const;
    QString ClipboardText() const;
    // A field paste: the clipboard text made one line.
    QString PastedLine() const;

    void PasteItemField(void (TKvIniVal::*setter)(QStringView), const QString &stepName);
    void PasteSectionField(bool name, const QString &stepName);

    TKvDocument &m_doc;
    TKvLists &m_lists;
    QWidget *m_parent;
    TItemCommands &m_items;
    TSectionCommands &m_sections;
    TKvClipState m_state;
};
