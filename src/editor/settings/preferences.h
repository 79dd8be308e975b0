#pragma once

#include <QtGlobal>

class QSettings;

// The editor's preferences, stored beside the other settings as "AnsiCodePage"
// (0 for the locale's code page, else the code page chosen), "KeepLayout" and
// "HashComments".
struct TKvPreferences
{
    quint32 AnsiCodePage = 0;
    // Saves keep each file's layout: on Linux a file rewritten in another
    // form (CR LF, respaced lines) is a change nobody asked for.
    bool KeepLayout = true;
    // Lines starting with "#" are comments: many Linux programs write their
    // comments so. Off, such a line reads as other INI readers take it.
    bool HashComments = false;

    bool operator==(const TKvPreferences &) const = default;
};

// A stored code page that cannot be chosen reads as the locale's.
TKvPreferences ReadPreferences(QSettings &settings);
void WritePreferences(QSettings &settings, const TKvPreferences &preferences);
// In QSettings("Velmora", "Quillon").
TKvPreferences LoadPreferences();
void SavePreferences(const TKvPreferences &preferences);

// Makes the preferences those in force: the system code page, and the layout
// choice that saves read from CurrentPreferences.
void ApplyPreferences(const TKvPreferences &preferences);
const TKvPreferences &CurrentPreferences();
