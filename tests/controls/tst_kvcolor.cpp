// Colour helpers: TColor channels, system colours from the palette, HSL and grey.

#include "kvcolor.h"
#include "kvhsl.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTest>

Q_DECLARE_METATYPE(TKvHsl)

namespace {

// A palette in which every role the system colours use has its own colour.
QPalette DistinctPalette()
{
    QPalette palette;
    int n = 1;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            if (role == QPalette::NoRole)
                continue;
            palette.setColor(group, QPalette::ColorRole(role), QColor(n, 255 - n, (n * 7) % 256));
            ++n;
        }
    return palette;
}

TColor ColourOf(QPalette::ColorGroup group, QPalette::ColorRole role)
{
    const QColor c = QGuiApplication::palette().color(group, role);
    return KvRgb(quint32(c.red()), quint32(c.green()), quint32(c.blue()));
}

} // namespace

class TestKvColor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void channels();
    void systemColours_data();
    void systemColours();
    void unknownSystemColoursAreBlack_data();
    void unknownSystemColoursAreBlack();
    void otherColoursAreKept_data();
    void otherColoursAreKept();
    void paletteChangesAreFollowed();

    void colorToHsl_data();
    void colorToHsl();
    void colorToHslOfSystemColour();
    void hueZeroWhenGreenEqualsBlue_data();
    void hueZeroWhenGreenEqualsBlue();
    void hslToColor_data();
    void hslToColor();
    void greyOf_data();
    void greyOf();
};

void TestKvColor::initTestCase()
{
    QGuiApplication::setPalette(DistinctPalette());
}

void TestKvColor::channels()
{
    const TColor c = 0x80AABBCC;
    QCOMPARE(KvRedOf(c), 0xCCu);
    QCOMPARE(KvGreenOf(c), 0xBBu);
    QCOMPARE(KvBlueOf(c), 0xAAu);
    QCOMPARE(KvHighByteOf(c), 0x80u);
    QCOMPARE(KvRgb(0xCC, 0xBB, 0xAA), 0x00AABBCCu);
    QCOMPARE(KvToQColor(0x00AABBCC), QColor(0xCC, 0xBB, 0xAA));
    QCOMPARE(KvFromQColor(QColor(1, 2, 3)), 0x00030201u);
    QCOMPARE(clKvBtnHighlight, 0xFF000014u);
    QCOMPARE(clKvGrayText, 0xFF000011u);
    QCOMPARE(clKvWindowText, 0xFF000008u);
}

void TestKvColor::systemColours_data()
{
    QTest::addColumn<quint32>("number");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("role");
    auto row = [](const char *name, quint32 number, QPalette::ColorGroup group, QPalette::ColorRole role) {
        QTest::addRow("%s (%u)", name, number) << number << int(group) << int(role);
    };
    row("button highlight", 20, QPalette::Active, QPalette::Light);
    row("grey text", 17, QPalette::Disabled, QPalette::Text);
    row("window text", 8, QPalette::Active, QPalette::WindowText);
    row("hot light", 26, QPalette::Active, QPalette::Link);
    row("button face", 15, QPalette::Active, QPalette::Button);
    row("button shadow", 16, QPalette::Active, QPalette::Dark);
    row("button text", 18, QPalette::Active, QPalette::ButtonText);
    row("3-D dark shadow", 21, QPalette::Active, QPalette::Shadow);
    row("3-D light", 22, QPalette::Active, QPalette::Midlight);
    row("window", 5, QPalette::Active, QPalette::Base);
    row("menu", 4, QPalette::Active, QPalette::Window);
    row("menu text", 7, QPalette::Active, QPalette::WindowText);
    row("highlight", 13, QPalette::Active, QPalette::Highlight);
    row("highlighted text", 14, QPalette::Active, QPalette::HighlightedText);
    row("inactive caption", 3, QPalette::Inactive, QPalette::Highlight);
    row("tooltip text", 23, QPalette::Active, QPalette::ToolTipText);
    row("tooltip background", 24, QPalette::Active, QPalette::ToolTipBase);
    row("application workspace", 12, QPalette::Active, QPalette::Mid);
}

