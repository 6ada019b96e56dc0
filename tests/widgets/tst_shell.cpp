// The application shell: start-up, menus, toolbar, status bar, recent files and help.
#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <cerrno>
#include <cstring>

#include "WidgetTest.h"
#include "app/Help.h"
#include "app/HelpWindow.h"
#include "app/RecentFileList.h"

using namespace WidgetTest;

namespace
{
QMenu* TopMenu(CMainFrame& frame, int index) { return frame.menuBar()->actions().at(index)->menu(); }
QString Title(const CPlektoApp& app) { return app.GetMainFrame()->windowTitle(); }
}  // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void startUpAndClose()
    {
        const std::tuple<QString, const char*, int, int> starts[] = {
            {QString(), "無題", 0, 0},
            {Example("exercise.tab"), "exercise.tab", 11, 2}};  // title line + one TAB line
        for (const auto& [file, title, items, lines] : starts) {
            QTemporaryDir dir;
            auto app = StartApp(dir, file.isEmpty() ? QStringList{} : QStringList{file});
            QVERIFY(app); QVERIFY(app->GetMainFrame()->isVisible());
            QCOMPARE(Title(*app), QString::fromUtf8(title) + QStringLiteral(" - Plekto"));
            const CScore* score = app->GetDocument().Score.get();
            QCOMPARE(QList<int>({int(score->UnitItems.size()), score->LineCount}), QList<int>({items, lines}));
            if (items)
                QCOMPARE(app->GetRecentFiles().Entries(), QStringList{file});
            // 閉じる leaves an empty, untitled score at the top.
            app->GetMainFrame()->GetAction(CommandId::FileNew)->trigger();
            QCOMPARE(Title(*app), QStringLiteral("無題 - Plekto"));
            QVERIFY(app->GetDocument().Score->UnitItems.empty());
        }
    }

    void menusToolbarAndStatusBar()
    {
        QTemporaryDir dir;
        auto app = StartApp(dir);
        CMainFrame& frame = *app->GetMainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        // Shortcuts go to the active window; each dialog takes that away for a moment.
        for (const auto& key : {std::pair{Qt::Key_O, "QFileDialog"}, std::pair{Qt::Key_P, "QPrintDialog"}}) {
            frame.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&frame));
            QString shown;
            auto seen = OnNextModal([&](QWidget* w) { shown = w->metaObject()->className(); });
            QTest::keyClick(&frame, key.first, Qt::ControlModifier);
            QTRY_VERIFY(seen->Seen);
            QCOMPARE(shown, QString::fromLatin1(key.second));
        }
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QSignalSpy copied(frame.GetAction(CommandId::CopyImage), &QAction::triggered);
        QTest::keyClick(frame.GetView(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copied.count(), 1);
        // Every button has an icon and a prompt, which the status bar shows while it is highlighted.
        for (QAction* action : frame.GetToolBar()->actions()) {
            if (action->isSeparator())
                continue;
            QVERIFY2(!action->icon().isNull(), qPrintable(action->text()));
            action->showStatusText(&frame);
            QVERIFY2(!action->statusTip().isEmpty(), qPrintable(action->text()));
            QCOMPARE(frame.statusBar()->currentMessage(), action->statusTip());
        }
        const auto* message = frame.statusBar()->findChild<QLabel*>(QStringLiteral("MessagePane"));
        for (const QLabel* pane : frame.GetIndicatorPanes()) {
            // Wide enough for its text, shown or not, and right of the message.
            QVERIFY(pane->minimumWidth() > pane->fontMetrics().horizontalAdvance(pane->objectName()));
            QVERIFY(pane->x() > message->x());
        }
        const std::pair<QAction*, QWidget*> toggles[] = {
            {frame.GetAction(CommandId::ViewToolBar), frame.GetToolBar()},
            {frame.GetAction(CommandId::ViewStatusBar), frame.statusBar()}};
        for (const auto& [action, bar] : toggles)
            for (const bool on : {true, false, true}) {
                QVERIFY(action->isChecked() == on); QVERIFY(bar->isHidden() != on);
                action->trigger();
            }
        // Hidden some other way, the menu's check mark follows when the menu opens.
        frame.GetToolBar()->hide();
        emit TopMenu(frame, 2)->aboutToShow();
        QVERIFY(!frame.GetAction(CommandId::ViewToolBar)->isChecked());
    }

    void recentFiles()
    {
        QTemporaryDir dir;
        QStringList files;
        for (int i = 1; i <= 5; ++i)
            files << WriteFile(dir, QStringLiteral("s%1.tab").arg(i), NotesScore(i));
        {
            auto app = StartApp(dir);
            for (const QString& file : files)
                QVERIFY(app->OpenDocumentFile(file));
            // Four kept, newest first; opening a listed one again moves it to the front.
            QCOMPARE(app->GetRecentFiles().Entries(), (QStringList{files[4], files[3], files[2], files[1]}));
            app->OpenDocumentFile(files[2]);
            // The File menu lists them between the print commands and the exit item.
            const QList<QAction*> items = TopMenu(*app->GetMainFrame(), 0)->actions();
            for (int i = 0; i < 4; ++i)
                QCOMPARE(items.at(7 + i)->text(), CRecentFileList::MenuText(i, files[QList<int>{2, 4, 3, 1}[i]]));
            QVERIFY(items.at(11)->isSeparator());
            items.at(9)->trigger();  // entry 3
            QVERIFY(app->GetDocument().Score->UnitItems.size() == 4);
            QVERIFY(Title(*app) == QStringLiteral("s4.tab - Plekto"));
        }
        // Kept as "File1".."File4" for the next start.
        QSettings ini(dir.filePath(QStringLiteral("Plekto.conf")), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Recent File List/File4")).toString(), files[1]);
        QVERIFY(!ini.contains(QStringLiteral("Recent File List/File5")));
        QCOMPARE(StartApp(dir)->GetRecentFiles().Entries(), (QStringList{files[3], files[2], files[4], files[1]}));
        QCOMPARE(CRecentFileList::MenuText(1, QStringLiteral("/r&b/x.tab")), QStringLiteral("&2 /r&&b/x.tab"));
        // Long names lose their middle directories, then everything but the name.
        const std::pair<const char*, const char*> names[] = {
            {"/home/a/song.tab", "/home/a/song.tab"},
            {"/home/player/scores/2024/blues/song.tab", "/home/.../2024/blues/song.tab"},
            {"/home/player/a-very-long-score-name.tab", "a-very-long-score-name.tab"},
            {"/x/an-extremely-long-file-name-for-a-score.tab", "an-extremely-long-file-name-for-a-score.tab"}};
        for (const auto& [path, shown] : names)
            QCOMPARE(CRecentFileList::AbbreviateName(QString::fromUtf8(path), CRecentFileList::MaxDisplayLength),
                     QString::fromUtf8(shown));
    }

    void failedOpensChangeNothing()
    {
        QTemporaryDir dir;
        QString text;
        auto boxText = [&text](QWidget* w) { text = MessageText(w); };
        // Named on the command line: an empty score, and the message.
        const QString gone = dir.filePath(QStringLiteral("gone.tab"));
        auto seen = OnNextModal(boxText);
        auto app = StartApp(dir, {gone});
        QVERIFY(app); QVERIFY(seen->Seen); QVERIFY(text.contains(gone));
        QCOMPARE(Title(*app), QStringLiteral("無題 - Plekto"));
        const QString good = WriteFile(dir, QStringLiteral("good.tab"), NotesScore(3));
        const QString stale = WriteFile(dir, QStringLiteral("stale.tab"), NotesScore(4));
        QVERIFY(app->OpenDocumentFile(stale)); QVERIFY(app->OpenDocumentFile(good));
        const CScore* shown = app->GetDocument().Score.get();
        // The path, and the system's reason as the reader reports it.
        const std::pair<QString, int> failures[] = {{dir.filePath(QStringLiteral("missing.tab")), ENOENT},
                                                    {dir.path(), EISDIR}};
        for (const auto& [path, error] : failures) {
            seen = OnNextModal(boxText);
            QVERIFY(!app->OpenDocumentFile(path)); QVERIFY(seen->Seen);
            QCOMPARE(text, QStringLiteral("ファイルを開けません: ") + path + '\n' + QString::fromLocal8Bit(std::strerror(error)));
            QVERIFY(app->GetDocument().Score.get() == shown); QVERIFY(Title(*app) == QStringLiteral("good.tab - Plekto"));
            QCOMPARE(app->GetDocument().GetPathName(), good);
            QCOMPARE(app->GetRecentFiles().Entries(), (QStringList{good, stale}));
        }
        // A recent entry that no longer opens offers to leave the list: "no" keeps it, "yes"
        // takes it out of the menu and the store.
        QVERIFY(QFile::remove(stale));
        QMenu* file = TopMenu(*app->GetMainFrame(), 0);
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            seen = OnNextModal([&](QWidget* w) { boxText(w); qobject_cast<QMessageBox*>(w)->button(answer)->click(); });
            file->actions().at(8)->trigger();  // the second entry
            QVERIFY(seen->Seen); QVERIFY(text.contains(stale)); QVERIFY(app->GetDocument().Score.get() == shown);
        }
        QCOMPARE(app->GetRecentFiles().Entries(), QStringList{good});
        QVERIFY(file->actions().at(8)->isSeparator());
        QSettings ini(dir.filePath(QStringLiteral("Plekto.conf")), QSettings::IniFormat);
        QVERIFY(!ini.contains(QStringLiteral("Recent File List/File2")));
    }

    void openDialogFilters()
    {
        QTemporaryDir dir;
        for (const char* name : {"a.tab", "b.txt", "c.pdf", "d.TAB"})
            WriteFile(dir, QString::fromLatin1(name), "x");
        const auto dialog = CPlektoApp::CreateOpenDialog(nullptr);
        dialog->setDirectory(dir.path());
        dialog->show();
        const auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        auto listed = [&] {
            QStringList names;
            for (int i = 0; i < list->model()->rowCount(list->rootIndex()); ++i)
                names << list->model()->index(i, 0, list->rootIndex()).data().toString();
            names.sort();
            return names;
        };
        // Patterns match regardless of case.
        QTRY_COMPARE(listed(), (QStringList{"a.tab", "b.txt", "d.TAB"}));
    }

    void aboutBoxAndHelpCommand()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("help"));
        const QString page = WriteFile(dir, QStringLiteral("help/index.html"), "<html></html>");
        auto app = StartApp(dir, {}, dir.filePath(QStringLiteral("plekto")));
        CMainFrame& frame = *app->GetMainFrame();
        auto seen = OnNextModal([&](QWidget* w) {
            QStringList lines;
            for (const QLabel* label : w->findChildren<QLabel*>())
                if (!label->text().isEmpty())
                    lines << label->text();
            QVERIFY(lines.size() == 4); QVERIFY(lines.contains(QStringLiteral("Plekto Version 1.06")));
            QVERIFY(w->width() > 2 * w->height());  // 218 x 77 dialog units
        });
        frame.GetAction(CommandId::AppAbout)->trigger();
        QVERIFY(seen->Seen);
        QCOMPARE(app->GetHelpFilePath(), std::optional<QString>(page));
        // No path, or a path without pages: a message (naming the path) instead of nothing.
        const std::optional<QString> paths[] = {std::nullopt, dir.filePath(QStringLiteral("gone/index.html"))};
        for (const std::optional<QString>& path : paths) {
            app->SetHelpFilePath(path);
            QString text;
            seen = OnNextModal([&](QWidget* w) { text = MessageText(w); });
            frame.GetAction(CommandId::HelpContents)->trigger();
            QVERIFY(seen->Seen); QVERIFY(!frame.GetHelpWindow());
            QVERIFY(path ? text.contains(QStringLiteral("gone/index.html")) : !text.isEmpty());
        }
        // Where the pages are looked for.
        using Path = std::optional<QString>;
        auto none = [](const QString&) { return false; };
        auto installed = [](const QString& path) { return path == QStringLiteral("/usr/share/plekto/help/index.html"); };
        QCOMPARE(FormHelpPath(QStringLiteral("/opt/plekto/bin/plekto"), none),
                 Path(QStringLiteral("/opt/plekto/bin/help/index.html")));
        // An installation keeps the pages under share/.
        QCOMPARE(FormHelpPath(QStringLiteral("/usr/bin/plekto"), installed),
                 Path(QStringLiteral("/usr/share/plekto/help/index.html")));
        QCOMPARE(FormHelpPath(QStringLiteral("plekto"), none), std::nullopt);
        // The directory plus the suffix must stay below the path limit.
        const QString fits = QLatin1Char('/') + QString(MaxHelpPathLength - qsizetype(sizeof(HelpFileSuffix)) - 1, 'd');
        QVERIFY(FormHelpPath(fits + QStringLiteral("/plekto"), none).has_value());
        QCOMPARE(FormHelpPath(fits + QStringLiteral("d/plekto"), none), std::nullopt);
    }

    void helpWindowFollowsLinksAndGoesBack()
    {
        // The pages that ship with the program, found beside a program in resources/.
        QTemporaryDir dir;
        const QString help = QStringLiteral(PLEKTO_SOURCE_DIR "/resources/help/");
        auto app = StartApp(dir, {}, QStringLiteral(PLEKTO_SOURCE_DIR "/resources/plekto"));
        CMainFrame& frame = *app->GetMainFrame();
        frame.GetAction(CommandId::HelpContents)->trigger();
        CHelpWindow* window = frame.GetHelpWindow();
        QVERIFY(window); QVERIFY(QTest::qWaitForWindowExposed(window));
        QTextBrowser* browser = window->GetBrowser();
        const auto shown = [&] { return QFileInfo(browser->source().toLocalFile()).canonicalFilePath(); };
        QCOMPARE(shown(), QFileInfo(help + "index.html").canonicalFilePath());
        QVERIFY(!window->GetBackButton()->isEnabled());
        // Follow the link; the buttons below act only when enabled, so the page they reach shows it.
        QTextCursor link(browser->document());
        link.setPosition(browser->document()->find(QStringLiteral("譜面の記法")).selectionStart() + 1);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(link).center());
        QTRY_COMPARE(shown(), QFileInfo(help + "notation.html").canonicalFilePath());
        window->GetBackButton()->click();
        QCOMPARE(shown(), QFileInfo(help + "index.html").canonicalFilePath());
        window->GetForwardButton()->click();
        QCOMPARE(shown(), QFileInfo(help + "notation.html").canonicalFilePath());
    }

    void qtOwnTextsInJapanese()
    {
        // Qt's standard buttons and dialogs follow the program's language, not the user's
        // locale, while an application runs; its translator leaves with it.
        const QLocale before;
        QLocale::setDefault(QLocale::English);
        const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        const auto lookIn = [] { return QCoreApplication::translate("QFileDialog", "Look in:"); };
        QTemporaryDir dir;
        auto app = StartApp(dir);
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm")))
            QSKIP("Qt's Japanese translation is not installed (qt6-translations-l10n)");
        QCOMPARE(cancel(), QStringLiteral("キャンセル"));
        QVERIFY(lookIn() != QStringLiteral("Look in:"));
        app.reset();
        QCOMPARE(cancel(), QStringLiteral("Cancel"));
        QLocale::setDefault(before);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
