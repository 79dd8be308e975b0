#pragma once

#include "kvcolor.h"
#include "kvgradilabel.h" // TKvAlignment
#include "kvrect.h"

#include <QMargins>
#include <QWidget>

#include <functional>

class QPainter;

enum TKvVerticalAlignment { tvaTop, tvaCenter, tvaBottom };
enum TKvGradientDirection { gdHorizontal, gdVertical };
// The look of a bevel: none, sunken, raised; a spacer bevel is drawn raised.
enum TKvBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A container panel that paints its background as a two-colour gradient
// (plain or "pipe"), can draw a coloured border whose inner corners are
// softly rounded, and draws its caption with vertical alignment, extra pads
// and optional line breaks ("||" starts them; from there on "||", "**" and
// "¤¤" each break the line).
//
// Paint order: outer bevel, border, inner bevel, background, soft inner
// corners, caption. OnPaintBegin may take over the whole painting; OnPainted
// follows it. The panel paints with QPainter on itself; only the soft corners
// go through a bitmap. Padding is the widget's contents margins, so a layout
// in the panel keeps it too.
//
// Properties follow one pattern: a getter named after the property and a
// setter with "Set" in front; setters repaint only when the value changed.
class TKvPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TKvPanel(QWidget *parent = nullptr);
    ~TKvPanel() override;

    TKvVerticalAlignment AlignmentVertical() const { return m_alignmentVertical; }
    void SetAlignmentVertical(TKvVerticalAlignment alignment);
    // Paint the background with Color, overriding the gradient.
    bool BkgdefaultPaint() const { return m_bkgdefaultPaint; }
    void SetBkgdefaultPaint(bool on);
    bool BorderSoftInner() const { return m_borderSoftInner; }
    void SetBorderSoftInner(bool on);
    TColor ClBegin() const { return m_clBegin; }
    void SetClBegin(TColor colour);
    TColor ClEnd() const { return m_clEnd; }
    void SetClEnd(TColor colour);
    TColor ClBorder() const { return m_clBorder; }
    void SetClBorder(TColor colour);
    // Qt paints nothing under the panel first (the panel covers itself).
    bool DontEraceBkg() const { return m_dontEraceBkg; }
    void SetDontEraceBkg(bool on);
    // Darkening of the far end of a pipe, 0 … 255.
    int GradientDarkerEnd() const { return m_gradientDarkerEnd; }
    void SetGradientDarkerEnd(int amount);
    TKvGradientDirection GradientDirection() const { return m_gradientDirection; }
    void SetGradientDirection(TKvGradientDirection direction);
    bool GradientFill() const { return m_gradientFill; }
    void SetGradientFill(bool on);
    bool GradientPipe() const { return m_gradientPipe; }
    void SetGradientPipe(bool on);
    bool NoPaint() const { return m_noPaint; }
    void SetNoPaint(bool on);
    int TextPadBottom() const { return m_textPadBottom; }
    void SetTextPadBottom(int pad);
    int TextPadLeft() const { return m_textPadLeft; }
    void SetTextPadLeft(int pad);
    int TextPadRight() const { return m_textPadRight; }
    void SetTextPadRight(int pad);
    int TextPadTop() const { return m_textPadTop; }
    void SetTextPadTop(int pad);

    // The panel's own properties.
    TKvAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TKvAlignment alignment);
    TKvBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TKvBevelCut bevel);
    TKvBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TKvBevelCut bevel);
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int width);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    bool ShowCaption() const { return m_showCaption; }
    void SetShowCaption(bool on);
    TColor Color() const { return m_color; }
    void SetColor(TColor colour);
    // The caption's colour.
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor colour);
    QMargins Padding() const { return contentsMargins(); }
    void SetPadding(const QMargins &padding);

    // Before painting; setting `handled` skips the panel's own painting.
    std::function<void(TKvPanel *sender, QPainter *canvas, const TKvRect &r, bool &handled)> OnPaintBegin;
    // After painting.
    std::function<void(TKvPanel *sender, QPainter *canvas, const TKvRect &r)> OnPainted;

    // The caption as it is drawn: from the first "||" on every "||", "**"
    // and "¤¤" becomes CR LF; without "||" it is returned unchanged.
    static QString BrokenCaption(const QString &caption);

protected:
    // Draws the caption into `r` with the panel's font.
    virtual void drawCaption(QPainter *surface, const TKvRect &r);

    void paintEvent(QPaintEvent *event) override;

private:
    void paintGradient(QPainter &painter, const TKvRect &r);
    void drawSoftInnerCorners(QPainter &painter, const TKvRect &r);
    template <typename T> void store(T &field, T value);

    TKvVerticalAlignment m_alignmentVertical = tvaCenter;
    bool m_bkgdefaultPaint = false;
    bool m_borderSoftInner = true;
    TColor m_clBegin = 0xFDF5E5;
    TColor m_clEnd = 0xBEB6AC;
    TColor m_clBorder = 0x000000;
    bool m_dontEraceBkg = false;
    int m_gradientDarkerEnd = 20;
    TKvGradientDirection m_gradientDirection = gdVertical;
    bool m_gradientFill = false;
    bool m_gradientPipe = false;
    bool m_noPaint = false;
    int m_textPadBottom = 0;
    int m_textPadLeft = 0;
    int m_textPadRight = 0;
    int m_textPadTop = 0;

    TKvAlignment m_alignment = taCenter;
    TKvBevelCut m_bevelOuter = bvRaised;
    TKvBevelCut m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QString m_caption;
    bool m_showCaption = true;
    TColor m_color = KvSysColor(scBtnFace);
    TColor m_fontColor = clKvWindowText;
};
