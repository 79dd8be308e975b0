// The window hints of every dialog and of the message box, read back from the
// X server: a title with at most a system menu, no minimise, maximise or close
// button. Runs under openbox (with-openbox.sh); elsewhere it skips.
#include "dialogs/formpassword.h"
#include "dialogs/frmitem.h"
#include "dialogs/frmsection.h"
#include "dialogs/passwordfrm.h"
#include "dialogs/preferencesdlg.h"
#include "find/formsearch.h"
#include "kvmsgbox.h"
#include "shortcutfrm.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// Bits of the Motif hints (flags, functions, decorations).
constexpr quint32 HintsFunctions = 1;
constexpr quint32 HintsDecorations = 2;
constexpr quint32 FunctionAll = 1;
constexpr quint32 FunctionMinimise = 8;
constexpr quint32 FunctionMaximise = 16;
constexpr quint32 FunctionClose = 32;
constexpr quint32 DecorationAll = 1;
constexpr quint32 DecorationMinimise = 32;
constexpr quint32 DecorationMaximise = 64;

using Maker = std::function<QDialog *()>;

// The window's _MOTIF_WM_HINTS as xprop reads them, or nothing.
QList<quint32> MotifHints(WId window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window), QStringLiteral("_MOTIF_WM_HINTS")});
    if (!xprop.waitForFinished(10000))
        return {};
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const qsizetype equals = out.indexOf(u'=');
    QList<quint32> values;
    if (equals < 0)
        return values;
    for (const QString &part : out.mid(equals + 1).split(u',')) {
        bool ok = false;
        const quint32 value = part.trimmed().toUInt(&ok, 0);
        if (ok)
            values << value;
    }
    return values;
}

} // namespace

class TestWindowHints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void noButtonsButAtMostAMenu_data();
    void noButtonsButAtMostAMenu();
};

void TestWindowHints::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("the hints are X11 window properties");
}

void TestWindowHints::noButtonsButAtMostAMenu_data()
{
    QTest::addColumn<Maker>("make");
    QTest::addRow("message box") << Maker([] { return new TKvMsgBox(); });
    QTest::addRow("section dialog") << Maker([] { return new TFrmSection(nullptr); });
    QTest::addRow("item dialog") << Maker([] { return new TFrmItem(nullptr); });
    QTest::addRow("find dialog") << Maker([] { return new TFormSearch(nullptr); });
    QTest::addRow("file password") << Maker([] { return new TFormPassword(); });
    QTest::addRow("password generator") << Maker([] { return new TPasswordFrm(); });
    QTest::addRow("preferences") << Maker([] { return new TFrmPreferences(); });
    QTest::addRow("shortcut") << Maker([] { return new TFrmShortcut(QStringLiteral("/tmp/a.ini")); });
}

void TestWindowHints::noButtonsButAtMostAMenu()
{
    QFETCH(Maker, make);
    std::unique_ptr<QDialog> dialog(make());
    dialog->setModal(false);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QList<quint32> hints = MotifHints(dialog->winId());
    QCOMPARE(hints.size(), 5);
    const quint32 flags = hints[0], functions = hints[1], decorations = hints[2];
    // Functions are listed, and none of them is a button's.
    QVERIFY(flags & HintsFunctions);
    QVERIFY(!(functions & (FunctionAll | FunctionMinimise | FunctionMaximise | FunctionClose)));
    // Decorations, when listed, name no button either.
    if (flags & HintsDecorations)
        QVERIFY(!(decorations & (DecorationAll | DecorationMinimise | DecorationMaximise)));
    // Closed by the window manager all the same, it answers Cancel.
    dialog->close();
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestWindowHints)
#include "tst_windowhints.moc"
