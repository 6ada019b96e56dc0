// Live reload and the problems window.
#include <QAction>
#include <QDockWidget>
#include <QListWidget>
#include <QSignalSpy>
#include <cstdio>

#include "WidgetTest.h"
#include "app/FileWatcher.h"

using namespace WidgetTest;

namespace
{
const QString Song = QStringLiteral("song.tab");

// A safe editor's save: a temporary file renamed over the old one.
bool RenameSave(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString temporary = WriteFile(dir, Song + QStringLiteral(".swp"), text);
    return std::rename(QFile::encodeName(temporary), QFile::encodeName(dir.filePath(Song))) == 0;
}

std::size_t ItemCount(const CPlektoApp& app) { return app.GetDocument().Score->UnitItems.size(); }

// The message pane's text, then '|' and the problem entries when the dock is shown.
QString Problems(CMainFrame& frame)
{
    QStringList shown{Pane(frame, "MessagePane")};
    const auto* list = frame.findChild<QListWidget*>(QStringLiteral("ProblemList"));
    for (int i = 0; !frame.GetProblemsDock()->isHidden() && i < list->count(); ++i)
        shown << list->item(i)->text();
    return shown.join(QLatin1Char('|'));
}
}  // namespace

class TestReload : public QObject
{
    Q_OBJECT

private slots:
    void changesAndRenameSavesAreShownWithTheScrollPositionKept()
    {
        QTemporaryDir dir;
        const QString other = WriteFile(dir, QStringLiteral("other.tab"), NotesScore(5));
        auto app = StartApp(dir, {other});
        const QString path = WriteFile(dir, Song, NotesScore(20 * ItemsPerLine));
        QVERIFY(app->OpenDocumentFile(path));
        CMainFrame& frame = *app->GetMainFrame();
        frame.resize(500, 400);
        CPlektoView& view = *frame.GetView();
        QScrollBar& v = *view.verticalScrollBar();
        QScrollBar& h = *view.horizontalScrollBar();
        v.setValue(1500);
        h.setValue(50);
        const QStringList recent = app->GetRecentFiles().Entries();
        WriteFile(dir, Song, NotesScore(22 * ItemsPerLine));
        QTRY_COMPARE(ItemCount(*app), std::size_t{22 * ItemsPerLine});
        QCOMPARE(v.value(), 1500);
        QCOMPARE(view.GetPageView().DocumentHeight, 22 * 39.5 + 20 + 15);  // prepared for the new score
        QCOMPARE(app->GetRecentFiles().Entries(), recent);
        // A score of one page: clamped to the new bottom.
        WriteFile(dir, Song, NotesScore(2 * ItemsPerLine));
        QTRY_COMPARE(ItemCount(*app), std::size_t{2 * ItemsPerLine});
        QVERIFY(v.maximum() < 1500); QVERIFY(v.value() == v.maximum());
        QCOMPARE(h.value(), 50);
        // Each rename loses the watch on the replaced file; it must come back each time.
        for (const int items : {11, 12}) {
            QVERIFY(RenameSave(dir, NotesScore(items)));
            QTRY_COMPARE(ItemCount(*app), std::size_t(items));
        }
        WriteFile(dir, Song, NotesScore(14));
        QTRY_COMPARE(ItemCount(*app), std::size_t{14});
        CFileWatcher& watcher = app->GetWatcher();
        watcher.SetGracePeriod(60 * 1000);
        QSignalSpy reloads(&watcher, &CFileWatcher::Changed);
        // Back with new contents: one reload, never of an empty score; with the same contents: none.
        for (const std::size_t before : {std::size_t{14}, std::size_t{12}}) {
            QVERIFY(QFile::remove(path));
            QTRY_VERIFY(watcher.IsWaitingForFile());
            QCOMPARE(ItemCount(*app), before);
            WriteFile(dir, Song, NotesScore(12));
            QTRY_VERIFY(!watcher.IsWaitingForFile());
            QTRY_COMPARE(ItemCount(*app), std::size_t{12});
            QCOMPARE(reloads.count(), 1);
        }
        // Gone for good: the last score stays and the status bar says the file is missing;
        // still watched, the file is read again once it is back.
        watcher.SetGracePeriod(20);
        QVERIFY(QFile::remove(path));
        QTRY_VERIFY(Problems(frame).startsWith(QStringLiteral("ファイルが見つかりません: ") + path));
        QCOMPARE(ItemCount(*app), std::size_t{12});
        QCOMPARE(frame.windowTitle(), QStringLiteral("song.tab - Plekto"));
        QVERIFY(RenameSave(dir, NotesScore(7)));
        QTRY_COMPARE(ItemCount(*app), std::size_t{7});
        QCOMPARE(Problems(frame), QStringLiteral("-plekto-"));
    }

