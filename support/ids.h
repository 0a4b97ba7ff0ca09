// Ids of the windows, controls, menu items and fonts of Quonabix, in one
// place so that no call site uses a bare number.
#pragma once

namespace ids {

// Windows.
constexpr int MainWindow = 0;
constexpr int InfoWindow = 1;

// Menu items.
constexpr int MenuQuit = 0;
constexpr int MenuInfo = 1;

// Controls of the main window.
constexpr int FolderTree = 0;
constexpr int MaskField = 1;
constexpr int PatternField = 2;
constexpr int MaskLabel = 3;
constexpr int StartField = 4;
constexpr int StepField = 5;
constexpr int StartLabel = 6;
constexpr int StepLabel = 7;
constexpr int DigitsField = 8;
constexpr int FileTable = 9;
constexpr int DigitsLabel = 10;
constexpr int TickAllButton = 11;
constexpr int TickNoneButton = 12;
constexpr int RenameButton = 13;
constexpr int QuitButton = 14;
constexpr int DirectoryLabel = 15;
constexpr int PatternFrame = 24;
constexpr int ReplaceFrame = 25;
constexpr int OptPattern = 26;
constexpr int OptReplace = 27;
constexpr int OptRemove = 28;
constexpr int OptCase = 29;
constexpr int OptSwap = 30;
constexpr int ReplaceFindField = 31;
constexpr int ReplaceWithLabel = 32;
constexpr int ReplaceByField = 33;
constexpr int RemoveFrame = 34;
constexpr int RemoveField = 35;
constexpr int OptRemoveStart = 36;
constexpr int OptRemoveEnd = 37;
constexpr int OptRemoveAll = 38;
constexpr int CaseFrame = 39;
constexpr int OptUpper = 40;
constexpr int OptLower = 41;
constexpr int OptCapitalFirst = 42;
constexpr int SwapFrame = 43;
constexpr int SeparatorField = 44;
constexpr int RefreshButton = 45;
constexpr int UndoButton = 46;
constexpr int OrderField = 47;
constexpr int OrderLabel = 48;

// Table columns.
constexpr int ColCurrent = 0;
constexpr int ColNew = 1;
constexpr int ColStatus = 2;

// Controls of the information window.
constexpr int InfoEditor = 4801;
constexpr int InfoCloseButton = 4802;

// Fonts.
constexpr int FontCourier = 1;

}  // namespace ids
