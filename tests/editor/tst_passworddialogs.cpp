#include "dialogs/formpassword.h"
#include "dialogs/passwordfrm.h"
#include "document/passwordprompt.h"
#include "kvbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <array>
#include <functional>

namespace {

// Runs `answer` on the modal dialog once it is up, then returns exec's result.
int ExecAnswering(QDialog &dialog, const std::function<void(QDialog *)> &answer)
{
    QTimer::singleShot(0, &dialog, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
        answer(&dialog);
    });
    return dialog.exec();
}

// Draws that replay a fixed list, for checking the mapping of draws to characters.
TKvDraw32 Replay(QList<quint32> draws)
{
    return [draws, at = qsizetype(0)]() mutable { return draws.at(at++ % draws.size()); };
}

double ChiSquare(const QList<qint64> &counts, double expected)
{
    double sum = 0;
    for (qint64 count : counts)
        sum += (count - expected) * (count - expected) / expected;
    return sum;
}

// Chi-square of the character counts of `draws` characters from the full pool.
double PoolChiSquare(const TKvDraw32 &draw, int draws)
{
    const QString pool = PasswordPool(true, true, true);
    QList<qint64> counts(pool.size(), 0);
    const QString text = GeneratePassword(pool, draws, draw);
    for (QChar c : text)
        ++counts[pool.indexOf(c)];
    return ChiSquare(counts, double(draws) / pool.size());
}

} // namespace

class TstPasswordDialogs : public QObject
{
    Q_OBJECT

private slots:
    void okNeedsFiveCharacters_data();
    void okNeedsFiveCharacters();
    void passwordIsMasked();
    void hiddenWarningLeavesNoGap();
    void passwordAnsweredWithEnterAndEscape_data();
    void passwordAnsweredWithEnterAndEscape();
    void formatChoiceHiddenWhenOpening();
    void formatChoiceOffered_data();
    void formatChoiceOffered();
    void savePromptAnswersPasswordAndFormat_data();
    void savePromptAnswersPasswordAndFormat();
    void takenPasswordLeavesTheField();

    void poolsInOrder_data();
    void poolsInOrder();
    void drawsMapToTheUpperHalfOfTheProduct_data();
    void drawsMapToTheUpperHalfOfTheProduct();
    void systemDrawsAreUniform();
    void uniformityCheckCatchesASkewedSource();

    void generatorStartsAtLengthEightWithAllPools();
    void generateUsesTheTickedPools_data();
    void generateUsesTheTickedPools();
    void noPoolLeavesTheResult();
    void lengthZeroGivesEmptyAndApplyStaysEnabled();
    void editingTheResultJudgesItsLength_data();
    void editingTheResultJudgesItsLength();
    void applyBeforeGenerateGivesEmptyText();
    void applyHiddenLeavesCancel();
    void copyButtonCopiesTheResult();
    void buttonsTakeTheResultHeight();
    void lengthStaysInRange_data();
    void lengthStaysInRange();
};

// ---- File password ----

void TstPasswordDialogs::okNeedsFiveCharacters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enabled");
    QTest::addRow("empty") << "" << false;
    QTest::addRow("four") << "abcd" << false;
    QTest::addRow("five") << "abcde" << true;
    QTest::addRow("long") << "a rather long passphrase" << true;
    QTest::addRow("five spaces") << "     " << true;
}

void TstPasswordDialogs::okNeedsFiveCharacters()
{
    QFETCH(QString, typed);
    QFETCH(bool, enabled);
    TFormPassword dialog;
    QVERIFY(!dialog.ButOk->isEnabled());
    QTest::keyClicks(dialog.EdPassword, typed);
    QCOMPARE(dialog.ButOk->isEnabled(), enabled);
    // Deleting back below five disables it again.
    dialog.EdPassword->setText(QStringLiteral("abcd"));
    QVERIFY(!dialog.ButOk->isEnabled());
}

void TstPasswordDialogs::passwordIsMasked()
{
    TFormPassword dialog;
    QCOMPARE(dialog.EdPassword->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("File Password"));
    QCOMPARE(dialog.Label1->text(), QStringLiteral("Type a Password (minimum 5 characters)"));
    QCOMPARE(dialog.LbWarning->text(), QStringLiteral("Do not loose this password !!"));
}

