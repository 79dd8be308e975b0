#pragma once

// The pictures of the window's two image lists (ilitems.png, ilbuttons.png).

// Indexes of the item pictures.
constexpr int IconBlank = 0;
constexpr int IconValue = 1;
constexpr int IconComment = 2;
constexpr int IconError = 3;
constexpr int IconSection = 4;
constexpr int IconNone = 5; // an empty picture: "blank when disabled"

// Indexes of the toolbar pictures.
constexpr int PicNew = 0;
constexpr int PicOpen = 1;
constexpr int PicReload = 7;
constexpr int PicSave = 8;
constexpr int PicSaveAs = 9;
constexpr int PicFind = 11;
constexpr int PicSaveDisabled = 13;
constexpr int PicSaveAsDisabled = 17;
constexpr int PicFindDisabled = 18;
constexpr int PicReloadDisabled = 19;
constexpr int PicShortcut = 26;
constexpr int PicShortcutDisabled = 27;
