#pragma once

#include "kvcolor.h"
#include "kvcustomcontrol.h"
#include "kvimagelist.h"
#include "kvmodalresult.h"

#include <QMargins>
#include <QPointer>

class QAction;
class QKeyEvent;
class TKvButton;

enum TKvButtonStyle { bstButton, bstFlat, bstFlatAndButton, bstNone };
enum TKvFocusStyle { tfsNone, tfsDottetRect, tfsColorRect, tfsColorMark, tfsStar, tfsHalfHot };
enum TKvImageAlignment { tiaLeft, tiaRight, tiaTop, tiaBottom, tiaCenter };
enum TKvLayoutStyle { tlsCenterTextAndImageClose, tlsCenterTextInRest, tlsTextFolowImage };
enum TKvPosInRect { pirUpLeft, pirUpRight, pirDownRight, pirDownLeft };
enum TKvShape { tasCircle, tasSquare, tasDiamond, tasStar };
enum TKvThreeSizes { ttsSmall, ttsMedium, ttsLarge };
enum TKvButtonState { tbsNormal = 0, tbsHot = 1, tbsHalfHot = 2, tbsPressed = 3, tbsDisabled = 4 };

// Binds a button to a QAction: caption (when the action has a text), hint
// (the status tip), enabled state, a click triggers the action. An action
// may carry an image index as the dynamic property "imageIndex"; the button
// takes it when the action is assigned (or, with checkDefaults, when its own
// index is -1), and follows a later change of it only while the button's
// index still equals the action's: a button given its own index keeps it.
class TKvButtonActionLink : public QObject
{
    Q_OBJECT

public:
    TKvButtonActionLink(TKvButton *client, QAction *action);
    ~TKvButtonActionLink() override;

    QAction *Action() const { return m_action; }
    // The button shows the action's image index.
    bool IsImageIndexLinked() const;
    // Takes the action's caption, hint, enabled state and, unless
    // checkDefaults is set and the button has an image, its image index.
    void ActionChange(bool checkDefaults);

    // The image index an action carries; -1 when it has none.
    static int ActionImageIndex(const QAction *action);
    static void SetActionImageIndex(QAction *action, int index);
    static constexpr const char *ImageIndexProperty = "imageIndex";

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetImageIndex(int value);
    void ActionChanged();

    TKvButton *m_client;
    QPointer<QAction> m_action;
    int m_actionImageIndex = -1; // the action's index as last seen
    QString m_actionText;        // the action's caption last taken over
};

