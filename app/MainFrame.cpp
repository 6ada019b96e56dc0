#include "app/MainFrame.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/CommandIds.h"
#include "app/HelpWindow.h"
#include "app/KeyIndicators.h"
#include "app/Player.h"
#include "app/PlektoApp.h"
#include "app/PlektoDoc.h"
#include "app/RecentFileList.h"
#include "app/PlektoView.h"
#include "display/qt/TextCodec.h"
#include "model/Score.h"

const QString CMainFrame::AppTitle = QStringLiteral("Plekto");
const QString CMainFrame::IdleMessage = QStringLiteral("-plekto-");
const QString CMainFrame::EditorCommandKey = QStringLiteral("Viewer/EditorCommand");

namespace
{
// The string table: status-bar prompt, then after "\n" the tool tip; translated when used.
const std::map<int, const char*>& Prompts()
{
    static const std::map<int, const char*> prompts = {
        {CommandId::ScoreSettings, QT_TRANSLATE_NOOP("CMainFrame", "譜面サイズ、行間隔などの設定を行います。")},
        {CommandId::HelpContents, QT_TRANSLATE_NOOP("CMainFrame", "オンラインドキュメントの目次を表示\\ヘルプ")},
        {CommandId::CopyImage, QT_TRANSLATE_NOOP("CMainFrame", "譜面を画像としてコピーします。\n画像コピー")},
        {CommandId::FileNew, QT_TRANSLATE_NOOP("CMainFrame", "現在開いているTAB譜を閉じます。\n閉じる")},
        {CommandId::FileOpen, QT_TRANSLATE_NOOP("CMainFrame", "TAB譜データを開く\n開く")},
        {CommandId::FilePrintSetup, QT_TRANSLATE_NOOP("CMainFrame", "プリンタおよびプリンタ オプションの変更\n印刷設定")},
        {CommandId::FilePrint, QT_TRANSLATE_NOOP("CMainFrame", "作業中の文書を印刷\n印刷")},
        {CommandId::FilePrintPreview, QT_TRANSLATE_NOOP("CMainFrame", "フル ページ表示\n印刷プレビュー")},
        {CommandId::FileMruFirst, QT_TRANSLATE_NOOP("CMainFrame", "指定の文書を開く")},
        {CommandId::AppAbout, QT_TRANSLATE_NOOP("CMainFrame", "プログラム情報、バージョン、著作権を表示\nバージョン情報")},
        {CommandId::AppExit, QT_TRANSLATE_NOOP("CMainFrame", "アプリケーションを終了\n終了")},
        {CommandId::ViewToolBar, QT_TRANSLATE_NOOP("CMainFrame", "ツール バーの表示/非表示\nツール バーの表示切り替え")},
        {CommandId::ViewStatusBar, QT_TRANSLATE_NOOP("CMainFrame", "ステータス バーの表示/非表示\nステータス バーの表示切り替え")},
        {CommandId::FileReload, QT_TRANSLATE_NOOP("CMainFrame", "開いているTAB譜をファイルから読み直します。\n再読み込み")},
        {CommandId::ViewAutoReload,
         QT_TRANSLATE_NOOP("CMainFrame", "ファイルが変更されたら自動的に読み直す/読み直さない\n自動再読み込みの切り替え")},
        {CommandId::PlayPause,
         QT_TRANSLATE_NOOP("CMainFrame", "選んだ位置 (なければ先頭) から再生します。再生中は一時停止します。\n再生/一時停止")},
        {CommandId::PlayStop, QT_TRANSLATE_NOOP("CMainFrame", "再生を止めます。\n停止")},
        {CommandId::PlayFromTop, QT_TRANSLATE_NOOP("CMainFrame", "譜面の先頭から再生します。\n先頭から再生")},
    };
    return prompts;
}

QString PromptPart(int commandId, bool toolTip)
{
    const auto& prompts = Prompts();
    const auto it = prompts.find(commandId);
    if (it == prompts.end())
        return {};
    const QString text = QCoreApplication::translate("CMainFrame", it->second);
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    if (newline < 0)
        return toolTip ? QString() : text;
    return toolTip ? text.mid(newline + 1) : text.left(newline);
}
}  // namespace

