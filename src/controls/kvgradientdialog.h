#pragma once

#include <QColor>
#include <QDialog>
#include <QSize>

// The base of the editor's own dialogs: modal, of fixed size, without close,
// minimise or maximise buttons, painted as a vertical gradient, laid out in
// pixels designed at 144 pixels per inch and scaled to the screen the dialog
// opens on (value × dpi / 144, integer division, as the main window scales).
// Its font is the desktop's UI font at a designed pixel height.
//
// It knows nothing about any one dialog: a subclass builds its controls,
// sizes them with Scaled() and fixes the client size with
// SetDesignedClientSize().
class TKvGradientDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int DesignedDpi = 144;
    static const QColor DefaultTop;    // RGB DEEBFF
    static const QColor DefaultBottom; // RGB A3B4D8

    // A title bar with the caption only.
    static constexpr Qt::WindowFlags TitleOnlyFlags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    // A title bar with at most a system menu: no minimise, maximise or close
    // button. On X11 Qt turns both into the Motif hints "move and resize
    // only, no buttons"; a manager that shows a close button anyway closes
    // the dialog as Cancel does.
    static constexpr Qt::WindowFlags TitleAndMenuFlags = TitleOnlyFlags | Qt::WindowSystemMenuHint;

    explicit TKvGradientDialog(QWidget *owner = nullptr, Qt::WindowFlags flags = TitleOnlyFlags);

    // Pixels per inch of the screen of the owner (or of the primary screen).
    int ScreenDpi() const;
    // A designed length in pixels on this screen.
    int Scaled(int designed) const;

    // Fixes the client area at the scaled designed size.
    void SetDesignedClientSize(int width, int height);
    // Fixes the client area at a size already in screen pixels (a dialog
    // that grows to fit its contents).
    void SetClientSize(QSize size);

    QColor GradientTop() const { return m_top; }
    QColor GradientBottom() const { return m_bottom; }
    void SetGradient(QColor top, QColor bottom);

    // The font's pixel height at 144 ppi; 18 unless changed.
    int DesignedFontHeight() const { return m_designedFontHeight; }
    void SetDesignedFontHeight(int pixels);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyFont();

    QWidget *m_owner;
    QColor m_top = DefaultTop;
    QColor m_bottom = DefaultBottom;
    int m_designedFontHeight = 18;
};
