// Live reload and the problems window: a changed file is read again with the scroll
// position kept, editors' rename-saves and brief absences are followed, the toggle
// switches watching off and is remembered, F5 reloads by hand, and the reader's errors
// and warnings are counted in the status bar and listed in a dock.
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <cstdio>

#include "WidgetTest.h"
#include "app/CommandIds.h"
#include "app/FileWatcher.h"
#include "app/MainFrame.h"
#include "app/PlektoDoc.h"
#include "display/qt/PlektoView.h"
#include "model/Score.h"

using namespace WidgetTest;

namespace
{
// What an editor that saves safely does: the new text goes to a temporary file that is
// then renamed over the old one.
bool RenameSave(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString temporary = WriteFile(dir, name + QStringLiteral(".swp"), text);
    return std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(dir.filePath(name)).constData()) ==
           0;
}

std::size_t ItemCount(const CPlektoApp& app) { return app.GetDocument().Score->UnitItems.size(); }

QString MessagePaneText(CMainFrame& frame)
{
    const auto* pane = frame.statusBar()->findChild<QLabel*>(QStringLiteral("MessagePane"));
    return pane ? pane->text() : QStringLiteral("<no pane>");
}

QStringList ProblemEntries(CMainFrame& frame)
{
    QStringList entries;
    const auto* list = frame.findChild<QListWidget*>(QStringLiteral("ProblemList"));
    for (int i = 0; list && i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}
}  // namespace

class TestReload : public QObject
{
    Q_OBJECT

private slots:
    void changedFileIsShownWithTheScrollPositionKept();
    void renameSavesAndAbsencesAreFollowed();
    void toggleStopsWatchingAndPersists();
    void noReloadUnderADialogAndF5ByHand();
    void problemsAreCountedListedAndCleared();
};

void TestReload::changedFileIsShownWithTheScrollPositionKept()
{
    QTemporaryDir dir;
    const QString other = WriteFile(dir, QStringLiteral("other.tab"), NotesScore(5));
    const QString path = WriteFile(dir, QStringLiteral("song.tab"), NotesScore(20 * ItemsPerLine));
    auto app = StartApp(dir, {other});
    QVERIFY(app->OpenDocumentFile(path));
    CMainFrame& frame = *app->GetMainFrame();
    frame.resize(500, 400);
    CPlektoView& view = *frame.GetView();
    QScrollBar& v = *view.verticalScrollBar();
    QScrollBar& h = *view.horizontalScrollBar();
    QVERIFY(v.maximum() > 1500 && h.maximum() > 50);
    v.setValue(1500);
    h.setValue(50);
    const QStringList recent = app->GetRecentFiles().Entries();

    // A longer score: the position stays where it was.
    WriteFile(dir, QStringLiteral("song.tab"), NotesScore(22 * ItemsPerLine));
    QTRY_COMPARE(ItemCount(*app), std::size_t{22 * ItemsPerLine});
    QCOMPARE(v.value(), 1500);
    QCOMPARE(h.value(), 50);
    QCOMPARE(view.GetPageView().DocumentHeight, 22 * 39.5 + 20 + 15);  // prepared for the new score
    QCOMPARE(app->GetRecentFiles().Entries(), recent);

    // A score of one page: the position is clamped to the new bottom.
    WriteFile(dir, QStringLiteral("song.tab"), NotesScore(2 * ItemsPerLine));
    QTRY_COMPARE(ItemCount(*app), std::size_t{2 * ItemsPerLine});
    QVERIFY(v.maximum() < 1500);
    QCOMPARE(v.value(), v.maximum());
    QCOMPARE(h.value(), 50);
}

