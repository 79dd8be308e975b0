#pragma once

#include <QString>

// The user's special folders that shortcuts are placed in.
enum class TKvKnownFolder {
    Desktop,
    Documents,
    // The menu's folder of the user's own application entries.
    StartMenu,
    // Linux has no quick-launch bar: its shortcuts go to the menu folder.
    QuickLaunch,
};

// The folder's path ending in "/", or an empty string when it cannot be
// determined. Desktop and documents follow the XDG user dirs
// (~/.config/user-dirs.dirs); the menu folder is the user's applications
// folder (~/.local/share/applications).
QString KnownFolderPath(TKvKnownFolder folder);

// base + extension when no file of that name exists, else
// base + "(" + n + ")" + extension for the smallest n = 1, 2, … that names no
// existing file.
QString UniqueLinkName(const QString &base, const QString &extension);
