// The application shell: start-up with and without a file, the menu tree and its
// accelerators, the toolbar, the status bar and its prompts, the recent files, the open
// dialog's filters, "閉じる", the About box and the help command.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "WidgetTest.h"
#include "app/AboutDlg.h"
#include "app/CommandIds.h"
#include "app/Help.h"
#include "app/MainFrame.h"
#include "app/PlektoDoc.h"
#include "app/RecentFileList.h"
#include "display/qt/PlektoView.h"
#include "model/Score.h"

using namespace WidgetTest;

namespace
{
// A menu as "text" entries, "-" for a separator, "(text)" for a disabled item.
QStringList MenuEntries(const QMenu* menu)
{
    QStringList entries;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            entries << QStringLiteral("-");
        else if (!action->isEnabled())
            entries << QLatin1Char('(') + action->text() + QLatin1Char(')');
        else
            entries << action->text();
    }
    return entries;
}

QMenu* TopMenu(CMainFrame& frame, int index) { return frame.menuBar()->actions().at(index)->menu(); }
}  // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void startsWithAnEmptyUntitledScore();
    void startsWithTheFileNamedOnTheCommandLine();
    void unreadableFileOnTheCommandLineShowsAnEmptyScoreUnderItsName();
    void menuTreeIsExact();
    void acceleratorsReachTheirCommands();
    void toolbarButtonsInOrder();
    void promptsAndToolTips();
    void statusBarPanes();
    void toolbarAndStatusBarShowAndHide();
    void closeLeavesAnEmptyScore();
    void recentFilesKeepFourNewestFirst();
    void recentFileEntryOpensItsFile();
    void abbreviatedRecentNames_data();
    void abbreviatedRecentNames();
    void openDialogFilters();
    void aboutBox();
    void helpPathIsFormedBesideTheProgram();
    void helpCommandOpensThePagesOrSaysWhy();
};

void TestShell::startsWithAnEmptyUntitledScore()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    QVERIFY(app);
    CMainFrame* frame = app->GetMainFrame();
    QCOMPARE(frame->windowTitle(), QStringLiteral("無題 - Plekto"));
    QVERIFY(frame->isVisible());
    const CScore* score = app->GetDocument().Score.get();
    QVERIFY(score);
    QVERIFY(score->UnitItems.empty());
    QVERIFY(!score->TitleBlock);
    QCOMPARE(score->PageCount, 1);
    QCOMPARE(score->LineCount, 0);
}

void TestShell::startsWithTheFileNamedOnTheCommandLine()
{
    QTemporaryDir dir;
    auto app = StartApp(dir, {Example("exercise.tab")});
    QVERIFY(app);
    QCOMPARE(app->GetMainFrame()->windowTitle(), QStringLiteral("exercise.tab - Plekto"));
    const CScore& score = *app->GetDocument().Score;
    QCOMPARE(score.UnitItems.size(), std::size_t{11});
    QVERIFY(score.TitleBlock);
    QCOMPARE(score.LineCount, 2);  // the title line and one TAB line
    QCOMPARE(app->GetRecentFiles().Entries(), QStringList{Example("exercise.tab")});
}

void TestShell::unreadableFileOnTheCommandLineShowsAnEmptyScoreUnderItsName()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.tab"));
    auto app = StartApp(dir, {missing});
    QVERIFY(app);
    QCOMPARE(app->GetMainFrame()->windowTitle(), QStringLiteral("missing.tab - Plekto"));
    QVERIFY(app->GetDocument().Score->UnitItems.empty());
    QCOMPARE(app->GetDocument().Score->LineCount, 0);
    // A directory cannot be read either.
    QVERIFY(app->OpenDocumentFile(dir.path()));
    QVERIFY(app->GetDocument().Score->UnitItems.empty());
    QCOMPARE(app->GetMainFrame()->windowTitle(), QFileInfo(dir.path()).fileName() + QStringLiteral(" - Plekto"));
}

