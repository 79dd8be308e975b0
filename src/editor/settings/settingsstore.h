#pragma once

#include "form1.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QSettings;
class TKvStringRC;
struct TSearchStruct;

// What outlives a run of the editor, in QSettings("Velmora", "Quillon"):
// "FormSettings" (the 64-byte placement record), "MRUPath0".."MRUPath9" (path
// followed by the encoding digit), "FindStrBools" and "FindStr0".."FindStr9".

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
    TForm1::ColourScheme Colours = TForm1::DefaultColourScheme;

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

// Reads all values and applies them to the window; an error in one block is
// shown as a plain message and the next block still runs.
void LoadSettings(TForm1 &form);
// Writes all values of the window.
void SaveSettings(TForm1 &form);