void TestReload::renameSavesAndAbsencesAreFollowed()
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("song.tab"), NotesScore(10));
    auto app = StartApp(dir, {path});
    // The watch on the replaced file is lost with each rename: it must come back each
    // time, and a plain rewrite after the renames is still seen.
    for (const int items : {11, 12, 13, 14}) {
        if (items < 14)
            QVERIFY(RenameSave(dir, QStringLiteral("song.tab"), NotesScore(items)));
        else
            WriteFile(dir, QStringLiteral("song.tab"), NotesScore(items));
        QTRY_COMPARE(ItemCount(*app), std::size_t(items));
    }
    CFileWatcher& watcher = app->GetWatcher();
    watcher.SetGracePeriod(60 * 1000);  // long enough that no slow machine runs it out
    QSignalSpy reloads(&watcher, &CFileWatcher::Changed);
    // Back with new contents: one reload, of the returned file, none of an empty score;
    // back with the very same contents: nothing to read again.
    for (const std::size_t before : {std::size_t{14}, std::size_t{12}}) {
        QVERIFY(QFile::remove(path));
        QTRY_VERIFY(watcher.IsWaitingForFile());
        QCOMPARE(ItemCount(*app), before);
        WriteFile(dir, QStringLiteral("song.tab"), NotesScore(12));
        QTRY_VERIFY(!watcher.IsWaitingForFile());
        QTRY_COMPARE(ItemCount(*app), std::size_t{12});
        QCOMPARE(reloads.count(), 1);
    }
    // Gone for good: as open does with a file it cannot read, an empty score under the
    // file's name, still watched so that it is shown when it comes back.
    watcher.SetGracePeriod(20);
    QVERIFY(QFile::remove(path));
    QTRY_COMPARE(ItemCount(*app), std::size_t{0});
    QCOMPARE(app->GetMainFrame()->windowTitle(), QStringLiteral("song.tab - Plekto"));
    QCOMPARE(app->GetDocument().GetPathName(), QFileInfo(path).absoluteFilePath());
    QVERIFY(RenameSave(dir, QStringLiteral("song.tab"), NotesScore(7)));
    QTRY_COMPARE(ItemCount(*app), std::size_t{7});
}

void TestReload::toggleStopsWatchingAndPersists()
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("song.tab"), NotesScore(10));
    {
        auto app = StartApp(dir, {path});
        QAction* toggle = app->GetMainFrame()->GetAction(CommandId::ViewAutoReload);
        QVERIFY(toggle->isCheckable() && toggle->isChecked());
        QSignalSpy reloads(&app->GetWatcher(), &CFileWatcher::Changed);
        toggle->trigger();
        QVERIFY(!app->GetAutoReload());
        WriteFile(dir, QStringLiteral("song.tab"), NotesScore(11));
        QVERIFY(RenameSave(dir, QStringLiteral("song.tab"), NotesScore(12)));
        QTest::qWait(20 * CFileWatcher::SettleMs);  // well past the settling time of a watched file
        QCOMPARE(reloads.count(), 0);
        QCOMPARE(ItemCount(*app), std::size_t{10});
        // Switched on again, the change made meanwhile is read at once, and later ones follow.
        toggle->trigger();
        QCOMPARE(ItemCount(*app), std::size_t{12});
        WriteFile(dir, QStringLiteral("song.tab"), NotesScore(13));
        QTRY_COMPARE(ItemCount(*app), std::size_t{13});
        toggle->trigger();
    }
    // The state is kept for the next start, with the viewer's own values rather than
    // among the score settings.
    for (const bool on : {false, true}) {
        auto app = StartApp(dir);
        QAction* toggle = app->GetMainFrame()->GetAction(CommandId::ViewAutoReload);
        QCOMPARE(toggle->isChecked(), on);
        QCOMPARE(app->GetWatcher().IsEnabled(), on);
        QCOMPARE(app->GetSettings().value(QStringLiteral("Viewer/AutoReload")).toBool(), on);
        QCOMPARE(app->GetSettings().allKeys().filter(QStringLiteral("AutoReload")), QStringList{"Viewer/AutoReload"});
        toggle->trigger();
    }
}