void TestKvColor::systemColours()
{
    QFETCH(quint32, number);
    QFETCH(int, group);
    QFETCH(int, role);
    const TColor expected = ColourOf(QPalette::ColorGroup(group), QPalette::ColorRole(role));
    QCOMPARE(KvSysColorValue(number), expected);
    QCOMPARE(ResolveColor(0xFF000000u | number), expected);
    QCOMPARE(ResolveColor(KvSysColor(number)), expected);
    QCOMPARE(KvToQColor(0xFF000000u | number),
             QGuiApplication::palette().color(QPalette::ColorGroup(group), QPalette::ColorRole(role)));
}

void TestKvColor::unknownSystemColoursAreBlack_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addRow("unused 25") << 0xFF000019u;
    QTest::addRow("31") << 0xFF00001Fu;
    QTest::addRow("255") << 0xFF0000FFu;
}

void TestKvColor::unknownSystemColoursAreBlack()
{
    QFETCH(quint32, colour);
    QCOMPARE(ResolveColor(colour), 0u);
}

void TestKvColor::otherColoursAreKept_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addRow("plain") << 0x00123456u;
    QTest::addRow("white") << 0x00FFFFFFu;
    QTest::addRow("high byte 0x02") << 0x02123456u;
    QTest::addRow("high byte 0xFE") << 0xFE000014u;
}

void TestKvColor::otherColoursAreKept()
{
    QFETCH(quint32, colour);
    QCOMPARE(ResolveColor(colour), colour);
}

void TestKvColor::paletteChangesAreFollowed()
{
    const QPalette saved = QGuiApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Active, QPalette::Light, QColor(9, 8, 7));
    QGuiApplication::setPalette(changed);
    QCOMPARE(ResolveColor(clKvBtnHighlight), KvRgb(9, 8, 7));
    QGuiApplication::setPalette(saved);
    QCOMPARE(ResolveColor(clKvBtnHighlight), ColourOf(QPalette::Active, QPalette::Light));
}

void TestKvColor::colorToHsl_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("lightness");
    QTest::addRow("black") << KvRgb(0, 0, 0) << 0 << 0 << 0;
    QTest::addRow("white") << KvRgb(255, 255, 255) << 0 << 0 << 99;
    QTest::addRow("red") << KvRgb(255, 0, 0) << 0 << 100 << 49;
    QTest::addRow("green") << KvRgb(0, 255, 0) << 120 << 100 << 49;
    QTest::addRow("blue") << KvRgb(0, 0, 255) << 240 << 100 << 49;
    QTest::addRow("yellow") << KvRgb(255, 255, 0) << 60 << 100 << 49;
    QTest::addRow("cyan") << KvRgb(0, 255, 255) << 180 << 100 << 49;
    QTest::addRow("magenta") << KvRgb(255, 0, 255) << 300 << 100 << 49;
    QTest::addRow("grey 64") << KvRgb(64, 64, 64) << 0 << 0 << 24;
    QTest::addRow("grey 128") << KvRgb(128, 128, 128) << 0 << 0 << 49;
    QTest::addRow("grey 192") << KvRgb(192, 192, 192) << 0 << 0 << 74;
    QTest::addRow("orange") << KvRgb(255, 128, 0) << 31 << 100 << 49;
    QTest::addRow("violet") << KvRgb(128, 0, 255) << 271 << 100 << 49;
    QTest::addRow("pale red") << KvRgb(255, 200, 200) << 0 << 93 << 88;
    QTest::addRow("button dark F5A997") << 0xF5A997u << 228 << 79 << 77;
    QTest::addRow("button light FDF6EA") << 0xFDF6EAu << 202 << 70 << 94;
    QTest::addRow("label dark E97A01") << 0xE97A01u << 208 << 99 << 45;
}

void TestKvColor::colorToHsl()
{
    QFETCH(quint32, colour);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, lightness);
    const TKvHsl hsl = ColorToHsl(colour);
    QCOMPARE(int(hsl.Hue), hue);
    QCOMPARE(int(hsl.Saturation), saturation);
    QCOMPARE(int(hsl.Lightness), lightness);
    QCOMPARE(int(hsl.Extra), 0);
    // The high byte travels through unchanged; a repeated conversion agrees.
    const TKvHsl withExtra = ColorToHsl(colour | 0x42000000u);
    QCOMPARE(int(withExtra.Extra), 0x42);
    QCOMPARE(int(withExtra.Hue), hue);
    QCOMPARE(ColorToHsl(colour), hsl);
}