void TstPasswordDialogs::hiddenWarningLeavesNoGap()
{
    TFormPassword withWarning;
    withWarning.show();
    QVERIFY(QTest::qWaitForWindowExposed(&withWarning));
    QCOMPARE(withWarning.height(), withWarning.PnlBottom->geometry().bottom() + 1);
    QCOMPARE(withWarning.PnlBottom->y(), withWarning.LbWarning->geometry().bottom() + 1);

    TFormPassword without;
    without.LbWarning->hide();
    without.show();
    QVERIFY(QTest::qWaitForWindowExposed(&without));
    QCOMPARE(without.PnlBottom->y(), without.Label1->geometry().bottom() + 1);
    QCOMPARE(without.height(), without.PnlBottom->geometry().bottom() + 1);
    QCOMPARE(withWarning.height() - without.height(), withWarning.LbWarning->height());
    // The buttons sit below the field, inside the panel.
    for (const TFormPassword *dialog : {&withWarning, &without}) {
        QVERIFY(dialog->ButOk->y() > dialog->EdPassword->geometry().bottom());
        QCOMPARE(dialog->ButOk->geometry().top(), dialog->ButCancel->geometry().top());
        QVERIFY(dialog->ButCancel->geometry().bottom() < dialog->PnlBottom->height());
        QVERIFY(dialog->ButCancel->geometry().right() < dialog->width());
    }
}

void TstPasswordDialogs::passwordAnsweredWithEnterAndEscape_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::addRow("enter with five") << "secret" << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::addRow("escape with five") << "secret" << int(Qt::Key_Escape) << int(QDialog::Rejected);
    // OK is disabled, so Enter does nothing; the test then presses Escape.
    QTest::addRow("enter with four") << "four" << int(Qt::Key_Return) << int(QDialog::Rejected);
}

void TstPasswordDialogs::passwordAnsweredWithEnterAndEscape()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, result);
    TFormPassword dialog;
    dialog.LbWarning->hide();
    const int answer = ExecAnswering(dialog, [&](QDialog *) {
        QTest::keyClicks(dialog.EdPassword, typed);
        QTest::keyClick(dialog.EdPassword, Qt::Key(key));
        if (dialog.isVisible())
            QTest::mouseClick(dialog.ButCancel, Qt::LeftButton);
    });
    QCOMPARE(answer, result);
    QCOMPARE(dialog.EdPassword->text(), typed);
}

// Opening a file offers no choice: the file has its container.
void TstPasswordDialogs::formatChoiceHiddenWhenOpening()
{
    TFormPassword dialog;
    dialog.LbWarning->hide();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.PnlFormat->isVisible());
    QCOMPARE(dialog.PnlBottom->y(), dialog.Label1->geometry().bottom() + 1);
    QCOMPARE(dialog.ChosenFormat(), TKvContainerFormat::Strong);
}

void TstPasswordDialogs::formatChoiceOffered_data()
{
    QTest::addColumn<bool>("legacy");
    QTest::addRow("strong offered") << false;
    QTest::addRow("compatible offered") << true;
}

// The choice sits between the warning and the field, the offered one
// chosen, with its hint on one line inside the dialog.
void TstPasswordDialogs::formatChoiceOffered()
{
    QFETCH(bool, legacy);
    const TKvContainerFormat offered = legacy ? TKvContainerFormat::Legacy : TKvContainerFormat::Strong;
    TFormPassword plain;
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    TFormPassword dialog;
    dialog.OfferFormat(offered);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.RbStrong->text(), QStringLiteral("strong"));
    QCOMPARE(dialog.RbCompatible->text(), QStringLiteral("compatible with older versions"));
    QVERIFY(dialog.PnlFormat->isVisible());
    QCOMPARE(dialog.RbCompatible->isChecked(), legacy);
    QCOMPARE(dialog.RbStrong->isChecked(), !legacy);
    QCOMPARE(dialog.ChosenFormat(), offered);
    QCOMPARE(dialog.PnlFormat->y(), dialog.LbWarning->geometry().bottom() + 1);
    QCOMPARE(dialog.PnlBottom->y(), dialog.PnlFormat->geometry().bottom() + 1);
    QCOMPARE(dialog.height(), dialog.PnlBottom->geometry().bottom() + 1);
    QCOMPARE(dialog.height() - plain.height(), dialog.PnlFormat->height());
    for (const QWidget *child :
         {static_cast<QWidget *>(dialog.RbStrong), static_cast<QWidget *>(dialog.RbCompatible),
          static_cast<QWidget *>(dialog.LbFormatHint)}) {
        QVERIFY(child->geometry().right() < dialog.PnlFormat->width());
        QVERIFY(child->geometry().bottom() < dialog.PnlFormat->height());
    }
    QVERIFY(dialog.RbCompatible->y() > dialog.RbStrong->geometry().bottom());
    QVERIFY(dialog.LbFormatHint->y() > dialog.RbCompatible->geometry().bottom());
    const QFontMetrics metrics(dialog.LbFormatHint->font());
    QVERIFY(metrics.horizontalAdvance(dialog.LbFormatHint->text()) <= dialog.LbFormatHint->width());
    QVERIFY(dialog.LbFormatHint->height() < 2 * metrics.lineSpacing());

    // The other one, clicked.
    QTest::mouseClick(legacy ? static_cast<QWidget *>(dialog.RbStrong) : dialog.RbCompatible, Qt::LeftButton);
    QCOMPARE(dialog.ChosenFormat(), legacy ? TKvContainerFormat::Strong : TKvContainerFormat::Legacy);
}

