#pragma once

#include <QString>

// The user's guide installed beside the program, when the program runs from
// an install: binDir (the folder of the executable) plus the relative path
// the build recorded. Empty when no guide is there (a build tree, say).
QString InstalledManualPath(const QString &binDir);

// What the Help command opens: the installed guide, or else the maker's help page.
QString HelpTarget();
