#pragma once

#include <QString>

// Opens a thank-you page the first time a user starts the program.
//
// The per-user settings store QSettings(CompanyName, AppName) marks the first
// run: when it does not exist yet, Run creates it (empty) and opens
// ThankYouUrl + "?ver=" + the running executable's file version. When the
// store exists, or cannot be created, Run does nothing. It reports nothing.
class TKvFirstRun
{
public:
    QString AppName;
    QString CompanyName = QStringLiteral("Velmora");
    QString ThankYouUrl;

    void Run() const;
    // The file of the settings store that marks the first run.
    QString StoreFileName() const;
};