QString CMainFrame::PromptOf(int commandId) { return PromptPart(commandId, false); }
QString CMainFrame::ToolTipOf(int commandId) { return PromptPart(commandId, true); }

CMainFrame::CMainFrame(CPlektoApp& app, CPlektoDoc& doc)
    : App(app), Doc(doc)
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/plekto.xpm")));
}

CMainFrame::~CMainFrame()
{
    // The sound stops before the view and the document it follows go.
    if (Player)
        Player->Close();
}

bool CMainFrame::OnCreate()
{
    View = new CPlektoView(Doc, this);
    View->SetPrinter(&App.GetPrinter());
    View->SetStore(&App.GetSettings());
    setCentralWidget(View);
    View->setFocus();
    CreateActions();
    CreateMenus();
    if (!CreateToolBar() || !CreateStatusBar())
        return false;
    CreateProblemsDock();
    CreatePlayer();
    UpdateFrameTitle();
    return true;
}

void CMainFrame::CreatePlayer()
{
    Player = new CPlayer(Doc, App.GetSettings(), this);
    connect(GetAction(CommandId::PlayPause), &QAction::triggered, Player, &CPlayer::PlayPause);
    connect(GetAction(CommandId::PlayStop), &QAction::triggered, Player, &CPlayer::Stop);
    connect(GetAction(CommandId::PlayFromTop), &QAction::triggered, Player, &CPlayer::PlayFromTop);
    connect(View, &CPlektoView::ItemClicked, Player, &CPlayer::ChooseStart);
    connect(Player, &CPlayer::CursorMoved, this, &CMainFrame::OnCursorMoved);
    connect(Player, &CPlayer::Problem, this, &CMainFrame::ShowStatusNote);
    connect(Player, &CPlayer::StateChanged, this, [this](CPlayer::State state) {
        const bool playing = state == CPlayer::State::Playing;
        GetAction(CommandId::PlayPause)
            ->setIcon(QIcon(playing ? QStringLiteral(":/icons/pause.xpm") : QStringLiteral(":/icons/play.xpm")));
        if (state == CPlayer::State::Stopped)
            ToldBeyondDrawing = false;
        if (playing)
            View->FollowPlayCursor();
    });
}

void CMainFrame::OnCursorMoved(const std::optional<CCursorPosition>& position)
{
    View->SetPlayCursor(position, Player->GetState() == CPlayer::State::Playing);
    if (position && position->BeyondDrawing && !ToldBeyondDrawing) {
        ToldBeyondDrawing = true;
        ShowStatusNote(tr("再生位置は表示範囲 (%1 ページ) の外です").arg(CScore::MaxPages));
    }
}

QAction* CMainFrame::GetAction(int commandId) const
{
    const auto it = Actions.find(commandId);
    return it == Actions.end() ? nullptr : it->second;
}

QAction* CMainFrame::MakeAction(int commandId, const QString& text, const char* icon)
{
    auto* action = new QAction(text, this);
    action->setData(commandId);
    action->setStatusTip(PromptOf(commandId));
    const QString toolTip = ToolTipOf(commandId);
    if (!toolTip.isEmpty())
        action->setToolTip(toolTip);
    if (icon) {
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(icon))));
        // The pictures belong to the toolbar; the menus show text only.
        action->setIconVisibleInMenu(false);
    }
    Actions[commandId] = action;
    return action;
}