// A focusable push button that paints itself completely into its bitmap: a
// shaded rounded face in one of several colour sets (or flat, or none), an
// optional image, a one- or multi-line caption, a focus indicator and an
// optional marker in a corner.
//
// It can latch down in a group of exclusive buttons (GroupIndex), answer
// Enter as the default button and Escape as the cancel button of its window,
// click on its caption's accelerator character (with or without Alt, when
// the focused control does not take the character), and close its QDialog
// with ModalResult. A caption with "¤¤", "||" or "**" is drawn on several
// lines, broken at every such pair from the first one on; the hint is shown
// on green with the same pairs as line breaks.
//
// Properties follow one pattern: a getter named after the property and a
// setter with "Set" in front.
class TKvButton : public TKvCustomControl
{
    Q_OBJECT

public:
    explicit TKvButton(QWidget *parent = nullptr);
    ~TKvButton() override;

    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool allow);
    bool AutoGrayDisabled() const { return m_autoGrayDisabled; }
    void SetAutoGrayDisabled(bool on) { m_autoGrayDisabled = on; }
    TKvButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TKvButtonStyle style);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool cancel) { m_cancel = cancel; }
    // Setting one of these derives a colour set from it (see the .cpp).
    TColor ClAutoDark() const { return m_clAutoDark; }
    void SetClAutoDark(TColor colour);
    TColor ClAutoLight() const { return m_clAutoLight; }
    void SetClAutoLight(TColor colour);
    TColor ClDimmedDark() const { return m_clDimmedDark; }
    void SetClDimmedDark(TColor colour) { setColour(m_clDimmedDark, colour); }
    TColor ClDimmedLight() const { return m_clDimmedLight; }
    void SetClDimmedLight(TColor colour) { setColour(m_clDimmedLight, colour); }
    TColor ClDisabDark() const { return m_clDisabDark; }
    void SetClDisabDark(TColor colour) { setColour(m_clDisabDark, colour); }
    TColor ClDisabLight() const { return m_clDisabLight; }
    void SetClDisabLight(TColor colour) { setColour(m_clDisabLight, colour); }
    TColor ClHotDark() const { return m_clHotDark; }
    void SetClHotDark(TColor colour) { setColour(m_clHotDark, colour); }
    TColor ClHotLight() const { return m_clHotLight; }
    void SetClHotLight(TColor colour) { setColour(m_clHotLight, colour); }
    TColor ClSelDownDark() const { return m_clSelDownDark; }
    void SetClSelDownDark(TColor colour) { setColour(m_clSelDownDark, colour); }
    TColor ClSelDownLight() const { return m_clSelDownLight; }
    void SetClSelDownLight(TColor colour) { setColour(m_clSelDownLight, colour); }
    // Enter clicks the button while no other button has the focus.
    bool Default() const { return m_default; }
    void SetDefault(bool on);
    // Latched down; only a button of a group (GroupIndex not 0) stays down.
    bool Down() const { return m_down; }
    void SetDown(bool down);
    TColor FocusColor() const { return m_focusColor; }
    void SetFocusColor(TColor colour) { setColour(m_focusColor, colour); }
    TKvFocusStyle FocusStyle() const { return m_focusStyle; }
    void SetFocusStyle(TKvFocusStyle style);
    TColor FontClDisabled() const { return m_fontClDisabled; }
    void SetFontClDisabled(TColor colour) { setColour(m_fontClDisabled, colour); }
    TColor FontClDown() const { return m_fontClDown; }
    void SetFontClDown(TColor colour) { setColour(m_fontClDown, colour); }
    TColor FontClHot() const { return m_fontClHot; }
    void SetFontClHot(TColor colour) { setColour(m_fontClHot, colour); }
    TColor FontClDimmed() const { return m_fontClDimmed; }
    void SetFontClDimmed(TColor colour) { setColour(m_fontClDimmed, colour); }
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int index);
    TKvImageAlignment ImageAlignment() const { return m_imageAlignment; }
    void SetImageAlignment(TKvImageAlignment alignment);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index) { setImageIndex(m_imageIndex, index); }
    int ImageIndexDisabled() const { return m_imageIndexDisabled; }
    void SetImageIndexDisabled(int index) { setImageIndex(m_imageIndexDisabled, index); }
    int ImageIndexHot() const { return m_imageIndexHot; }
    void SetImageIndexHot(int index) { setImageIndex(m_imageIndexHot, index); }
    int ImageIndexPressed() const { return m_imageIndexPressed; }
    void SetImageIndexPressed(int index) { setImageIndex(m_imageIndexPressed, index); }
    QMargins ImageMargins() const { return m_imageMargins; }
    void SetImageMargins(const QMargins &margins);
    TKvImageList *Images() const { return m_images; }
    void SetImages(TKvImageList *images);
    TKvLayoutStyle LayoutStyle() const { return m_layoutStyle; }
    void SetLayoutStyle(TKvLayoutStyle style);
    TColor MarkColor() const { return m_markColor; }
    void SetMarkColor(TColor colour) { setColour(m_markColor, colour); }
    TKvPosInRect MarkPos() const { return m_markPos; }
    void SetMarkPos(TKvPosInRect pos);
    TKvShape MarkShape() const { return m_markShape; }
    void SetMarkShape(TKvShape shape);
    bool MarkShow() const { return m_markShow; }
    void SetMarkShow(bool show);
    TKvThreeSizes MarkSize() const { return m_markSize; }
    void SetMarkSize(TKvThreeSizes size);
    TKvModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TKvModalResult result) { m_modalResult = result; }
    bool PipeGradient() const { return m_pipeGradient; }
    void SetPipeGradient(bool pipe);
    int PipeShadow() const { return m_pipeShadow; }
    void SetPipeShadow(int shadow);
    bool ShowCaption() const { return m_showCaption; }
    void SetShowCaption(bool show);
    // Tab stop: the button takes the focus by Tab and by a click.
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on);

    // The hint as written ("||", "**", "¤¤" allowed) and as shown.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString &hint) { setToolTip(hint); }
    QString HintText() const;
    static constexpr TColor HintColor = 0x00FF00;

    QAction *Action() const;
    void SetAction(QAction *action);
    TKvButtonActionLink *ActionLink() const { return m_actionLink; }

    // The button's click: toggles a group button, gives the dialog the modal
    // result, emits clicked and triggers the action.
    void Click();
    // A key nobody took in the button's window (Escape, Enter) or a
    // character (the caption's accelerator): true when the button clicked.
    bool DialogKey(int key, Qt::KeyboardModifiers modifiers);
    bool DialogChar(const QString &text);
    // The accelerator character of the caption (after a single "&"), or null.
    static QChar AcceleratorOf(const QString &caption);

    // The state the button paints in now.
    TKvButtonState getButtonState() const;
    // Enter answers this button.
    bool ActiveDefault() const { return m_activeDefault; }
    // The focus indicator is drawn: the button has the focus, or it is the
    // default button and no other button has it (Enter would press it).
    bool ShowsFocus() const;
    // The 1-based position of the first line-break pair ("¤¤", else "||",
    // else "**"); 0 when the caption has none.
    int MarkerPos() const { return m_markerPos; }
    // The caption as measured and drawn: from the marker on every pair
    // becomes CR LF.
    QString LayoutCaption() const;
    // Computes the caption and image rectangles for the current size.
    void calculateRects();
    const TKvRect &CaptionRect() const { return m_captionRect; }
    const TKvRect &ImageRect() const { return m_imageRect; }
    bool LayoutDirty() const { return m_layoutDirty; }

    QSize sizeHint() const override { return size(); }