void TestKvColor::colorToHslOfSystemColour()
{
    const TKvHsl hsl = ColorToHsl(clKvWindowText);
    QCOMPARE(hsl, ColorToHsl(ColourOf(QPalette::Active, QPalette::WindowText)));
    QCOMPARE(int(hsl.Extra), 0);
}

void TestKvColor::hueZeroWhenGreenEqualsBlue_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addRow("200, 50, 50") << KvRgb(200, 50, 50);
    QTest::addRow("255, 254, 254") << KvRgb(255, 254, 254);
    QTest::addRow("1, 0, 0") << KvRgb(1, 0, 0);
    QTest::addRow("128, 127, 127") << KvRgb(128, 127, 127);
}

void TestKvColor::hueZeroWhenGreenEqualsBlue()
{
    QFETCH(quint32, colour);
    QCOMPARE(int(ColorToHsl(colour).Hue), 0);
}

void TestKvColor::hslToColor_data()
{
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("lightness");
    QTest::addColumn<int>("extra");
    QTest::addColumn<quint32>("colour");
    QTest::addRow("red") << 0 << 100 << 50 << 0 << 0x000000FFu;
    QTest::addRow("green") << 120 << 100 << 50 << 0 << 0x0000FF00u;
    QTest::addRow("blue") << 240 << 100 << 50 << 0 << 0x00FF0000u;
    QTest::addRow("grey 50") << 0 << 0 << 50 << 0 << 0x007F7F7Fu;
    QTest::addRow("white at 100") << 0 << 0 << 100 << 0 << 0x00FFFFFFu;
    QTest::addRow("white from a conversion (99)") << 0 << 0 << 99 << 0 << 0x00FCFCFCu;
    QTest::addRow("red from a conversion") << 0 << 100 << 49 << 0 << 0x000000F9u;
    QTest::addRow("saturated at 100 lightness") << 0 << 100 << 100 << 0 << 0x00FFFFFFu;
    QTest::addRow("hue 359") << 359 << 100 << 50 << 0 << 0x000500FFu;
    QTest::addRow("hue 360 is no sector") << 360 << 100 << 50 << 7 << 0x07000000u;
    QTest::addRow("30, 60, 70") << 30 << 60 << 70 << 0 << 0x0084AFE0u;
    QTest::addRow("200, 40, 30") << 200 << 40 << 30 << 0 << 0x006B592Du;
    QTest::addRow("300, 50, 25") << 300 << 50 << 25 << 0 << 0x005E215Eu;
    QTest::addRow("lightness 0 is black") << 77 << 100 << 0 << 0 << 0x00000000u;
    QTest::addRow("lightness 0 keeps extra") << 200 << 40 << 0 << 0x33 << 0x33000000u;
    QTest::addRow("extra kept") << 0 << 100 << 50 << 0xAB << 0xAB0000FFu;
    // Saturation out of range pushes a channel below 0; it stays 0.
    QTest::addRow("saturation 255") << 0 << 255 << 60 << 0 << 0x000000FFu;
}

void TestKvColor::hslToColor()
{
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, lightness);
    QFETCH(int, extra);
    QFETCH(quint32, colour);
    TKvHsl hsl;
    hsl.Hue = quint16(hue);
    hsl.Saturation = quint8(saturation);
    hsl.Lightness = quint8(lightness);
    hsl.Extra = quint8(extra);
    QCOMPARE(QString::number(HslToColor(hsl), 16), QString::number(colour, 16));
}

void TestKvColor::greyOf_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<int>("grey");
    QTest::addRow("white") << 0x00FFFFFFu << 255;
    QTest::addRow("black") << 0x00000000u << 0;
    QTest::addRow("red") << KvRgb(255, 0, 0) << 79;
    QTest::addRow("green") << KvRgb(0, 255, 0) << 143;
    QTest::addRow("blue") << KvRgb(0, 0, 255) << 31;
    QTest::addRow("mixed") << KvRgb(100, 50, 25) << 62;
    QTest::addRow("high byte ignored") << 0x40FFFFFFu << 255;
}

void TestKvColor::greyOf()
{
    QFETCH(quint32, colour);
    QFETCH(int, grey);
    QCOMPARE(int(GreyOf(colour)), grey);
}

QTEST_MAIN(TestKvColor)
#include "tst_kvcolor.moc"