    void toggleStopsWatchingAndPersists()
    {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, Song, NotesScore(10));
        {
            auto app = StartApp(dir, {path});
            QAction* toggle = app->GetMainFrame()->GetAction(CommandId::ViewAutoReload);
            QVERIFY(toggle->isChecked());
            toggle->trigger();
            WriteFile(dir, Song, NotesScore(11));
            QVERIFY(RenameSave(dir, NotesScore(12)));
            QTest::qWait(20 * CFileWatcher::SettleMs);
            QCOMPARE(ItemCount(*app), std::size_t{10});
            // Switched on again: the change made meanwhile is read at once, later ones follow.
            toggle->trigger();
            QCOMPARE(ItemCount(*app), std::size_t{12});
            WriteFile(dir, Song, NotesScore(13));
            QTRY_COMPARE(ItemCount(*app), std::size_t{13});
            toggle->trigger();
        }
        // Kept for the next start among the viewer's own values.
        for (const bool on : {false, true}) {
            auto app = StartApp(dir);
            QAction* toggle = app->GetMainFrame()->GetAction(CommandId::ViewAutoReload);
            QVERIFY(toggle->isChecked() == on); QVERIFY(app->GetWatcher().IsEnabled() == on);
            QCOMPARE(app->GetSettings().allKeys().filter(QStringLiteral("AutoReload")), QStringList{"Viewer/AutoReload"});
            toggle->trigger();
        }
    }

    void noReloadUnderADialogAndF5ByHand()
    {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, Song, NotesScore(10));
        auto app = StartApp(dir, {path});
        CMainFrame& frame = *app->GetMainFrame();
        // While the settings sheet is open the score stays as it is.
        const CScore* before = app->GetDocument().Score.get();
        bool keptWhileOpen = false;
        QSignalSpy changes(&app->GetWatcher(), &CFileWatcher::Changed);
        auto seen = OnNextModal([&](QWidget*) {
            WriteFile(dir, Song, NotesScore(11));
            QTRY_VERIFY(changes.count() > 0);
            keptWhileOpen = app->GetDocument().Score.get() == before && ItemCount(*app) == 10;
        });
        frame.GetAction(CommandId::ScoreSettings)->trigger();
        QVERIFY(seen->Seen); QVERIFY(keptWhileOpen);
        QTRY_COMPARE(ItemCount(*app), std::size_t{11});
        app->SetAutoReload(false);
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        WriteFile(dir, Song, NotesScore(12));
        QTest::keyClick(&frame, Qt::Key_F5);
        QCOMPARE(ItemCount(*app), std::size_t{12});
        // By hand, a file that cannot be read gets open's message; the score stays.
        QVERIFY(QFile::remove(path));
        QString text;
        seen = OnNextModal([&](QWidget* w) { text = MessageText(w); });
        QTest::keyClick(&frame, Qt::Key_F5);
        QVERIFY(seen->Seen); QVERIFY2(text.contains(path), qPrintable(text));
        QCOMPARE(ItemCount(*app), std::size_t{12});
        frame.GetAction(CommandId::FileNew)->trigger();
        QVERIFY(!app->ReloadDocument());
    }

    void problemsAreCountedListedAndCleared()
    {
        QTemporaryDir dir;
        // An ignored token quoted from code page 932 ("xあ"); a closing token with nothing open;
        // a beam never closed.
        const QString path = WriteFile(dir, QStringLiteral("faulty.tab"), "n4nn1/x\x82\xa0/\nn4nn2/3e/\nfs8/n8nn3/\n");
        auto app = StartApp(dir, {path});
        CMainFrame& frame = *app->GetMainFrame();
        const QStringList entries = Problems(frame).split(QLatin1Char('|'));
        QCOMPARE(entries.size(), 4);
        const char* starts[] = {"エラー 1 件、警告 2 件", "1:7: warning: 'xあ'", "2:7: error: ", "3:1: warning: "};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(entries[i].startsWith(QString::fromUtf8(starts[i])), qPrintable(entries[i]));
        // Double-click tells the line and the message, and opens the editor there.
        QStringList launched;
        frame.Launcher = [&launched](const QString& program, const QStringList& arguments, QString&) {
            launched = QStringList{program} + arguments;
            return true;
        };
        app->GetSettings().setValue(CMainFrame::EditorCommandKey, QStringLiteral("ed +%l:%c %f"));
        auto* list = frame.findChild<QListWidget*>(QStringLiteral("ProblemList"));
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        list->scrollToItem(list->item(1));
        const QRect row = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());  // a real double-click starts so
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
        const QString shown = frame.statusBar()->currentMessage();
        QVERIFY2(shown.startsWith(QStringLiteral("2 行目: ")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("3e")), qPrintable(shown));
        QCOMPARE(launched, (QStringList{"ed", "+2:7", path}));
        // A clean reload clears the count and hides the list, and the line shown goes with
        // the text it came from; so does closing.
        WriteFile(dir, QStringLiteral("faulty.tab"), NotesScore(10));
        QTRY_COMPARE(ItemCount(*app), std::size_t{10});
        QCOMPARE(Problems(frame), QStringLiteral("-plekto-"));
        QCOMPARE(frame.statusBar()->currentMessage(), QString());
        WriteFile(dir, QStringLiteral("faulty.tab"), "zz/\n");
        QTRY_VERIFY(Problems(frame).startsWith(QStringLiteral("エラー 0 件、警告 1 件|")));
        frame.GetAction(CommandId::FileNew)->trigger();
        QCOMPARE(Problems(frame), QStringLiteral("-plekto-"));
    }
};

QTEST_MAIN(TestReload)
#include "tst_reload.moc"