void TstPasswordDialogs::savePromptAnswersPasswordAndFormat_data()
{
    QTest::addColumn<bool>("legacy");
    QTest::addColumn<bool>("switchFormat");
    QTest::addRow("strong kept") << false << false;
    QTest::addRow("strong to compatible") << false << true;
    QTest::addRow("compatible kept") << true << false;
    QTest::addRow("compatible to strong") << true << true;
}

// The real dialog behind the save prompt, answered from the keyboard: the
// typed password and the container chosen with the arrow keys.
void TstPasswordDialogs::savePromptAnswersPasswordAndFormat()
{
    QFETCH(bool, legacy);
    QFETCH(bool, switchFormat);
    const TKvContainerFormat offered = legacy ? TKvContainerFormat::Legacy : TKvContainerFormat::Strong;
    bool warningShown = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TFormPassword *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        warningShown = dialog->LbWarning->isVisible();
        // The arrow keys move between radio buttons only in the active window.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClicks(dialog->EdPassword, QStringLiteral("secret"));
        if (switchFormat) {
            QTest::keyClick(dialog->EdPassword, Qt::Key_Tab);
            // Tab reaches the chosen radio button; an arrow key chooses the other.
            QRadioButton *chosen = legacy ? dialog->RbCompatible : dialog->RbStrong;
            QCOMPARE(dialog->focusWidget(), chosen);
            QTest::keyClick(chosen, legacy ? Qt::Key_Up : Qt::Key_Down);
        }
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    const std::optional<TKvSavePassword> answer = AskSavePassword(nullptr, offered);
    QVERIFY(warningShown);
    QVERIFY(answer);
    QCOMPARE(answer->Password, QStringLiteral("secret"));
    QCOMPARE(answer->Format,
             switchFormat == legacy ? TKvContainerFormat::Strong : TKvContainerFormat::Legacy);
}

void TstPasswordDialogs::takenPasswordLeavesTheField()
{
    TFormPassword dialog;
    QTest::keyClicks(dialog.EdPassword, QStringLiteral("password1"));
    const QString typed = dialog.EdPassword->text();
    const QString taken = dialog.TakePassword();
    QCOMPARE(taken, typed);
    QVERIFY(dialog.EdPassword->text().isEmpty());
    QVERIFY(!dialog.EdPassword->isUndoAvailable());
}

// ---- The generator ----

void TstPasswordDialogs::poolsInOrder_data()
{
    QTest::addColumn<bool>("lower");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<QString>("pool");
    const QString l = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    const QString u = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const QString n = QStringLiteral("0123456789");
    QTest::addRow("none") << false << false << false << QString();
    QTest::addRow("lower") << true << false << false << l;
    QTest::addRow("upper") << false << true << false << u;
    QTest::addRow("numbers") << false << false << true << n;
    QTest::addRow("lower numbers") << true << false << true << l + n;
    QTest::addRow("upper numbers") << false << true << true << u + n;
    QTest::addRow("all") << true << true << true << l + u + n;
}

void TstPasswordDialogs::poolsInOrder()
{
    QFETCH(bool, lower);
    QFETCH(bool, upper);
    QFETCH(bool, numbers);
    QFETCH(QString, pool);
    QCOMPARE(PasswordPool(lower, upper, numbers), pool);
}

void TstPasswordDialogs::drawsMapToTheUpperHalfOfTheProduct_data()
{
    QTest::addColumn<quint32>("draw");
    QTest::addColumn<int>("index");
    // Full pool, 62 characters.
    QTest::addRow("zero") << quint32(0) << 0;
    QTest::addRow("largest") << quint32(0xFFFFFFFF) << 61;
    QTest::addRow("half") << quint32(0x80000000) << 31;
    QTest::addRow("just below 1/62") << quint32(0x04210842) << 0;
    QTest::addRow("just above 1/62") << quint32(0x04210843) << 1;
}