Q_SIGNALS:
    void clicked();

protected:
    void setAlive(bool alive) override;
    void PrepareBitmaps(int width, int height) override;
    void KvPaint(TKvBmp *bitmap, const TKvRect &bounds) override;
    void FocusChanged() override;
    void TextChanged() override;

    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    friend class TKvButtonActionLink;

    void setColour(TColor &field, TColor value);
    void setImageIndex(int &field, int value);
    void setLayoutDirty();
    bool canFocus() const;
    bool hasAnyImageIndex() const;
    void updateExclusiveDown();
    void ExternButtenIsDown(TKvButton *sender);
    void attachDialogKeys();

    void paintButton(TKvButtonState state);
    void paintButtonFlat(TKvButtonState state);
    void paintImage(TKvButtonState state);
    void paintCaption(TKvButtonState state);
    void paintFocus(TKvButtonState state);
    void paintMarker(TKvButtonState state);

    bool m_allowAllUp = false;
    bool m_autoGrayDisabled = false;
    TKvButtonStyle m_buttonStyle = bstButton;
    bool m_cancel = false;
    TColor m_clAutoDark = 0xF5A997;
    TColor m_clAutoLight = 0xFDF6EA;
    TColor m_clDimmedDark = 0xE5B2A3;
    TColor m_clDimmedLight = 0xDBD8BC;
    TColor m_clDisabDark = 0xACACAC;
    TColor m_clDisabLight = 0xE4E4E4;
    TColor m_clHotDark = 0xF5A997;
    TColor m_clHotLight = 0xFDF6BA;
    TColor m_clSelDownDark = 0xF5A997;
    TColor m_clSelDownLight = 0xFDF6BA;
    bool m_default = false;
    bool m_down = false;
    TColor m_focusColor = 0xFF0000;
    TKvFocusStyle m_focusStyle = tfsDottetRect;
    TColor m_fontClDisabled = 0x707070;
    TColor m_fontClDown = 0x800000;
    TColor m_fontClHot = 0x800000;
    TColor m_fontClDimmed = clKvWindowText;
    int m_groupIndex = 0;
    TKvImageAlignment m_imageAlignment = tiaLeft;
    int m_imageIndex = -1;
    int m_imageIndexDisabled = -1;
    int m_imageIndexHot = -1;
    int m_imageIndexPressed = -1;
    QMargins m_imageMargins;
    QPointer<TKvImageList> m_images;
    TKvLayoutStyle m_layoutStyle = tlsCenterTextAndImageClose;
    TColor m_markColor = 0xFFFFFF;
    TKvPosInRect m_markPos = pirUpLeft;
    TKvShape m_markShape = tasStar;
    bool m_markShow = false;
    TKvThreeSizes m_markSize = ttsMedium;
    TKvModalResult m_modalResult = tmrNone;
    bool m_pipeGradient = true;
    int m_pipeShadow = 40;
    bool m_showCaption = true;

    bool m_layoutDirty = true;
    TKvRect m_imageRect;
    TKvRect m_captionRect;
    int m_markerPos = 0;
    bool m_mouseHeld = false;
    bool m_heldOutside = false;
    bool m_spaceHeld = false;
    bool m_activeDefault = false;
    int m_shortcutId = 0; // Alt + the caption's accelerator
    TKvButtonActionLink *m_actionLink = nullptr;
};
