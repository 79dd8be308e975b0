#pragma once

#include "colourscheme.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QSettings;
class QSplitter;
class QWidget;
class TKvStringRC;
struct TSearchStruct;

// What outlives a run of the editor, in QSettings("Velmora", "Quillon"):
// "FormSettings" (the 64-byte placement record), "MRUPath0".."MRUPath9" (path
// followed by the encoding digit), "MRUHash0".."MRUHash9" (beside a recent
// file: "1" or "0" when the person chose whether its "#" lines are comments),
// "FindStrBools" and "FindStr0".."FindStr9".

// The placement record: sixteen little-endian signed 32-bit integers.
struct TKvPlacement
{
    static constexpr int RecordSize = 64;
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    qint32 SectionWidth = 0;
    bool ValuesOnly = false;
    TKvColourScheme Colours = KvDefaultColourScheme;

    QByteArray Encode() const;
    // Nothing when the record is not 64 bytes long.
    static std::optional<TKvPlacement> Decode(const QByteArray &record);
};

// Reads the recent files; fails (with the reason) on a value too short to hold a path and a digit.
bool ReadRecentFiles(QSettings &settings, TKvStringRC &list, QString *error);
// Writes the recent files and removes the numbers beyond them left by earlier runs.
void WriteRecentFiles(QSettings &settings, const TKvStringRC &list);
// The search options under prefix + "Bools" and the history under prefix + "0".."9".
void ReadSearchSettings(QSettings &settings, const QString &prefix, TSearchStruct &options);
// Writes them and removes history numbers beyond the texts written.
void WriteSearchSettings(QSettings &settings, const QString &prefix, const TSearchStruct &options);

// A window rectangle that lies outside every screen area is moved (and shrunk
// when needed) onto the nearest one; a visible one is returned as it is.
QRect PlaceOnScreens(const QRect &window, const QList<QRect> &areas);

// What the settings are read into and written from: the window's place, the
// lists' split, the recent files, the search options, the values-only mode
// and the colours.
struct TKvSettingsTarget
{
    QWidget *Window = nullptr;
    QSplitter *Lists = nullptr;
    TKvStringRC *RecentFiles = nullptr;
    TSearchStruct *Search = nullptr;
    bool ValuesOnly = false;
    TKvColourScheme Colours = KvDefaultColourScheme;
};

// Reads all values: places the window, splits the lists, fills the recent
// files and the search options, and sets ValuesOnly and Colours for the
// window to apply. An error in one block is shown as a plain message and the
// next block still runs.
void LoadSettings(TKvSettingsTarget &target);
// Writes all values.
void SaveSettings(const TKvSettingsTarget &target);