void TstPasswordDialogs::drawsMapToTheUpperHalfOfTheProduct()
{
    QFETCH(quint32, draw);
    QFETCH(int, index);
    const QString pool = PasswordPool(true, true, true);
    QCOMPARE(GeneratePassword(pool, 1, Replay({draw})), QString(pool.at(index)));
    // Every position takes a draw of its own.
    QCOMPARE(GeneratePassword(pool, 3, Replay({0, draw, 0xFFFFFFFF})),
             QString(pool.at(0)) + pool.at(index) + pool.at(61));
}

// 62,000 characters from the full pool: 1,000 expected of each. With 61
// degrees of freedom a chi-square above 130 comes by chance less than once
// in 1.5 million runs.
void TstPasswordDialogs::systemDrawsAreUniform()
{
    QVERIFY2(PoolChiSquare(SystemDraw32(), 62000) < 130.0, "character counts are not uniform");
}

void TstPasswordDialogs::uniformityCheckCatchesASkewedSource()
{
    // A source whose top bit is never set reaches only half the pool.
    const TKvDraw32 system = SystemDraw32();
    QVERIFY(PoolChiSquare([&] { return system() & 0x7FFFFFFF; }, 62000) > 130.0);
    // One that moves half of the first character's share to the last.
    QVERIFY(PoolChiSquare(
                [&] {
                    const quint32 d = system();
                    return d < 0x02000000 ? 0xFFFFFFFF : d;
                },
                62000)
            > 130.0);
}

void TstPasswordDialogs::generatorStartsAtLengthEightWithAllPools()
{
    TPasswordFrm dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Password Generator"));
    QCOMPARE(dialog.UpDownLength->value(), 8);
    QCOMPARE(dialog.EdLength->text(), QStringLiteral("8"));
    QVERIFY(dialog.EdLength->isReadOnly());
    QCOMPARE(dialog.UpDownLength->minimum(), 0);
    QCOMPARE(dialog.UpDownLength->maximum(), 100);
    QVERIFY(!dialog.UpDownLength->wrapping());
    QVERIFY(dialog.CbxLower->isChecked() && dialog.CbxUpper->isChecked() && dialog.CbxNumbers->isChecked());
    QVERIFY(dialog.EdResult->text().isEmpty());
    // Until the result first changes both are usable; the copy button shows the grey picture.
    QVERIFY(dialog.ButApply->isEnabled());
    QVERIFY(dialog.ButCopyToClip->isEnabled());
    QCOMPARE(dialog.ButCopyToClip->ImageIndex(), TPasswordFrm::PicCopyDisabled);
}

void TstPasswordDialogs::generateUsesTheTickedPools_data()
{
    QTest::addColumn<bool>("lower");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<int>("length");
    QTest::addRow("digits only, four") << false << false << true << 4;
    QTest::addRow("lower only, twelve") << true << false << false << 12;
    QTest::addRow("upper and digits, hundred") << false << true << true << 100;
    QTest::addRow("all, eight") << true << true << true << 8;
}

void TstPasswordDialogs::generateUsesTheTickedPools()
{
    QFETCH(bool, lower);
    QFETCH(bool, upper);
    QFETCH(bool, numbers);
    QFETCH(int, length);
    TPasswordFrm dialog;
    dialog.CbxLower->setChecked(lower);
    dialog.CbxUpper->setChecked(upper);
    dialog.CbxNumbers->setChecked(numbers);
    dialog.UpDownLength->setValue(length);
    QCOMPARE(dialog.EdLength->text(), QString::number(length));
    QTest::mouseClick(dialog.ButGenerate, Qt::LeftButton);
    const QString result = dialog.EdResult->text();
    QCOMPARE(result.size(), length);
    const QString pool = PasswordPool(lower, upper, numbers);
    for (QChar c : result)
        QVERIFY2(pool.contains(c), qPrintable(result));
    QVERIFY(dialog.ButApply->isEnabled());
    QVERIFY(dialog.ButCopyToClip->isEnabled());
    QCOMPARE(dialog.ButCopyToClip->ImageIndex(), TPasswordFrm::PicCopy);
}

void TstPasswordDialogs::noPoolLeavesTheResult()
{
    TPasswordFrm dialog;
    dialog.EdResult->setText(QStringLiteral("kept"));
    dialog.CbxLower->setChecked(false);
    dialog.CbxUpper->setChecked(false);
    dialog.CbxNumbers->setChecked(false);
    dialog.ButGenerateClick();
    QCOMPARE(dialog.EdResult->text(), QStringLiteral("kept"));
}