void CMainFrame::CreateActions()
{
    // The accelerators Ctrl+O, Ctrl+P and Ctrl+C; the menu texts already show them.
    QAction* open = MakeAction(CommandId::FileOpen, tr("開く(&O)...\tCtrl+O"), "open");
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, &App, &CPlektoApp::OnFileOpen);
    QAction* close = MakeAction(CommandId::FileNew, tr("閉じる(&C)"), "close");
    connect(close, &QAction::triggered, &App, &CPlektoApp::OnFileNew);
    QAction* print = MakeAction(CommandId::FilePrint, tr("印刷(&P)...\tCtrl+P"), "print");
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(print, &QAction::triggered, View, &CPlektoView::OnFilePrint);
    QAction* preview = MakeAction(CommandId::FilePrintPreview, tr("印刷ﾌﾟﾚﾋﾞｭｰ(&V)"), "preview");
    connect(preview, &QAction::triggered, View, &CPlektoView::OnFilePrintPreview);
    QAction* setup = MakeAction(CommandId::FilePrintSetup, tr("ﾌﾟﾘﾝﾀの設定(&R)..."));
    connect(setup, &QAction::triggered, &App, &CPlektoApp::OnFilePrintSetup);
    QAction* exit = MakeAction(CommandId::AppExit, tr("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QAction* copy = MakeAction(CommandId::CopyImage, tr("コピー(&C)\tCtrl+C"), "copy");
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(copy, &QAction::triggered, View, &CPlektoView::OnCopyImage);

    QAction* settings = MakeAction(CommandId::ScoreSettings, tr("譜面設定(&F)..."));
    connect(settings, &QAction::triggered, View, &CPlektoView::OnScoreSettings);
    QAction* toolBar = MakeAction(CommandId::ViewToolBar, tr("ﾂｰﾙ ﾊﾞｰ(&T)"));
    toolBar->setCheckable(true);
    QAction* statusBarAction = MakeAction(CommandId::ViewStatusBar, tr("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"));
    statusBarAction->setCheckable(true);
    connect(statusBarAction, &QAction::triggered, this, [this](bool on) { statusBar()->setVisible(on); });
    QAction* reload = MakeAction(CommandId::FileReload, tr("再読み込み(&R)\tF5"));
    reload->setShortcut(QKeySequence(Qt::Key_F5));
    connect(reload, &QAction::triggered, &App, &CPlektoApp::OnFileReload);
    QAction* autoReload = MakeAction(CommandId::ViewAutoReload, tr("自動再読み込み(&A)"));
    autoReload->setCheckable(true);
    autoReload->setChecked(App.GetAutoReload());
    connect(autoReload, &QAction::triggered, &App, &CPlektoApp::SetAutoReload);

    struct CZoomCommand
    {
        int Id;
        QString Text;
        QString Prompt;
        QList<QKeySequence> Keys;
        void (CPlektoView::*Slot)();
    };
    // Ctrl+= as well: on most keyboards "+" is the shifted "=".
    const CZoomCommand zooms[] = {
        {CommandId::ViewZoomIn, tr("拡大(&I)\tCtrl++"), tr("表示を拡大します。"),
         {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}, nullptr},
        {CommandId::ViewZoomOut, tr("縮小(&O)\tCtrl+-"), tr("表示を縮小します。"), {QKeySequence::ZoomOut}, nullptr},
        {CommandId::ViewZoomActual, tr("実際のサイズ (100 %)(&Z)\tCtrl+0"), tr("譜面を実際の大きさで表示します。"),
         {QKeySequence(Qt::CTRL | Qt::Key_0)}, &CPlektoView::ZoomActualSize},
        {CommandId::ViewZoomFitWidth, tr("幅に合わせる(&W)"), tr("ページの幅をウィンドウの幅に合わせます。"), {},
         &CPlektoView::ZoomFitWidth},
    };
    for (const CZoomCommand& zoom : zooms) {
        QAction* action = MakeAction(zoom.Id, zoom.Text);
        action->setStatusTip(zoom.Prompt);
        action->setShortcuts(zoom.Keys);
        if (zoom.Slot)
            connect(action, &QAction::triggered, View, zoom.Slot);
    }
    connect(GetAction(CommandId::ViewZoomIn), &QAction::triggered, View, [this] { View->ZoomIn(); });
    connect(GetAction(CommandId::ViewZoomOut), &QAction::triggered, View, [this] { View->ZoomOut(); });
    QAction* editor = MakeAction(CommandId::ViewEditorCommand, tr("ソースを開くエディタ(&E)..."));
    editor->setStatusTip(tr("譜面をダブルクリックしたときにソースを開くエディタを選びます。"));
    connect(editor, &QAction::triggered, this, &CMainFrame::OnEditorCommand);
    connect(View, &CPlektoView::SourceRequested, this, &CMainFrame::OpenSource);

    QAction* play = MakeAction(CommandId::PlayPause, tr("再生/一時停止(&P)\tSpace"), "play");
    play->setShortcut(QKeySequence(Qt::Key_Space));
    QAction* stop = MakeAction(CommandId::PlayStop, tr("停止(&S)\tEsc"), "stop");
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    MakeAction(CommandId::PlayFromTop, tr("先頭から再生(&T)"));

    QAction* help = MakeAction(CommandId::HelpContents, tr("目次(&C)"));
    connect(help, &QAction::triggered, this, &CMainFrame::OnHelpContents);
    QAction* about = MakeAction(CommandId::AppAbout, tr("Plektoについて (&A)..."), "about");
    connect(about, &QAction::triggered, &App, &CPlektoApp::OnAppAbout);
}

void CMainFrame::CreateMenus()
{
    FileMenu = menuBar()->addMenu(tr("ﾌｧｲﾙ(&F)"));
    FileMenu->addAction(GetAction(CommandId::FileOpen));
    FileMenu->addAction(GetAction(CommandId::FileNew));
    FileMenu->addSeparator();
    FileMenu->addAction(GetAction(CommandId::FilePrint));
    FileMenu->addAction(GetAction(CommandId::FilePrintPreview));
    FileMenu->addAction(GetAction(CommandId::FilePrintSetup));
    FileMenu->addSeparator();
    RecentFilesEnd = FileMenu->addSeparator();
    FileMenu->addAction(GetAction(CommandId::AppExit));
    UpdateRecentFileMenu({});

    QMenu* edit = menuBar()->addMenu(tr("編集(&E)"));
    edit->addAction(GetAction(CommandId::CopyImage));

    QMenu* view = menuBar()->addMenu(tr("表示(&V)"));
    view->addAction(GetAction(CommandId::ScoreSettings));
    view->addAction(GetAction(CommandId::ViewEditorCommand));
    view->addSeparator();
    view->addAction(GetAction(CommandId::ViewZoomIn));
    view->addAction(GetAction(CommandId::ViewZoomOut));
    view->addAction(GetAction(CommandId::ViewZoomActual));
    view->addAction(GetAction(CommandId::ViewZoomFitWidth));
    view->addSeparator();
    view->addAction(GetAction(CommandId::ViewToolBar));
    view->addAction(GetAction(CommandId::ViewStatusBar));
    view->addSeparator();
    view->addAction(GetAction(CommandId::FileReload));
    view->addAction(GetAction(CommandId::ViewAutoReload));
    // The check marks follow what is shown, however it was shown or hidden.
    connect(view, &QMenu::aboutToShow, this, [this] {
        GetAction(CommandId::ViewToolBar)->setChecked(ToolBar && !ToolBar->isHidden());
        GetAction(CommandId::ViewStatusBar)->setChecked(!statusBar()->isHidden());
    });

    QMenu* play = menuBar()->addMenu(tr("再生(&P)"));
    play->addAction(GetAction(CommandId::PlayPause));
    play->addAction(GetAction(CommandId::PlayStop));
    play->addAction(GetAction(CommandId::PlayFromTop));

    QMenu* help = menuBar()->addMenu(tr("ﾍﾙﾌﾟ(&H)"));
    help->addAction(GetAction(CommandId::HelpContents));
    help->addSeparator();
    help->addAction(GetAction(CommandId::AppAbout));
}

void CMainFrame::UpdateRecentFileMenu(const QStringList& files)
{
    for (QAction* action : RecentFileActions) {
        FileMenu->removeAction(action);
        delete action;
    }
    RecentFileActions.clear();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(tr("最新のﾌｧｲﾙ"), this);
        placeholder->setData(CommandId::FileMruFirst);
        placeholder->setEnabled(false);
        RecentFileActions.append(placeholder);
    }
    for (int i = 0; i < files.size() && i < CRecentFileList::Size; ++i) {
        auto* action = new QAction(CRecentFileList::MenuText(i, files[i]), this);
        action->setData(CommandId::FileMruFirst + i);
        action->setStatusTip(PromptOf(CommandId::FileMruFirst));
        connect(action, &QAction::triggered, &App, [this, i] { App.OnOpenRecentFile(i); });
        RecentFileActions.append(action);
    }
    FileMenu->insertActions(RecentFilesEnd, RecentFileActions);
}

