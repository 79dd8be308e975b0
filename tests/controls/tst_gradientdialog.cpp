#include "kvgradientdialog.h"
#include "kvwidgettest.h"

#include <QTest>

class TstGradientDialog : public QObject
{
    Q_OBJECT

private slots:
    void designedSizesScaleToTheScreen_data();
    void designedSizesScaleToTheScreen();
    void isModalFixedAndWithoutCloseButton();
    void paintsTheVerticalGradient_data();
    void paintsTheVerticalGradient();
    void fontHasTheScaledDesignedHeight();
};

void TstGradientDialog::designedSizesScaleToTheScreen_data()
{
    QTest::addColumn<int>("designed");
    QTest::addRow("zero") << 0;
    QTest::addRow("one") << 1;
    QTest::addRow("odd") << 391;
    QTest::addRow("even") << 184;
}

void TstGradientDialog::designedSizesScaleToTheScreen()
{
    QFETCH(int, designed);
    TKvGradientDialog dialog;
    const int dpi = dialog.ScreenDpi();
    QVERIFY(dpi > 0);
    // Integer division, truncating, as the main window scales.
    QCOMPARE(dialog.Scaled(designed), designed * dpi / 144);
    dialog.SetDesignedClientSize(designed, designed + 10);
    QCOMPARE(dialog.minimumSize(), QSize(designed * dpi / 144, (designed + 10) * dpi / 144));
    QCOMPARE(dialog.maximumSize(), dialog.minimumSize());
}

void TstGradientDialog::isModalFixedAndWithoutCloseButton()
{
    TKvGradientDialog dialog;
    QVERIFY(dialog.isModal());
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
}

void TstGradientDialog::paintsTheVerticalGradient_data()
{
    QTest::addColumn<QColor>("top");
    QTest::addColumn<QColor>("bottom");
    QTest::addRow("default") << QColor(0xDE, 0xEB, 0xFF) << QColor(0xA3, 0xB4, 0xD8);
    QTest::addRow("given pair") << QColor(10, 200, 30) << QColor(250, 20, 120);
}

void TstGradientDialog::paintsTheVerticalGradient()
{
    QFETCH(QColor, top);
    QFETCH(QColor, bottom);
    TKvGradientDialog dialog;
    if (top != TKvGradientDialog::DefaultTop)
        dialog.SetGradient(top, bottom);
    QCOMPARE(dialog.GradientTop(), top);
    QCOMPARE(dialog.GradientBottom(), bottom);
    dialog.SetClientSize(QSize(120, 200));
    const QImage image = dialog.grab().toImage();
    auto near = [](QColor a, QColor b) {
        return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3 && qAbs(a.blue() - b.blue()) <= 3;
    };
    QVERIFY(near(image.pixelColor(5, 0), top));
    QVERIFY(near(image.pixelColor(60, image.height() - 1), bottom));
    // Vertical: every pixel of a row has the same colour.
    QCOMPARE(image.pixelColor(0, 100), image.pixelColor(119, 100));
}

void TstGradientDialog::fontHasTheScaledDesignedHeight()
{
    TKvGradientDialog dialog;
    QCOMPARE(dialog.DesignedFontHeight(), 18);
    QCOMPARE(dialog.font().pixelSize(), dialog.Scaled(18));
    dialog.SetDesignedFontHeight(22);
    QCOMPARE(dialog.font().pixelSize(), dialog.Scaled(22));
}

QTEST_MAIN(TstGradientDialog)
#include "tst_gradientdialog.moc"