void TestShell::menuTreeIsExact()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    CMainFrame& frame = *app->GetMainFrame();
    QStringList titles;
    for (const QAction* action : frame.menuBar()->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
    QCOMPARE(MenuEntries(TopMenu(frame, 0)),
             (QStringList{"開く(&O)...\tCtrl+O", "閉じる(&C)", "-", "印刷(&P)...\tCtrl+P", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)",
                          "ﾌﾟﾘﾝﾀの設定(&R)...", "-", "(最新のﾌｧｲﾙ)", "-", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    QCOMPARE(MenuEntries(TopMenu(frame, 1)), (QStringList{"コピー(&C)\tCtrl+C"}));
    QCOMPARE(MenuEntries(TopMenu(frame, 2)), (QStringList{"譜面設定(&F)...", "-", "ﾂｰﾙ ﾊﾞｰ(&T)", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "-",
                                                          "再読み込み(&R)\tF5", "自動再読み込み(&A)"}));
    QCOMPARE(MenuEntries(TopMenu(frame, 3)), (QStringList{"目次(&C)", "-", "Plektoについて (&A)..."}));

    // Each item carries its command id.
    QList<int> fileIds;
    for (const QAction* action : TopMenu(frame, 0)->actions())
        fileIds << (action->isSeparator() ? 0 : action->data().toInt());
    QCOMPARE(fileIds, (QList<int>{57601, 57600, 0, 57607, 57609, 57606, 0, 57616, 0, 57665}));
    QCOMPARE(TopMenu(frame, 1)->actions().at(0)->data().toInt(), 32775);
    QCOMPARE(TopMenu(frame, 2)->actions().at(0)->data().toInt(), 32773);
    QCOMPARE(TopMenu(frame, 2)->actions().at(5)->data().toInt(), 32776);
    QCOMPARE(TopMenu(frame, 2)->actions().at(6)->data().toInt(), 32777);
    QCOMPARE(TopMenu(frame, 3)->actions().at(0)->data().toInt(), 32774);
    QCOMPARE(TopMenu(frame, 3)->actions().at(2)->data().toInt(), 57664);
}

void TestShell::acceleratorsReachTheirCommands()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    CMainFrame& frame = *app->GetMainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.GetAction(CommandId::FileOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(frame.GetAction(CommandId::FilePrint)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(frame.GetAction(CommandId::CopyImage)->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));

    // Ctrl+O brings up the open dialog, Ctrl+P the print dialog.
    QString openTitle;
    auto seenOpen = OnNextModal([&](QWidget* w) { openTitle = w->metaObject()->className(); });
    QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
    QTRY_VERIFY(*seenOpen);
    QCOMPARE(openTitle, QStringLiteral("QFileDialog"));
    // Shortcuts go to the active window; the dialog took that away for a moment.
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QString printClass;
    auto seenPrint = OnNextModal([&](QWidget* w) { printClass = w->metaObject()->className(); });
    QTest::keyClick(&frame, Qt::Key_P, Qt::ControlModifier);
    QTRY_VERIFY(*seenPrint);
    QCOMPARE(printClass, QStringLiteral("QPrintDialog"));

    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QSignalSpy copied(frame.GetAction(CommandId::CopyImage), &QAction::triggered);
    QTest::keyClick(frame.GetView(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(copied.count(), 1);
}

void TestShell::toolbarButtonsInOrder()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    QToolBar* bar = app->GetMainFrame()->GetToolBar();
    QList<int> ids;
    for (const QAction* action : bar->actions()) {
        ids << (action->isSeparator() ? 0 : action->data().toInt());
        if (!action->isSeparator())
            QVERIFY2(!action->icon().isNull(), qPrintable(action->text()));
    }
    QCOMPARE(ids, (QList<int>{57601, 57600, 0, 32775, 0, 57607, 57609, 0, 57664}));
    QCOMPARE(bar->iconSize(), QSize(16, 15));
    QCOMPARE(bar->allowedAreas(), Qt::AllToolBarAreas);
}

void TestShell::promptsAndToolTips()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    CMainFrame& frame = *app->GetMainFrame();
    struct CCase
    {
        int Id;
        const char* Prompt;
        const char* ToolTip;
    };
    const CCase cases[] = {
        {32773, "譜面サイズ、行間隔などの設定を行います。", nullptr},
        {32774, "オンラインドキュメントの目次を表示\\ヘルプ", nullptr},
        {32775, "譜面を画像としてコピーします。", "画像コピー"},
        {57600, "現在開いているTAB譜を閉じます。", "閉じる"},
        {57601, "TAB譜データを開く", "開く"},
    };
    for (const CCase& c : cases) {
        const QAction* action = frame.GetAction(c.Id);
        QVERIFY(action);
        QCOMPARE(action->statusTip(), QString::fromUtf8(c.Prompt));
        if (c.ToolTip)
            QCOMPARE(action->toolTip(), QString::fromUtf8(c.ToolTip));
    }
    // Every toolbar button has a tool tip of its own and a prompt.
    for (const QAction* action : frame.GetToolBar()->actions()) {
        if (action->isSeparator())
            continue;
        QVERIFY(!action->statusTip().isEmpty());
        QCOMPARE(action->toolTip(), CMainFrame::ToolTipOf(action->data().toInt()));
    }
    // A highlighted item shows its prompt in the status bar.
    frame.GetAction(CommandId::FileOpen)->showStatusText(&frame);
    QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("TAB譜データを開く"));
}

void TestShell::statusBarPanes()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    CMainFrame& frame = *app->GetMainFrame();
    const auto* message = frame.statusBar()->findChild<QLabel*>(QStringLiteral("MessagePane"));
    QVERIFY(message);
    QCOMPARE(message->text(), QStringLiteral("-plekto-"));
    QStringList panes;
    for (const QLabel* pane : frame.GetIndicatorPanes()) {
        panes << pane->objectName();
        // Each pane is wide enough for its text, shown or not, and right of the message.
        QVERIFY(pane->minimumWidth() > pane->fontMetrics().horizontalAdvance(pane->objectName()));
        QVERIFY(pane->x() > message->x());
    }
    QCOMPARE(panes, (QStringList{"ｶﾅ", "CAP", "NUM", "SCRL"}));
}

