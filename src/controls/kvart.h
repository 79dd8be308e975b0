#pragma once

#include "kvgradilabel.h"

enum TKvArtType {
    aatSpace,
    aatCornerNW,
    aatCornerNE,
    aatCornerSE,
    aatCornerSW,
    aatEndDown,
    aatEndUp,
    aatEndLeft,
    aatEndRight,
};

// A decorative piece that closes a row or column of gradient labels: an end
// piece continues the neighbouring label's colours and fades them out towards
// the label's dark colour; a corner joins two groups along a diagonal. While
// a linked label has not painted its picture yet, the piece waits and paints
// again when the label has painted.
class TKvArt : public QWidget
{
    Q_OBJECT

public:
    explicit TKvArt(QWidget *parent = nullptr);
    ~TKvArt() override;

    TColor ClGradiDark() const { return m_clGradiDark; }
    void SetClGradiDark(TColor colour);
    TColor ClGradiLight() const { return m_clGradiLight; }
    void SetClGradiLight(TColor colour);
    TKvGradyStyle ArtStyle() const { return m_artStyle; }
    void SetArtStyle(TKvGradyStyle style);
    TKvArtType ArtType() const { return m_artType; }
    void SetArtType(TKvArtType type);
    int PipeShadow() const { return m_pipeShadow; }
    void SetPipeShadow(int shadow);
    TKvGradiLabel *LabelBefore() const { return m_labelBefore; }
    void SetLabelBefore(TKvGradiLabel *label);
    TKvGradiLabel *LabelAfter() const { return m_labelAfter; }
    void SetLabelAfter(TKvGradiLabel *label);

    std::function<void(TKvArt *sender, QPainter *canvas)> OnPaint;

    const uchar *getScanLine(int row) const;
    bool IsDirty() const { return m_dirty; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void setDirty();
    // Follows the label's paints (to try again) and its destruction.
    void watchLabel(TKvGradiLabel *old, TKvGradiLabel *label);
    void labelPainted();
    // Paints the picture; false when it must be tried again (labels not yet
    // painted, or the size had to follow a label).
    bool paintBitmap();

    std::unique_ptr<TKvBmp> m_bitmap;
    QPointer<TKvGradiLabel> m_labelBefore;
    QPointer<TKvGradiLabel> m_labelAfter;
    TColor m_clGradiDark = 0xE97A01;
    TColor m_clGradiLight = 0xFFFF00;
    TKvGradyStyle m_artStyle = agsVertPipe;
    TKvArtType m_artType = aatSpace;
    int m_pipeShadow = 60;
    bool m_dirty = true;
};
