#pragma once

#include "kvgradientdialog.h"

#include <functional>

class QLabel;
class TKvButton;
class TKvImageList;
class TKvPngRC;

// A row that keeps its one inner panel centred whatever its width.
class TKvCentredRow : public QWidget
{
    Q_OBJECT

public:
    explicit TKvCentredRow(QWidget *parent = nullptr);
    QWidget *Inner() const { return m_inner; }
    // Fits the inner panel to its contents and centres it again.
    void Recentre();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_inner;
};

// The about dialog: logo, name and version, copyright, a link to the maker's
// web site and one for mailing a bug report. It has no title bar, cannot be
// moved or resized, and closes with OK or Enter only. Clicking the name copies
// it; Ctrl+click on a link copies its address instead of opening it, and
// Ctrl+Shift+click on the mail link copies the address with name and version.
class TInfoForm : public TKvGradientDialog
{
    Q_OBJECT

public:
    static const QString Copyright;

    // owner: the main window the dialog is centred on, or none.
    explicit TInfoForm(QWidget *owner = nullptr);
    ~TInfoForm() override;

    // "ver. " and the executable's file version; empty when it has none.
    QString VersionText() const { return m_versionText; }
    // The name row's text: "Quillon", a space and the version text.
    QString AppNameText() const;
    // What the links open or copy.
    QString MailAddress() const;
    QString MailCopyText() const;

    void PnlAppNameClick();
    void LbWebSiteClick();
    void LbEmailClick();

    // The executable whose version is shown; the running one unless changed.
    QString ExecutablePath;
    // The Ctrl and Shift state at the moment of a click, read from the
    // keyboard; tests replace it.
    std::function<Qt::KeyboardModifiers()> KeyboardState;

    // ---- Controls ----
    QWidget *PnlSurface = nullptr;
    QLabel *ImgLogo = nullptr;
    QWidget *PnlSpace1 = nullptr;
    QLabel *PnlAppName = nullptr;
    QLabel *PnlCopyright = nullptr;
    TKvCentredRow *PnlWeb = nullptr;
    QLabel *LbWebSite = nullptr;
    TKvCentredRow *PnlMail = nullptr;
    QLabel *LbEmail = nullptr;
    QWidget *PnlSpace2 = nullptr;
    QWidget *PnlBottom = nullptr;
    TKvButton *ButOk = nullptr;
    TKvPngRC *Logo = nullptr;
    TKvImageList *IlGlyph = nullptr;

public Q_SLOTS:
    // There is no cancel: Escape does nothing.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();

    QWidget *m_owner;
    QString m_versionText;
    bool m_shown = false;
    QPoint m_fixedPos;
};