void TestShell::toolbarAndStatusBarShowAndHide()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    CMainFrame& frame = *app->GetMainFrame();
    QAction* toolBar = frame.GetAction(CommandId::ViewToolBar);
    QAction* statusBar = frame.GetAction(CommandId::ViewStatusBar);
    QVERIFY(toolBar->isChecked() && statusBar->isChecked());
    toolBar->trigger();
    QVERIFY(frame.GetToolBar()->isHidden());
    QVERIFY(!toolBar->isChecked());
    statusBar->trigger();
    QVERIFY(frame.statusBar()->isHidden());
    QVERIFY(!statusBar->isChecked());
    toolBar->trigger();
    statusBar->trigger();
    QVERIFY(!frame.GetToolBar()->isHidden());
    QVERIFY(!frame.statusBar()->isHidden());
    // Hidden some other way, the menu's check mark follows when the menu opens.
    frame.GetToolBar()->hide();
    emit TopMenu(frame, 2)->aboutToShow();
    QVERIFY(!toolBar->isChecked());
}

void TestShell::closeLeavesAnEmptyScore()
{
    QTemporaryDir dir;
    auto app = StartApp(dir, {Example("exercise.tab")});
    CMainFrame& frame = *app->GetMainFrame();
    QVERIFY(!app->GetDocument().Score->UnitItems.empty());
    frame.GetAction(CommandId::FileNew)->trigger();
    QVERIFY(frame.isVisible());
    QCOMPARE(frame.windowTitle(), QStringLiteral("無題 - Plekto"));
    const CScore& score = *app->GetDocument().Score;
    QVERIFY(score.UnitItems.empty());
    QVERIFY(!score.TitleBlock);
    QCOMPARE(score.LineCount, 0);
    QCOMPARE(frame.GetView()->verticalScrollBar()->value(), 0);
}

