#pragma once

#include "kvgradientdialog.h"
#include "settings/preferences.h"

class QCheckBox;
class QComboBox;
class QLabel;
class TKvButton;

// The preferences: the system code page (the locale's, or one chosen) and
// whether saves keep each file's layout.
class TFrmPreferences : public TKvGradientDialog
{
    Q_OBJECT

public:
    explicit TFrmPreferences(QWidget *owner = nullptr);

    void SetPreferences(const TKvPreferences &preferences);
    TKvPreferences Preferences() const;

    QLabel *LbCodePage = nullptr;
    QComboBox *CbxCodePage = nullptr;
    QLabel *LbCodePageNote = nullptr;
    QCheckBox *CbxKeepLayout = nullptr;
    QCheckBox *CbxHashComments = nullptr; // the next files read take "#" lines as comments
    TKvButton *ButOk = nullptr;
    TKvButton *ButCancel = nullptr;
};

// The command: shows the dialog with the preferences in force; OK stores and
// applies the ones chosen.
void ActPreferencesExecute(QWidget *owner);