bool CMainFrame::CreateToolBar()
{
    ToolBar = addToolBar(QStringLiteral("ToolBar"));
    if (!ToolBar)
        return false;
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setIconSize(QSize(16, 15));
    ToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    ToolBar->addAction(GetAction(CommandId::FileOpen));
    ToolBar->addAction(GetAction(CommandId::FileNew));
    ToolBar->addSeparator();
    ToolBar->addAction(GetAction(CommandId::CopyImage));
    ToolBar->addSeparator();
    ToolBar->addAction(GetAction(CommandId::FilePrint));
    ToolBar->addAction(GetAction(CommandId::FilePrintPreview));
    ToolBar->addSeparator();
    ToolBar->addAction(GetAction(CommandId::PlayPause));
    ToolBar->addAction(GetAction(CommandId::PlayStop));
    ToolBar->addSeparator();
    ToolBar->addAction(GetAction(CommandId::AppAbout));
    QAction* toggle = GetAction(CommandId::ViewToolBar);
    toggle->setChecked(true);
    connect(toggle, &QAction::triggered, ToolBar, &QWidget::setVisible);
    connect(ToolBar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
    return true;
}

bool CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    if (!bar)
        return false;
    bar->setObjectName(QStringLiteral("StatusBar"));
    // The message pane: the idle text, covered by a prompt while one is shown.
    MessagePane = new QLabel(IdleMessage, bar);
    MessagePane->setObjectName(QStringLiteral("MessagePane"));
    bar->addWidget(MessagePane, 1);
    SourcePane = new QLabel(bar);
    SourcePane->setObjectName(QStringLiteral("SourcePane"));
    bar->addPermanentWidget(SourcePane);
    connect(View, &CPlektoView::SourceHovered, SourcePane, &QLabel::setText);
    // A sunken pane as wide as `widest` at least.
    const auto pane = [bar](const QString& name, const QString& widest) {
        auto* label = new QLabel(bar);
        label->setObjectName(name);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) + 8);
        bar->addPermanentWidget(label);
        return label;
    };
    ZoomPane = pane(QStringLiteral("ZoomPane"), CPlektoView::ZoomText(8.0));
    ZoomPane->setText(CPlektoView::ZoomText(View->GetZoom()));
    connect(View, &CPlektoView::ZoomChanged, ZoomPane,
            [this](double factor) { ZoomPane->setText(CPlektoView::ZoomText(factor)); });
    TempoPane = pane(QStringLiteral("TempoPane"), QString());
    static const char* const names[] = {"ｶﾅ", "CAP", "NUM", "SCRL"};
    // A lock-key pane keeps the width of its text while the key is off and shows nothing.
    for (std::size_t i = 0; i < IndicatorPanes.size(); ++i)
        IndicatorPanes[i] = pane(QString::fromUtf8(names[i]), QString::fromUtf8(names[i]));
    GetAction(CommandId::ViewStatusBar)->setChecked(true);
    if (KeyIndicatorsAvailable()) {
        IndicatorTimer = new QTimer(this);
        connect(IndicatorTimer, &QTimer::timeout, this, &CMainFrame::UpdateIndicators);
        IndicatorTimer->start(250);
        UpdateIndicators();
    }
    return true;
}

