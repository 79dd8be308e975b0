#pragma once

#include "kvgradientdialog.h"
#include "kvmodalresult.h"

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QRect;
class QScreen;
class QTimer;
class QWidget;
class TKvButton;
class TKvPanel;
class TKvPngRC;

// Picture kinds of the message box.
enum TKvMsgIcon : int {
    kvIconQuestion = 1,
    kvIconExclamation = 2,
    kvIconError = 3,
    kvIconInfo = 4,
};

// The editor's message box: a title, a message of one or more lines (broken
// only at its line breaks), one of four pictures and the buttons a caller
// adds. It grows to fit its text, opens centred over its owner inside the
// work area of the nearest screen, stays on top, cannot be resized, has no
// close button and moves the pointer onto its default button. Button
// captions are Danish for a user in Denmark. exec() returns the
// TKvModalResult of the button that closed it.
class TKvMsgBox : public TKvGradientDialog
{
    Q_OBJECT

public:
    // owner: the window the box is centred over, or none.
    explicit TKvMsgBox(QWidget *owner = nullptr);
    ~TKvMsgBox() override;

    const QString &Message() const { return m_message; }
    void SetMessage(const QString &text);
    // Enables, shows and counts the button.
    void AddButton(TKvButton *button);
    // The button that gives `result`, or none.
    TKvButton *ButtonFor(TKvModalResult result) const;
    int PictureKind() const { return m_pictureKind; }
    void SetIcon(int kind);
    // The picture shown; none before SetIcon.
    TKvPngRC *Picture() const { return m_picture; }
    // Chosen when the box is shown.
    TKvButton *DefaultButton() const { return m_defaultButton; }
    // The answer whose button is the default when the box shows (tmrNone: the first one).
    void SetDefaultResult(TKvModalResult result) { m_defaultResult = result; }
    int ButtonCount() const { return m_buttonCount; }

    // True when the user's locale territory is Denmark.
    static bool DanishUser();
    // Moving the pointer is possible under X11 only (not under Wayland or
    // the offscreen platform).
    static bool CanMovePointer();
    // Moves the pointer to a point on the screen; tests replace it.
    using TKvPointerMover = std::function<void(const QPoint &global)>;
    static TKvPointerMover SetPointerMover(TKvPointerMover mover);

    // Where a box of `frame` (its outer rectangle) goes: moved into the work
    // area of the screen nearest to its top-left corner.
    static QRect PlacedInWorkArea(const QRect &frame);

    // ---- Controls ----
    TKvPanel *KvPanel1 = nullptr;
    QWidget *PaintBox = nullptr;
    QLabel *LbMsg = nullptr;
    TKvPanel *PnlButtons = nullptr;
    TKvButton *ButRetry = nullptr;
    TKvButton *ButOk = nullptr;
    TKvButton *ButYes = nullptr;
    TKvButton *ButAll = nullptr;
    TKvButton *ButNo = nullptr;
    TKvButton *ButNone = nullptr;
    TKvButton *ButIgnore = nullptr;
    TKvButton *ButAbort = nullptr;
    TKvButton *ButCancel = nullptr;
    TKvPngRC *RcQuestion = nullptr;
    TKvPngRC *RcExclamation = nullptr;
    TKvPngRC *RcError = nullptr;
    TKvPngRC *RcInfo = nullptr;
    QTimer *Timer1 = nullptr;

public Q_SLOTS:
    // Escape and the window's close answer Cancel, else No; a box with
    // neither stays open.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void ChooseDefaultButton();
    void FitText();
    // The frame the window manager draws around the box, or its best guess.
    QMargins FrameMargins() const;
    void PlaceBox();
    void StartPointerSnap();
    void SnapPointer();
    void Timer1Timer();
    void ArrangeControls();
    QList<TKvButton *> Buttons() const;

    QString m_message;
    int m_pictureKind = 0;
    TKvPngRC *m_picture = nullptr;
    int m_buttonCount = 0;
    TKvButton *m_defaultButton = nullptr;
    TKvModalResult m_defaultResult = tmrNone;
    QPointer<QWidget> m_owner;
    enum { SnapIdle, SnapWaiting, SnapStarted } m_snapState = SnapIdle;
    int m_frameWaits = 0;
};

// The only ways the program shows a question, an error or a notice. The owner
// is the window the box is centred over, or none.
void ShowMsgBox(const QString &caption, const QString &text, int pictureKind, QWidget *owner = nullptr);
void InfoBox(const QString &caption, const QString &text, QWidget *owner = nullptr);
void ErrorBox(const QString &caption, const QString &text, QWidget *owner = nullptr);
bool YesNoBox(const QString &caption, const QString &text, QWidget *owner = nullptr);
// A question whose safe answer is No: Enter answers No.
bool YesNoBoxDefaultNo(const QString &caption, const QString &text, QWidget *owner = nullptr);
TKvModalResult YesNoCancelBox(const QString &caption, const QString &text, QWidget *owner = nullptr);

// For tests: while a hook is installed no box is shown; the hook sees what
// would have been shown and gives the answer (tmrOK for boxes with one button).
struct TKvMsgBoxRequest
{
    QString caption;
    QString text;
    int pictureKind = 0;
    QList<TKvModalResult> buttons;
    // The button Enter presses; tmrNone: the first of buttons.
    TKvModalResult defaultButton = tmrNone;
};
using TKvMsgBoxHook = std::function<TKvModalResult(const TKvMsgBoxRequest &request)>;
TKvMsgBoxHook SetMsgBoxHook(TKvMsgBoxHook hook);
