// Shows each of the editor's own dialogs in turn: message boxes of every
// kind, the item and section dialogs, the file password dialog, the password
// generator, the merge conflicts dialog and the about dialog.
//
//   dialoggallery [folder]
//
// With a folder each dialog is shown for a moment and saved there twice:
// NAME.png (the dialog as it paints itself) and NAME-screen.png (the screen
// around it, with the window manager's frame when one runs); the program
// then ends. Without one each dialog waits for its own answer. Built by the
// optional target dialoggallery (tests/desktop/CMakeLists.txt); run it under
// xvfb-run, with openbox for frames, and with QT_SCALE_FACTOR=2 for a dense
// screen.

#include "compare/mergeconflictsdialog.h"
#include "dialogs/formpassword.h"
#include "dialogs/frmitem.h"
#include "dialogs/frmsection.h"
#include "dialogs/passwordfrm.h"
#include "infoform.h"
#include "kvbutton.h"
#include "kvmsgbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace {

QString g_folder;

void Pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows the dialog; in picture mode saves it and closes it.
void Present(const QString &name, QDialog *dialog)
{
    if (g_folder.isEmpty()) {
        dialog->exec();
        return;
    }
    QTimer::singleShot(0, dialog, [=] {
        Pause(600);
        dialog->grab().save(QDir(g_folder).filePath(name + QStringLiteral(".png")));
        const QRect around = dialog->frameGeometry().adjusted(-20, -20, 20, 20);
        if (QScreen *screen = dialog->screen())
            screen->grabWindow(0, around.x(), around.y(), around.width(), around.height())
                .save(QDir(g_folder).filePath(name + QStringLiteral("-screen.png")));
        dialog->done(0);
    });
    dialog->exec();
}

void MessageBox(const QString &name, const QString &caption, const QString &text, int picture,
                const QList<TKvModalResult> &buttons)
{
    auto *box = new TKvMsgBox;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(caption);
    box->SetMessage(text);
    for (TKvModalResult result : buttons)
        box->AddButton(box->ButtonFor(result));
    box->SetIcon(picture);
    Present(name, box);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc > 1) {
        g_folder = QString::fromLocal8Bit(argv[1]);
        QDir().mkpath(g_folder);
    }

    MessageBox(QStringLiteral("msg-info"), QStringLiteral("Search"), QStringLiteral("Not found: \"port\""),
               kvIconInfo, {tmrOK});
    MessageBox(QStringLiteral("msg-error"), QStringLiteral("File Error"),
               QStringLiteral("/home/user/settings/app.ini\r\nThe file cannot be opened."), kvIconError,
               {tmrOK});
    MessageBox(QStringLiteral("msg-yesno"), QStringLiteral("Delete Section"),
               QStringLiteral("Delete the section [Network] ?"), kvIconQuestion, {tmrYes, tmrNo});
    MessageBox(QStringLiteral("msg-yesnocancel"), QStringLiteral("Unsaved Changes"),
               QStringLiteral("The file has been changed.\r\nSave the changes before closing?"),
               kvIconQuestion, {tmrYes, tmrNo, tmrCancel});
    MessageBox(QStringLiteral("msg-exclamation-long"), QStringLiteral("Warning"),
               QStringLiteral("A single long line of text that makes the box wider than its designed size, "
                              "not wrapped\r\nline two\r\nline three\r\nline four\r\nline five\r\nline six"),
               kvIconExclamation, {tmrOK});
    MessageBox(QStringLiteral("msg-allbuttons"), QStringLiteral("Every Button"), QStringLiteral("All nine."),
               kvIconQuestion,
               {tmrRetry, tmrOK, tmrYes, tmrYesToAll, tmrNo, tmrNoToAll, tmrIgnore, tmrAbort, tmrCancel});

    {
        TFrmItem dialog(nullptr);
        Present(QStringLiteral("item-add"), &dialog);
    }
    {
        TFrmItem dialog(nullptr);
        dialog.setWindowTitle(QStringLiteral("Edit Value Item"));
        dialog.SetName(QStringLiteral("memory_limit"));
        dialog.SetValue(QStringLiteral("128M"));
        dialog.SetComment(QStringLiteral("per script"));
        Present(QStringLiteral("item-edit"), &dialog);
    }
    {
        // A name that would not read back: the hint says why Apply is off.
        TFrmItem dialog(nullptr);
        dialog.SetName(QStringLiteral("[name]"));
        Present(QStringLiteral("item-hint"), &dialog);
    }
    {
        TFrmSection dialog(nullptr);
        Present(QStringLiteral("section-add"), &dialog);
    }
    {
        TFrmSection dialog(nullptr);
        dialog.setWindowTitle(QStringLiteral("Edit Section"));
        dialog.SetName(QStringLiteral("Session"));
        dialog.SetComment(QStringLiteral("kept per user"));
        dialog.EdName->setText(QStringLiteral("Sessions"));
        Present(QStringLiteral("section-edit"), &dialog);
    }
    {
        TFrmSection dialog(nullptr);
        dialog.EdName->setText(QStringLiteral("a]b"));
        Present(QStringLiteral("section-hint"), &dialog);
    }
    {
        TFormPassword dialog;
        dialog.EdPassword->setText(QStringLiteral("secret"));
        dialog.OfferFormat(TKvContainerFormat::Strong);
        Present(QStringLiteral("password-save"), &dialog);
    }
    {
        // A document read in the legacy container, saved under a new name.
        TFormPassword dialog;
        dialog.EdPassword->setText(QStringLiteral("secret"));
        dialog.OfferFormat(TKvContainerFormat::Legacy);
        Present(QStringLiteral("password-save-compatible"), &dialog);
    }
    {
        TFormPassword dialog;
        dialog.LbWarning->hide();
        Present(QStringLiteral("password-open"), &dialog);
    }
    {
        TPasswordFrm dialog;
        dialog.ButGenerateClick();
        Present(QStringLiteral("generator"), &dialog);
    }
    {
        TPasswordFrm dialog;
        dialog.ButApply->hide();
        dialog.CbxUpper->setChecked(false);
        dialog.UpDownLength->setValue(12);
        dialog.ButGenerateClick();
        dialog.EdResult->setText(dialog.EdResult->text().left(5));
        Present(QStringLiteral("generator-short"), &dialog);
    }
    {
        // The file on disk and the unsaved document both changed since it was loaded.
        TKvMemIni base;
        TKvMemIni mine;
        TKvMemIni theirs;
        base.Parse(QStringLiteral(
            "[PHP]\nmemory_limit=128M\nmax_execution_time=30\nerror_reporting=E_ALL\n"
            "[Session]\nsession.save_path=/var/lib/php/sessions\n[mail function]\nSMTP=localhost\n"));
        mine.Parse(QStringLiteral("[PHP]\nmemory_limit=256M\nmax_execution_time=60\nerror_reporting=E_ALL\n"
                                  "[Session]\nsession.save_path=/tmp/sessions\n"));
        theirs.Parse(QStringLiteral(
            "[PHP]\nmemory_limit=512M\nmax_execution_time=30\n"
            "[Session]\nsession.save_path=/srv/php/sessions\n[mail function]\nSMTP=mail.example.org\n"));
        const TKvMergePlan plan = KvMerge::Plan(base, mine, theirs);
        TMergeConflictsDialog dialog(nullptr, plan);
        dialog.SetTakeTheirs(1, true);
        Present(QStringLiteral("merge-conflicts"), &dialog);
    }
    {
        TInfoForm dialog;
        Present(QStringLiteral("about"), &dialog);
    }
    return 0;
}
