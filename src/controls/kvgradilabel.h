#pragma once

#include "kvcolor.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QPainter;
class TKvBmp;
class TKvImageList;

enum TKvGradyStyle { agsVertGradi, agsVertPipe, agsHorzGradi, agsHorzPipe, agsSolid };
enum TKvLabelType { altLabel, altButton, altSpace };
enum TKvImagePos { aipLeft, aipRight };
enum TKvAlignment { taLeftJustify, taRightJustify, taCenter };
// How a control is aligned in its parent; AutoSize leaves the bounds of a
// control aligned to the top, the bottom or the client area alone.
enum TKvAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// A light-weight control that paints a gradient background, an optional image
// from an image list and a one-line caption. As altButton it is a flat push
// button with hot and pressed looks; as altLabel a caption field; as altSpace
// an empty gradient spacer. It paints into its own bitmap and copies that to
// the screen; the picture is repainted only when dirty or when the visual
// state changed.
//
// Properties follow one pattern: a getter named after the property and a
// setter with "Set" in front (ClGradiDark / SetClGradiDark).
class TKvGradiLabel : public QWidget
{
    Q_OBJECT

public:
    enum VisualState { StateNormal = 0, StateHot = 1, StatePressed = 2, StateDisabled = 3 };

    explicit TKvGradiLabel(QWidget *parent = nullptr);
    ~TKvGradiLabel() override;