void TstPasswordDialogs::lengthZeroGivesEmptyAndApplyStaysEnabled()
{
    TPasswordFrm dialog;
    dialog.ButGenerateClick();
    QCOMPARE(dialog.EdResult->text().size(), 8);
    dialog.UpDownLength->setValue(0);
    dialog.ButGenerateClick();
    QVERIFY(dialog.EdResult->text().isEmpty());
    QVERIFY(dialog.ButApply->isEnabled());
    QVERIFY(dialog.ButCopyToClip->isEnabled());
}

void TstPasswordDialogs::editingTheResultJudgesItsLength_data()
{
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enabled");
    QTest::addRow("shortened by one") << 1 << "" << false;
    QTest::addRow("emptied") << 8 << "" << false;
    QTest::addRow("lengthened") << 0 << "xyz" << true;
    QTest::addRow("shortened then made whole") << 2 << "qq" << true;
}

void TstPasswordDialogs::editingTheResultJudgesItsLength()
{
    QFETCH(int, backspaces);
    QFETCH(QString, typed);
    QFETCH(bool, enabled);
    TPasswordFrm dialog;
    dialog.ButGenerateClick();
    dialog.EdResult->setFocus();
    dialog.EdResult->end(false);
    for (int i = 0; i < backspaces; ++i)
        QTest::keyClick(dialog.EdResult, Qt::Key_Backspace);
    QTest::keyClicks(dialog.EdResult, typed);
    QCOMPARE(dialog.ButApply->isEnabled(), enabled);
    QCOMPARE(dialog.ButCopyToClip->isEnabled(), enabled);
    QCOMPARE(dialog.ButCopyToClip->ImageIndex(),
             enabled ? TPasswordFrm::PicCopy : TPasswordFrm::PicCopyDisabled);
}

void TstPasswordDialogs::applyBeforeGenerateGivesEmptyText()
{
    TPasswordFrm dialog;
    const int result =
        ExecAnswering(dialog, [&](QDialog *) { QTest::mouseClick(dialog.ButApply, Qt::LeftButton); });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(dialog.EdResult->text().isEmpty());
}

void TstPasswordDialogs::applyHiddenLeavesCancel()
{
    TPasswordFrm dialog;
    dialog.ButApply->hide();
    QString generated;
    const int result = ExecAnswering(dialog, [&](QDialog *) {
        QTest::mouseClick(dialog.ButGenerate, Qt::LeftButton);
        generated = dialog.EdResult->text();
        // Enter must not apply through the hidden button.
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(generated.size(), 8);
}

void TstPasswordDialogs::copyButtonCopiesTheResult()
{
    TPasswordFrm dialog;
    QCOMPARE(dialog.ButCopyToClip->Hint(), QStringLiteral(" Copy password to clipboard "));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.ButGenerateClick();
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseClick(dialog.ButCopyToClip, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), dialog.EdResult->text());
    QVERIFY(dialog.isVisible());
}

void TstPasswordDialogs::buttonsTakeTheResultHeight()
{
    TPasswordFrm dialog;
    const int height = dialog.EdResult->height();
    for (TKvButton *button : {dialog.ButGenerate, dialog.ButApply, dialog.ButCancel, dialog.ButCopyToClip})
        QCOMPARE(button->height(), height);
    QCOMPARE(dialog.ButCopyToClip->width(), height);
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
}

void TstPasswordDialogs::lengthStaysInRange_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("end");
    QTest::addRow("up") << 8 << int(Qt::Key_Up) << 9;
    QTest::addRow("down") << 8 << int(Qt::Key_Down) << 7;
    QTest::addRow("no wrap at top") << 100 << int(Qt::Key_Up) << 100;
    QTest::addRow("no wrap at bottom") << 0 << int(Qt::Key_Down) << 0;
}

void TstPasswordDialogs::lengthStaysInRange()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, end);
    TPasswordFrm dialog;
    dialog.UpDownLength->setValue(start);
    QTest::keyClick(dialog.UpDownLength, Qt::Key(key));
    QCOMPARE(dialog.UpDownLength->value(), end);
    QCOMPARE(dialog.EdLength->text(), QString::number(end));
    // Typing into the read-only field changes nothing.
    QTest::keyClicks(dialog.EdLength, QStringLiteral("5"));
    QCOMPARE(dialog.UpDownLength->value(), end);
}

QTEST_MAIN(TstPasswordDialogs)
#include "tst_passworddialogs.moc"