void CMainFrame::CreateProblemsDock()
{
    ProblemsDock = new QDockWidget(tr("問題"), this);
    ProblemsDock->setObjectName(QStringLiteral("ProblemsDock"));
    ProblemList = new QListWidget(ProblemsDock);
    ProblemList->setObjectName(QStringLiteral("ProblemList"));
    ProblemsDock->setWidget(ProblemList);
    addDockWidget(Qt::BottomDockWidgetArea, ProblemsDock);
    ProblemsDock->hide();
    // The line and the message go to the status bar, where the next prompt replaces
    // them, and the source opens there in the editor.
    connect(ProblemList, &QListWidget::itemDoubleClicked, this, [this](const QListWidgetItem* item) {
        statusBar()->showMessage(item->data(Qt::UserRole).toString());
        OpenSource(item->data(Qt::UserRole + 1).toInt(), item->data(Qt::UserRole + 2).toInt());
    });
}

QString CMainFrame::ProblemCountText(int errors, int warnings)
{
    // Each count with its own plural form in languages that have them.
    return tr("%1、%2").arg(tr("エラー %n 件", nullptr, errors), tr("警告 %n 件", nullptr, warnings));
}

void CMainFrame::UpdateProblems()
{
    ProblemList->clear();
    int errors = 0;
    const TextEncoding encoding = Doc.Score ? Doc.Score->Encoding : TextEncoding{};
    for (const CDiagnostic& d : Doc.Diagnostics) {
        errors += d.IsError;
        const QString line = QString::number(d.Line);
        const QString message = DecodeText(d.Message, encoding);
        // One substitution pass: a message may itself contain "%1".
        auto* item = new QListWidgetItem(QStringLiteral("%1:%2: %3: %4")
                                             .arg(line, QString::number(d.Column),
                                                  d.IsError ? QStringLiteral("error") : QStringLiteral("warning"),
                                                  message),
                                         ProblemList);
        item->setData(Qt::UserRole, tr("%1 行目: %2").arg(line, message));
        item->setData(Qt::UserRole + 1, d.Line);
        item->setData(Qt::UserRole + 2, std::max(d.Column, 1));
    }
    const int total = static_cast<int>(Doc.Diagnostics.size());
    // A problem's line shown on double-click refers to the text just replaced.
    statusBar()->clearMessage();
    MessagePane->setText(total == 0 ? IdleMessage : ProblemCountText(errors, total - errors));
    ProblemsDock->setVisible(total > 0);
    // The tempo pane changes on the same occasions: open, reload, close.
    TempoPane->setText(Doc.Score ? TempoText(Doc.Score->Settings.Playing.Tempo) : QString());
}