    TColor ClButtonLight() const { return m_clButtonLight; }
    void SetClButtonLight(TColor colour) { m_clButtonLight = colour; }
    TColor ClButtonShadow() const { return m_clButtonShadow; }
    void SetClButtonShadow(TColor colour) { m_clButtonShadow = colour; }
    TColor ClGradiDark() const { return m_clGradiDark; }
    void SetClGradiDark(TColor colour);
    TColor ClGradiLight() const { return m_clGradiLight; }
    void SetClGradiLight(TColor colour);
    TColor ClDisableDark() const { return m_clDisableDark; }
    void SetClDisableDark(TColor colour) { m_clDisableDark = colour; }
    TColor ClDisableLight() const { return m_clDisableLight; }
    void SetClDisableLight(TColor colour) { m_clDisableLight = colour; }
    TColor ClHotDark() const { return m_clHotDark; }
    void SetClHotDark(TColor colour) { m_clHotDark = colour; }
    TColor ClHotLight() const { return m_clHotLight; }
    void SetClHotLight(TColor colour) { m_clHotLight = colour; }
    TColor ClPressDark() const { return m_clPressDark; }
    void SetClPressDark(TColor colour) { m_clPressDark = colour; }
    TColor ClPressLight() const { return m_clPressLight; }
    void SetClPressLight(TColor colour) { m_clPressLight = colour; }
    TColor ClFontDisable() const { return m_clFontDisable; }
    void SetClFontDisable(TColor colour) { m_clFontDisable = colour; }
    TColor ClFontHot() const { return m_clFontHot; }
    void SetClFontHot(TColor colour) { m_clFontHot = colour; }
    TColor ClFontPressed() const { return m_clFontPressed; }
    void SetClFontPressed(TColor colour) { m_clFontPressed = colour; }
    // The colour of the caption in the normal state (the font's colour).
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor colour);

    TKvGradyStyle GradiStyle() const { return m_gradiStyle; }
    void SetGradiStyle(TKvGradyStyle style);
    TKvAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TKvAlignment alignment);
    TKvAlign Align() const { return m_align; }
    void SetAlign(TKvAlign align);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);
    int MarginTextHorz() const { return m_marginTextHorz; }
    void SetMarginTextHorz(int margin);
    int MarginTextVert() const { return m_marginTextVert; }
    void SetMarginTextVert(int margin);
    int MarginImage() const { return m_marginImage; }
    void SetMarginImage(int margin);
    TKvLabelType LabelType() const { return m_labelType; }
    void SetLabelType(TKvLabelType type) { m_labelType = type; }

    TKvImageList *Images() const;
    void SetImages(TKvImageList *images);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index);
    int ImageHotIndex() const { return m_imageHotIndex; }
    void SetImageHotIndex(int index) { m_imageHotIndex = index; }
    int ImagePressedIndex() const { return m_imagePressedIndex; }
    void SetImagePressedIndex(int index) { m_imagePressedIndex = index; }
    int ImageDisabledIndex() const { return m_imageDisabledIndex; }
    void SetImageDisabledIndex(int index);
    TKvImagePos ImagePos() const { return m_imagePos; }
    void SetImagePos(TKvImagePos pos);

    bool Alive() const { return m_alive; }
    void SetAlive(bool alive);
    int PipeShadow() const { return m_pipeShadow; }
    void SetPipeShadow(int shadow);

    TKvGradiLabel *LabelBefore() const { return m_labelBefore; }
    void SetLabelBefore(TKvGradiLabel *label);
    TKvGradiLabel *LabelAfter() const { return m_labelAfter; }
    void SetLabelAfter(TKvGradiLabel *label);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    // The hint, shown as the tool tip.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString &hint) { setToolTip(hint); }

    // Binds the label to an action: its caption (unless the action has none),
    // hint, enabled and checked state follow the action, and a click
    // triggers it.
    QAction *Action() const { return m_action; }
    void SetAction(QAction *action);
    // What a click does: emits clicked and triggers the action when that is
    // enabled. Assistive technology presses the label through this too.
    void Click();

    // A label that switches something on and off (a check box to assistive
    // technology). A checkable action makes the label checkable and gives it
    // its checked state; otherwise the window sets them.
    bool Checkable() const;
    void SetCheckable(bool checkable);
    bool Checked() const;
    void SetChecked(bool checked);

    // What the number in the caption counts, for assistive technology: with
    // "section" and "sections" a label showing "2" is read as "2 sections".
    QString CountNounOne() const { return m_countNounOne; }
    QString CountNounMany() const { return m_countNounMany; }
    void SetCountNouns(const QString &one, const QString &many);

    // Called after each paint.
    std::function<void(TKvGradiLabel *sender, QPainter *canvas)> OnPaint;

    // The bitmap's row (for the end pieces reading the label's colours).
    const uchar *getScanLine(int row) const;
    // True when the picture in the bitmap is current: not dirty and painted
    // in the present visual state.
    bool GetFullyLoaded() const { return m_loaded && !m_dirty && m_state == m_paintedState; }
    VisualState State() const { return m_state; }
    // The caption's measured extent.
    QSize CaptionSize() const { return m_captionSize; }

    // Loading is complete: the label measures itself and takes its size.
    // Happens by itself before the label is first shown or laid out.
    void Loaded();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void clicked();
    // The label has copied its picture to the screen (the end pieces wait
    // for this before they read the label's colours).
    void Painted();
    // The picture in the bitmap was painted again (after a change of a
    // property, the size or the visual state): the end pieces follow it.
    void PictureChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void adjustBounds();
    void paintBitmap();
    void resizeBitmap();
    void applyFont();
    void setDirty();
    void setVisualState(VisualState state);
    void syncFromAction();
    void notifyAccessibleName();

    std::unique_ptr<TKvBmp> m_bitmap;
    QPointer<QAction> m_action;
    QPointer<QObject> m_images; // the image list (a QObject), cleared when it is destroyed
    QPointer<TKvGradiLabel> m_labelBefore;
    QPointer<TKvGradiLabel> m_labelAfter;

    TColor m_clButtonLight = clKvBtnHighlight;
    TColor m_clButtonShadow = 0x000000;
    TColor m_clGradiDark = 0xE97A01;
    TColor m_clGradiLight = 0xFFFF00;
    TColor m_clDisableDark = 0x858585;
    TColor m_clDisableLight = 0xC1C1C1;
    TColor m_clHotDark = 0xEB8E28;
    TColor m_clHotLight = 0xFEFE3B;
    TColor m_clPressDark = 0xD67000;
    TColor m_clPressLight = 0xF5F500;
    TColor m_clFontDisable = clKvGrayText;
    TColor m_clFontHot = 0x800000;
    TColor m_clFontPressed = clKvWindowText;
    TColor m_fontColor = clKvWindowText;
    TKvGradyStyle m_gradiStyle = agsVertPipe;
    TKvAlignment m_alignment = taLeftJustify;
    TKvAlign m_align = alNone;
    bool m_autoSize = true;
    int m_marginTextHorz = 6;
    int m_marginTextVert = 3;
    int m_marginImage = 3;
    TKvLabelType m_labelType = altLabel;
    int m_imageIndex = -1;
    int m_imageHotIndex = -1;
    int m_imagePressedIndex = -1;
    int m_imageDisabledIndex = -1;
    TKvImagePos m_imagePos = aipLeft;
    bool m_alive = true;
    int m_pipeShadow = 60;
    QString m_caption;
    bool m_checkable = false;
    bool m_checked = false;
    bool m_actionChecked = false; // the action's checked state as last seen
    QString m_countNounOne;
    QString m_countNounMany;

    bool m_dirty = true;
    bool m_loaded = false;
    bool m_pressed = false;
    bool m_clickStarted = false;
    QString m_actionText; // the action's caption last taken over
    bool m_mouseInside = false;
    VisualState m_state = StateNormal;
    VisualState m_paintedState = StateNormal;
    QSize m_captionSize;
};
