// Playback in the viewer without a sound device: starting, pausing and stopping through
// every change of document, the message saying why there is no sound, a click choosing
// the start, and cursor frames that repaint only the strips the bar leaves and enters.
#include <QPaintEvent>

#include "WidgetTest.h"
#include "app/Player.h"

using namespace WidgetTest;

namespace
{
// Every rectangle the viewport is asked to paint.
struct CPaintLog : QObject
{
    QList<QRect> Rects;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                Rects << r;
        return false;
    }
};
}  // namespace

class TestPlay : public QObject
{
    Q_OBJECT

private slots:
    void everyDocumentChangeStopsAndNoDeviceIsSaid()
    {
        QTemporaryDir dir;
        const QString song = WriteFile(dir, QStringLiteral("song.tab"), NotesScore(20, "$Tempo:90\n"));
        auto app = StartApp(dir, {song});
        CMainFrame& frame = *app->GetMainFrame();
        CPlayer& player = *frame.GetPlayer();
        QCOMPARE(Pane(frame, "TempoPane"), QStringLiteral("♩ = 90"));

        app->GetSettings().setValue(QStringLiteral("Player/AudioDriver"), QStringLiteral("no-such-driver"));
        const auto play = [&] { frame.GetAction(CommandId::PlayPause)->trigger(); };
        const std::function<void()> changes[] = {
            [&] { frame.GetAction(CommandId::PlayStop)->trigger(); },
            [&] { QVERIFY(app->ReloadDocument()); },
            [&] { QVERIFY(app->OpenDocumentFile(WriteFile(dir, QStringLiteral("b.tab"), NotesScore(30)))); },
            [&] { QVERIFY(app->NewDocument()); },
        };
        for (const auto& change : changes) {
            play();
            QCOMPARE(player.GetState(), CPlayer::State::Playing);
            QVERIFY(player.Silent());
            QVERIFY(Pane(frame, "MessagePane").startsWith(QStringLiteral("音声出力を開けません: ")));
            QTRY_VERIFY(!frame.GetView()->PlayCursorRect().isEmpty());
            play();  // pause and go on
            QCOMPARE(player.GetState(), CPlayer::State::Paused);
            play();
            change();
            QCOMPARE(player.GetState(), CPlayer::State::Stopped);
            QVERIFY(frame.GetView()->PlayCursorRect().isEmpty());
        }
        play();  // an empty score: nothing to play
        QTRY_COMPARE(player.GetState(), CPlayer::State::Stopped);
        // FluidSynth's own choice of device, whatever this machine has; closing while it plays.
        app->GetSettings().remove(QStringLiteral("Player/AudioDriver"));
        QVERIFY(app->OpenDocumentFile(song));
        play();
        QCOMPARE(player.GetState(), CPlayer::State::Playing);
        app.reset();
    }

    void aClickChoosesTheStartAndFramesRepaintOnlyStrips()
    {
        QTemporaryDir dir;
        auto app = StartApp(dir, {WriteFile(dir, QStringLiteral("song.tab"), NotesScore(ItemsPerLine))});
        app->GetSettings().setValue(QStringLiteral("Player/AudioDriver"), QStringLiteral("no-such-driver"));
        CMainFrame& frame = *app->GetMainFrame();
        frame.resize(1200, 700);
        CPlektoView& view = *frame.GetView();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        // The middle of item 8 on the screen.
        const CRect r = app->GetDocument().Score->Geometry.Place(8, 0)->Rect;
        const double scale = view.ScreenDpi() / 2540.0;
        const QPoint at(qRound((r.left + r.right) / 2 * scale), qRound(-(r.top + r.bottom) / 2 * scale));
        QCOMPARE(view.ItemAtViewport(at), std::optional<std::size_t>(8));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QCOMPARE(view.PlayCursorRect().left(), int(std::floor(r.left * scale)));  // marks the start
        frame.GetAction(CommandId::PlayPause)->trigger();
        QCOMPARE(frame.GetPlayer()->Position()->Item, std::size_t{8});

        CPaintLog log;
        view.viewport()->installEventFilter(&log);
        QTest::qWait(20 * CPlayer::FrameMs);
        frame.GetAction(CommandId::PlayPause)->trigger();  // paused: the bar stays where it is
        const QRect bar = view.PlayCursorRect();
        view.viewport()->removeEventFilter(&log);
        QVERIFY(bar.left() > qRound(r.left * scale));  // moved on
        QVERIFY(log.Rects.size() >= 4);
        for (const QRect& painted : log.Rects) {
            QVERIFY2(painted.width() <= 2 * CPlektoView::CursorWidth, qPrintable(QString::number(painted.width())));
            QVERIFY2(painted.height() <= bar.height(), qPrintable(QString::number(painted.height())));
        }
        QCOMPARE(view.viewport()->grab().toImage().pixelColor(bar.center()), QColor(0, 90, 255));
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