QString CMainFrame::TempoText(double tempo)
{
    return tr("♩ = %1").arg(QString::number(tempo, 'g', 6));
}

void CMainFrame::ShowStatusNote(const QString& text)
{
    statusBar()->clearMessage();
    MessagePane->setText(text);
}

void CMainFrame::UpdateIndicators()
{
    const CKeyIndicators states = ReadKeyIndicators();
    const bool on[] = {states.Kana, states.Caps, states.Num, states.Scroll};
    for (std::size_t i = 0; i < IndicatorPanes.size(); ++i)
        IndicatorPanes[i]->setText(on[i] ? IndicatorPanes[i]->objectName() : QString());
}

void CMainFrame::UpdateFrameTitle() { setWindowTitle(Doc.GetTitle() + QStringLiteral(" - ") + AppTitle); }

void CMainFrame::ShowHelpMessage(const QString& text)
{
    QMessageBox::information(this, AppTitle, text);
}

bool CMainFrame::OnEditorCommand()
{
    QSettings& store = App.GetSettings();
    CEditorCommandDialog dialog(this, store.value(EditorCommandKey).toString());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    store.setValue(EditorCommandKey, dialog.Command());
    return true;
}

void CMainFrame::OpenSource(int line, int column)
{
    const QString file = Doc.GetPathName();
    if (file.isEmpty() || line <= 0)
        return;
    QSettings& store = App.GetSettings();
    if (store.value(EditorCommandKey).toString().trimmed().isEmpty() && !OnEditorCommand())
        return;
    const QString command = store.value(EditorCommandKey).toString();
    std::optional<QStringList> words = ExpandEditorCommand(command, file, line, column);
    QString error = tr("引用符が閉じていないか、末尾が \\ です。");
    if (words && !words->isEmpty()) {
        const QString program = words->takeFirst();
        if (Launcher && Launcher(program, *words, error))
            return;
    }
    QMessageBox::warning(this, AppTitle, tr("エディタを起動できません: %1\n%2").arg(command, error));
}

void CMainFrame::OnHelpContents()
{
    const std::optional<QString>& path = App.GetHelpFilePath();
    if (!path) {
        ShowHelpMessage(tr("ヘルプ ファイルの場所を決められません。"));
        return;
    }
    if (!QFileInfo::exists(*path)) {
        ShowHelpMessage(tr("ヘルプ ファイル %1 が見つかりません。").arg(*path));
        return;
    }
    if (!HelpWindow)
        HelpWindow = new CHelpWindow(this);
    if (!HelpWindow->OpenPage(*path)) {
        ShowHelpMessage(tr("ヘルプ ファイル %1 を表示できません。").arg(*path));
        return;
    }
    HelpWindow->show();
    HelpWindow->raise();
    HelpWindow->activateWindow();
}
