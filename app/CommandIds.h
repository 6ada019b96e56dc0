// Command identifiers of the menus, the toolbar and the accelerators. They keep the
// numbers the program has always had, so that the string table, the menu and the
// toolbar agree on one key per command.
#pragma once

namespace CommandId
{
inline constexpr int ScoreSettings = 32773;
inline constexpr int HelpContents = 32774;
inline constexpr int CopyImage = 32775;
inline constexpr int FileReload = 32776;      // F5: read the open file again
inline constexpr int ViewAutoReload = 32777;  // read the open file again whenever it changes
inline constexpr int PlayPause = 32778;       // Space: play from the chosen start, pause, go on
inline constexpr int PlayStop = 32779;        // Esc
inline constexpr int PlayFromTop = 32780;
inline constexpr int ViewZoomIn = 32784;
inline constexpr int ViewZoomOut = 32785;
inline constexpr int ViewZoomActual = 32786;    // 100 %: physical size
inline constexpr int ViewZoomFitWidth = 32787;  // the page's width fills the window's
inline constexpr int ViewEditorCommand = 32788; // which editor opens the source
inline constexpr int FileNew = 57600;  // shown as "閉じる": it leaves an empty score
inline constexpr int FileOpen = 57601;
inline constexpr int FilePrintSetup = 57606;
inline constexpr int FilePrint = 57607;
inline constexpr int FilePrintPreview = 57609;
inline constexpr int FileMruFirst = 57616;  // up to 57631
inline constexpr int AppAbout = 57664;
inline constexpr int AppExit = 57665;
inline constexpr int ViewToolBar = 59392;
inline constexpr int ViewStatusBar = 59393;
}  // namespace CommandId
