#include "kvgradientdialog.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

const QColor TKvGradientDialog::DefaultTop = QColor(0xDE, 0xEB, 0xFF);
const QColor TKvGradientDialog::DefaultBottom = QColor(0xA3, 0xB4, 0xD8);

TKvGradientDialog::TKvGradientDialog(QWidget *owner, Qt::WindowFlags flags) : QDialog(owner, flags), m_owner(owner)
{
    setModal(true);
    // The gradient covers the whole client area: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    applyFont();
}

int TKvGradientDialog::ScreenDpi() const
{
    // Before it is shown the dialog has no screen of its own; the owner's
    // screen is where it will open.
    const QScreen *screen = m_owner ? m_owner->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

int TKvGradientDialog::Scaled(int designed) const
{
    return designed * ScreenDpi() / DesignedDpi;
}

void TKvGradientDialog::SetDesignedClientSize(int width, int height)
{
    SetClientSize(QSize(Scaled(width), Scaled(height)));
}

void TKvGradientDialog::SetClientSize(QSize size)
{
    setFixedSize(size);
}

void TKvGradientDialog::SetGradient(QColor top, QColor bottom)
{
    if (top == m_top && bottom == m_bottom)
        return;
    m_top = top;
    m_bottom = bottom;
    update();
}

void TKvGradientDialog::SetDesignedFontHeight(int pixels)
{
    if (pixels == m_designedFontHeight)
        return;
    m_designedFontHeight = pixels;
    applyFont();
}

void TKvGradientDialog::applyFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(qMax(1, Scaled(m_designedFontHeight)));
    setFont(font);
}

void TKvGradientDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, m_top);
    gradient.setColorAt(1, m_bottom);
    painter.fillRect(rect(), gradient);
}
