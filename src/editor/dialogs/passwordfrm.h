#pragma once

#include "kvgradientdialog.h"

#include <QSpinBox>

#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class TKvButton;
class TKvImageList;

// The characters a password is drawn from, in this order: lowercase letters,
// uppercase letters, digits, each when asked for.
QString PasswordPool(bool lower, bool upper, bool numbers);

// A source of independent, uniformly distributed 32-bit numbers.
using TKvDraw32 = std::function<quint32()>;
// The system's cryptographic generator.
TKvDraw32 SystemDraw32();

// `length` characters, each drawn independently from `pool`: a 32-bit draw d
// picks index (pool length × d) / 2^32, the upper half of the 64-bit product,
// which is uniform over the pool up to 2^-32. An empty pool gives an empty text.
QString GeneratePassword(const QString &pool, int length, const TKvDraw32 &draw = SystemDraw32());

// The length control: an up-down whose read-only text field shows the number.
class TKvUpDown : public QSpinBox
{
    Q_OBJECT

public:
    explicit TKvUpDown(QWidget *parent = nullptr);
    QLineEdit *Edit() const { return lineEdit(); }
};

// Generates random passwords. The owner may hide ButApply (the main window
// does: it only copies to the clipboard); on Accepted the caller reads
// EdResult.
class TPasswordFrm : public TKvGradientDialog
{
    Q_OBJECT

public:
    // Pictures of IlButtons on the copy button.
    static constexpr int PicCopy = 24;
    static constexpr int PicCopyDisabled = 25;

    explicit TPasswordFrm(QWidget *owner = nullptr);
    ~TPasswordFrm() override;

    QLabel *Label1 = nullptr;
    TKvUpDown *UpDownLength = nullptr;
    QLineEdit *EdLength = nullptr; // the up-down's own text field
    QCheckBox *CbxLower = nullptr;
    QCheckBox *CbxUpper = nullptr;
    QCheckBox *CbxNumbers = nullptr;
    TKvButton *ButGenerate = nullptr;
    QLineEdit *EdResult = nullptr;
    TKvButton *ButCopyToClip = nullptr;
    QFrame *Bevel1 = nullptr;
    TKvButton *ButApply = nullptr;
    TKvButton *ButCancel = nullptr;
    TKvImageList *IlButtons = nullptr;

    // The draws behind Generate; the system's cryptographic generator unless
    // a test puts its own.
    TKvDraw32 Draw = SystemDraw32();

    void ButGenerateClick();
    void ButCopyToClipClick();

private:
    void EdResultChange();
};