void TestShell::recentFilesKeepFourNewestFirst()
{
    QTemporaryDir dir;
    QStringList files;
    for (int i = 1; i <= 5; ++i)
        files << WriteFile(dir, QStringLiteral("s%1.tab").arg(i), NotesScore(i));
    {
        auto app = StartApp(dir);
        for (const QString& file : files)
            QVERIFY(app->OpenDocumentFile(file));
        QCOMPARE(app->GetRecentFiles().Entries(), (QStringList{files[4], files[3], files[2], files[1]}));
        // Opening a listed file again moves it to the front instead of adding it twice.
        app->OpenDocumentFile(files[2]);
        QCOMPARE(app->GetRecentFiles().Entries(), (QStringList{files[2], files[4], files[3], files[1]}));

        // The File menu lists them between the print commands and the exit item.
        const QStringList entries = MenuEntries(TopMenu(*app->GetMainFrame(), 0));
        const int order[] = {2, 4, 3, 1};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(entries[7 + i], CRecentFileList::MenuText(i, files[order[i]]));
        QCOMPARE(entries[11], QStringLiteral("-"));
    }
    // The store keeps them as "File1".."File4" for the next start.
    QSettings ini(dir.filePath(QStringLiteral("Plekto.conf")), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Recent File List/File1")).toString(), files[2]);
    QCOMPARE(ini.value(QStringLiteral("Recent File List/File4")).toString(), files[1]);
    QVERIFY(!ini.contains(QStringLiteral("Recent File List/File5")));
    auto again = StartApp(dir);
    QCOMPARE(again->GetRecentFiles().Entries(), (QStringList{files[2], files[4], files[3], files[1]}));
}

void TestShell::recentFileEntryOpensItsFile()
{
    QTemporaryDir dir;
    const QString first = WriteFile(dir, QStringLiteral("first.tab"), NotesScore(3));
    const QString second = WriteFile(dir, QStringLiteral("second.tab"), NotesScore(5));
    auto app = StartApp(dir, {first});
    app->OpenDocumentFile(second);
    QCOMPARE(app->GetDocument().Score->UnitItems.size(), std::size_t{5});
    // Entry 2 is the file opened before the last one.
    QAction* entry = nullptr;
    for (QAction* action : TopMenu(*app->GetMainFrame(), 0)->actions())
        if (action->data().toInt() == CommandId::FileMruFirst + 1)
            entry = action;
    QVERIFY(entry);
    entry->trigger();
    QCOMPARE(app->GetDocument().Score->UnitItems.size(), std::size_t{3});
    QCOMPARE(app->GetMainFrame()->windowTitle(), QStringLiteral("first.tab - Plekto"));
    QCOMPARE(app->GetRecentFiles().Entries().first(), first);
}

void TestShell::abbreviatedRecentNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short") << "/home/a/song.tab"
                           << "/home/a/song.tab";
    QTest::newRow("middle dropped") << "/home/player/scores/2024/blues/song.tab"
                                    << "/home/.../2024/blues/song.tab";
    QTest::newRow("only the name fits") << "/home/player/a-very-long-score-name.tab"
                                        << "a-very-long-score-name.tab";
    QTest::newRow("name too long") << "/x/an-extremely-long-file-name-for-a-score.tab"
                                   << "an-extremely-long-file-name-for-a-score.tab";
}

void TestShell::abbreviatedRecentNames()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(CRecentFileList::AbbreviateName(path, CRecentFileList::MaxDisplayLength), shown);
    QCOMPARE(CRecentFileList::MenuText(1, QStringLiteral("/r&b/x.tab")), QStringLiteral("&2 /r&&b/x.tab"));
}

void TestShell::openDialogFilters()
{
    QTemporaryDir dir;
    for (const char* name : {"a.tab", "b.txt", "c.pdf", "d.TAB"})
        WriteFile(dir, QString::fromLatin1(name), "x");
    const auto dialog = CPlektoApp::CreateOpenDialog(nullptr);
    QCOMPARE(dialog->nameFilters(), (QStringList{"Plekto Files(*.tab;*.txt)", "All Files(*.*)"}));
    QCOMPARE(dialog->defaultSuffix(), QString());
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    dialog->setDirectory(dir.path());
    dialog->show();
    auto listed = [&] {
        const auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        QStringList names;
        for (int i = 0; i < list->model()->rowCount(list->rootIndex()); ++i)
            names << list->model()->index(i, 0, list->rootIndex()).data().toString();
        names.sort();
        return names;
    };
    // Patterns match regardless of case, as the file systems of the platform that the
    // scores come from do.
    QTRY_COMPARE(listed(), (QStringList{"a.tab", "b.txt", "d.TAB"}));
    auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(combo);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QTRY_COMPARE(listed(), (QStringList{"a.tab", "b.txt", "c.pdf", "d.TAB"}));
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    QTRY_COMPARE(listed(), (QStringList{"a.tab", "b.txt", "d.TAB"}));
}

