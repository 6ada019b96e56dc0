// The main window: the File, Edit, View, Play and Help menus, the toolbar, the status bar
// with its message, source position, zoom, tempo and lock-key panes, and the scrolling view
// in the middle; it opens the source in the author's editor from the view and the problems. Commands
// go to the application, to the frame itself (help, toolbar and status bar) or to the
// view; each command keeps its numeric id (CommandIds.h) as the action's data.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <map>
#include <optional>

#include "perform/PlaybackCursor.h"

#include "app/EditorCommand.h"

class CHelpWindow;
class CPlektoApp;
class CPlektoDoc;
class CPlektoView;
class CPlayer;
class QAction;
class QDockWidget;
class QLabel;
class QListWidget;
class QMenu;
class QTimer;
class QToolBar;

class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    CMainFrame(CPlektoApp& app, CPlektoDoc& doc);
    ~CMainFrame() override;

    // Builds the view, the menus, the toolbar and the status bar; false when one of
    // them cannot be made.
    bool OnCreate();

    CPlektoView* GetView() const { return View; }
    CPlayer* GetPlayer() const { return Player; }
    QAction* GetAction(int commandId) const;
    QToolBar* GetToolBar() const { return ToolBar; }
    // The lock-key panes in their order: kana, caps lock, num lock, scroll lock.
    const std::array<QLabel*, 4>& GetIndicatorPanes() const { return IndicatorPanes; }

    // "<document title> - Plekto".
    void UpdateFrameTitle();
    // The recent files after the print commands, or the greyed placeholder.
    void UpdateRecentFileMenu(const QStringList& files);
    // After open, reload and close: the count of the document's errors and warnings in
    // the message pane (the idle text when there are none, and no earlier message over
    // it), and their list in the problems window, shown only when there are some.
    void UpdateProblems();
    // A note that stays in the message pane until the next UpdateProblems.
    void ShowStatusNote(const QString& text);
    QDockWidget* GetProblemsDock() const { return ProblemsDock; }
    // "エラー 2 件、警告 1 件".
    static QString ProblemCountText(int errors, int warnings);
    // "♩ = 120".
    static QString TempoText(double tempo);

    // The help window, once the help command has opened it.
    CHelpWindow* GetHelpWindow() const { return HelpWindow; }

    static const QString AppTitle;
    static const QString IdleMessage;
    // The status-bar prompt of a command (the part before "\n" of its string), and the
    // tool tip (the part after it, empty when there is none).
    static QString PromptOf(int commandId);
    static QString ToolTipOf(int commandId);

    // Opens the document's file in the editor of the `Viewer/EditorCommand` template at a
    // line and column; the first time, a dialog offers editors to choose from. A failure
    // to start tells the command and the reason in a message box.
    void OpenSource(int line, int column);
    // Starts the editor; tests record instead.
    EditorLauncher Launcher = StartDetachedProcess;
    static const QString EditorCommandKey;

public slots:
    void OnHelpContents();
    // The editor dialog over the stored template; OK stores it. False when cancelled.
    bool OnEditorCommand();

private:
    QAction* MakeAction(int commandId, const QString& text, const char* icon = nullptr);
    void CreateActions();
    void CreateMenus();
    bool CreateToolBar();
    bool CreateStatusBar();
    void CreateProblemsDock();
    void UpdateIndicators();
    void ShowHelpMessage(const QString& text);
    void CreatePlayer();
    void OnCursorMoved(const std::optional<CCursorPosition>& position);

    CPlektoApp& App;
    CPlektoDoc& Doc;
    CPlektoView* View = nullptr;
    CHelpWindow* HelpWindow = nullptr;
    QToolBar* ToolBar = nullptr;
    QMenu* FileMenu = nullptr;
    QAction* RecentFilesEnd = nullptr;  // the separator after the recent files
    QList<QAction*> RecentFileActions;
    std::map<int, QAction*> Actions;
    std::array<QLabel*, 4> IndicatorPanes{};
    QTimer* IndicatorTimer = nullptr;
    QLabel* MessagePane = nullptr;
    QLabel* SourcePane = nullptr;
    QLabel* ZoomPane = nullptr;
    QLabel* TempoPane = nullptr;
    CPlayer* Player = nullptr;
    bool ToldBeyondDrawing = false;  // the note about the page limit shows once per play
    QDockWidget* ProblemsDock = nullptr;
    QListWidget* ProblemList = nullptr;
};