void TestReload::noReloadUnderADialogAndF5ByHand()
{
    QTemporaryDir dir;
    const QString path = WriteFile(dir, QStringLiteral("song.tab"), NotesScore(10));
    auto app = StartApp(dir, {path});
    CMainFrame& frame = *app->GetMainFrame();
    // The settings sheet edits the score: while it is open the score stays as it is.
    const CScore* before = app->GetDocument().Score.get();
    bool keptWhileOpen = false;
    QSignalSpy changes(&app->GetWatcher(), &CFileWatcher::Changed);
    auto seen = OnNextModal([&](QWidget*) {
        WriteFile(dir, QStringLiteral("song.tab"), NotesScore(11));
        QTRY_VERIFY(changes.count() > 0);
        keptWhileOpen = app->GetDocument().Score.get() == before && ItemCount(*app) == 10;
    });
    frame.GetAction(CommandId::ScoreSettings)->trigger();
    QVERIFY(*seen);
    QVERIFY(keptWhileOpen);
    QTRY_COMPARE(ItemCount(*app), std::size_t{11});  // read once the dialog is closed

    app->SetAutoReload(false);
    frame.activateWindow();  // shortcuts go to the active window, which the dialog had
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    WriteFile(dir, QStringLiteral("song.tab"), NotesScore(12));
    QTest::keyClick(&frame, Qt::Key_F5);
    QCOMPARE(ItemCount(*app), std::size_t{12});
    // A file that cannot be read reloads as open reads it: empty, under its name.
    QVERIFY(QFile::remove(path));
    QTest::keyClick(&frame, Qt::Key_F5);
    QCOMPARE(ItemCount(*app), std::size_t{0});
    QCOMPARE(frame.windowTitle(), QStringLiteral("song.tab - Plekto"));
    // Nothing to read for an untitled score.
    frame.GetAction(CommandId::FileNew)->trigger();
    QVERIFY(!app->ReloadDocument());
    QCOMPARE(frame.windowTitle(), QStringLiteral("無題 - Plekto"));
}

void TestReload::problemsAreCountedListedAndCleared()
{
    QTemporaryDir dir;
    // Line 1: an ignored token, quoted in code page 932 ("xあ"); line 2: a closing token
    // with nothing open; line 3: a beam never closed.
    const QByteArray text = "n4nn1/x\x82\xa0/\n"
                            "n4nn2/3e/\n"
                            "fs8/n8nn3/\n";
    const QString path = WriteFile(dir, QStringLiteral("faulty.tab"), text);
    auto app = StartApp(dir, {path});
    CMainFrame& frame = *app->GetMainFrame();
    QCOMPARE(MessagePaneText(frame), QStringLiteral("エラー 1 件、警告 2 件"));
    QVERIFY(!frame.GetProblemsDock()->isHidden());
    QCOMPARE(frame.GetProblemsDock()->windowTitle(), QStringLiteral("問題"));

    const QStringList entries = ProblemEntries(frame);
    QCOMPARE(entries.size(), 3);
    const char* starts[] = {"1:7: warning: 'xあ'", "2:7: error: ", "3:1: warning: "};
    for (int i = 0; i < 3; ++i)
        QVERIFY2(entries[i].startsWith(QString::fromUtf8(starts[i])), qPrintable(entries[i]));
    QVERIFY(entries[1].contains(QStringLiteral("3e")));

    // Double-click tells the line and the message.
    auto* list = frame.findChild<QListWidget*>(QStringLiteral("ProblemList"));
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    list->scrollToItem(list->item(1));
    const QRect row = list->visualItemRect(list->item(1));
    // A real double-click begins with a click; the view wants the press on the same row.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    const QString shown = frame.statusBar()->currentMessage();
    QVERIFY2(shown.startsWith(QStringLiteral("2 行目: ")) && shown.contains(QStringLiteral("3e")), qPrintable(shown));

    // Fixed on disk: the reload clears the count and hides the list; so does closing.
    WriteFile(dir, QStringLiteral("faulty.tab"), NotesScore(10));
    QTRY_COMPARE(ItemCount(*app), std::size_t{10});
    QCOMPARE(MessagePaneText(frame), QStringLiteral("-plekto-"));
    QVERIFY(frame.GetProblemsDock()->isHidden());
    QVERIFY(ProblemEntries(frame).isEmpty());
    WriteFile(dir, QStringLiteral("faulty.tab"), "zz/\n");
    QTRY_COMPARE(MessagePaneText(frame), QStringLiteral("エラー 0 件、警告 1 件"));
    QVERIFY(!frame.GetProblemsDock()->isHidden());
    frame.GetAction(CommandId::FileNew)->trigger();
    QCOMPARE(MessagePaneText(frame), QStringLiteral("-plekto-"));
    QVERIFY(frame.GetProblemsDock()->isHidden());
}

QTEST_MAIN(TestReload)
#include "tst_reload.moc"
