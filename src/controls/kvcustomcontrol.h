#pragma once

#include "kvrect.h"

#include <QString>
#include <QWidget>

#include <memory>

class QPainter;
class TKvBmp;

// Gives `bitmap` the widget's font (face, point size, style) at the widget's
// pixels per inch, keeping the bitmap's text colour.
void KvSetBitmapFont(TKvBmp &bitmap, const QWidget &widget);

// The base of the focusable custom-painted controls. It owns a bitmap of
// exactly the control's size, rebuilt only when the size changes; each paint
// lets the descendant draw the whole picture into the bitmap (KvPaint), which
// starts from the parent's background, and then copies the bitmap to the
// screen in one piece. It tracks the mouse for the hot look unless Alive is
// off.
//
// The parent's background is the parent's own picture behind the control,
// rendered without the parent's children, so the rendering never comes back
// into this control.
class TKvCustomControl : public QWidget
{
    Q_OBJECT

public:
    explicit TKvCustomControl(QWidget *parent = nullptr);
    ~TKvCustomControl() override;

    bool Alive() const { return m_alive; }
    void SetAlive(bool alive) { setAlive(alive); }
    bool IsHot() const { return m_isHot; }
    // Repaints only when the value changes.
    void setIsHot(bool hot);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString &caption);

    // The bitmap the control paints (null only while its size is 0 × 0
    // before the first resize) and its bounds (0, 0, width, height).
    TKvBmp *Bitmap() const { return m_bitmap.get(); }
    const TKvRect &Bounds() const { return m_bounds; }

    // Draws the part of the parent's background that lies behind this
    // control into `surface`, with the control's top left corner at (0, 0).
    void getParentBackground(QPainter *surface) const;

protected:
    // The virtual operations of the control, in this order.
    virtual void setAlive(bool alive);
    // Called after every resize of the bitmap and when the control is shown.
    virtual void PrepareBitmaps(int width, int height);
    // Paints the whole control into the bitmap; the base paints the parent's
    // background.
    virtual void KvPaint(TKvBmp *bitmap, const TKvRect &bounds);
    virtual bool MouseIsIn(int x, int y) const;
    // The keyboard focus moved somewhere in the control's window.
    virtual void FocusChanged();
    // The caption changed; the base repaints.
    virtual void TextChanged();

    // Starts the bitmap's picture from the parent's background.
    void UdateBackground();
    // Gives the bitmap the control's font and transparent text.
    void UpdateBmpFont();

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void sizeChanged();
    void onApplicationFocusChanged(QWidget *old, QWidget *now);

    std::unique_ptr<TKvBmp> m_bitmap;
    bool m_isHot = false;
    bool m_alive = true;
    TKvRect m_bounds;
    QString m_caption;
};