void TestShell::aboutBox()
{
    QTemporaryDir dir;
    auto app = StartApp(dir);
    QString title;
    QStringList lines;
    QString button;
    QSize size;
    auto seen = OnNextModal([&](QWidget* w) {
        title = w->windowTitle();
        for (const QLabel* label : w->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                lines << label->text();
        if (const auto* ok = w->findChild<QPushButton*>())
            button = ok->text();
        size = w->size();
    });
    app->GetMainFrame()->GetAction(CommandId::AppAbout)->trigger();
    QVERIFY(*seen);
    QCOMPARE(title, QStringLiteral("Plektoについて..."));
    QVERIFY(lines.contains(QStringLiteral("Plekto Version 1.06")));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(button, QStringLiteral("OK"));
    // 218 x 77 dialog units: wider than tall by about the same ratio in any font.
    QVERIFY(size.width() > 2 * size.height());
}

void TestShell::helpPathIsFormedBesideTheProgram()
{
    auto none = [](const QString&) { return false; };
    QCOMPARE(FormHelpPath(QStringLiteral("/opt/plekto/bin/plekto"), none),
             std::optional<QString>(QStringLiteral("/opt/plekto/bin/help/index.html")));
    // An installation keeps the pages under share/.
    auto installed = [](const QString& path) { return path == QStringLiteral("/usr/share/plekto/help/index.html"); };
    QCOMPARE(FormHelpPath(QStringLiteral("/usr/bin/plekto"), installed),
             std::optional<QString>(QStringLiteral("/usr/share/plekto/help/index.html")));
    QCOMPARE(FormHelpPath(QStringLiteral("plekto"), none), std::nullopt);
    // The directory plus the suffix must stay below the path limit.
    const qsizetype suffix = qsizetype(sizeof(HelpFileSuffix) - 1);
    const QString fits = QLatin1Char('/') + QString(MaxHelpPathLength - suffix - 2, QLatin1Char('d'));
    QVERIFY(FormHelpPath(fits + QStringLiteral("/plekto"), none).has_value());
    QCOMPARE(FormHelpPath(fits + QStringLiteral("d/plekto"), none), std::nullopt);
}

void TestShell::helpCommandOpensThePagesOrSaysWhy()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("plekto"));
    QDir(dir.path()).mkdir(QStringLiteral("help"));
    const QString page = WriteFile(dir, QStringLiteral("help/index.html"), "<html></html>");
    auto app = StartApp(dir, {}, program);
    CMainFrame& frame = *app->GetMainFrame();
    QCOMPARE(app->GetHelpFilePath(), std::optional<QString>(page));
    QList<QUrl> opened;
    frame.OpenUrl = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    frame.GetAction(CommandId::HelpContents)->trigger();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(page)});

    // No path: a message instead of nothing.
    app->SetHelpFilePath(std::nullopt);
    QString text;
    auto seen = OnNextModal([&](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w))
            text = box->text();
    });
    frame.GetAction(CommandId::HelpContents)->trigger();
    QVERIFY(*seen);
    QVERIFY(!text.isEmpty());
    QCOMPARE(opened.size(), 1);

    // A path without pages: a message naming it.
    app->SetHelpFilePath(dir.filePath(QStringLiteral("gone/index.html")));
    auto seenMissing = OnNextModal([&](QWidget* w) { text = qobject_cast<QMessageBox*>(w)->text(); });
    frame.GetAction(CommandId::HelpContents)->trigger();
    QVERIFY(*seenMissing);
    QVERIFY(text.contains(QStringLiteral("gone/index.html")));
    QCOMPARE(opened.size(), 1);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
