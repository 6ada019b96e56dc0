// The document and the view: height, scrolling, zoom, printing, the preview, copy as
// image, and the way from a column to its source.
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QWheelEvent>
#include <cmath>

#include "WidgetTest.h"
#include "display/qt/PainterSurface.h"

using namespace WidgetTest;

namespace
{
// Pages of a PDF: the page objects, not the page tree.
int PdfPageCount(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? int(QString::fromLatin1(file.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")))
               : -1;
}

// Pixels on the view's screen for a length in 0.01 mm; bitmap pixels for a length in mm.
int Pixels(const CPlektoView& view, int32_t units) { return qRound(units * view.ScreenDpi() / 2540.0); }
int Bitmap(double mm, double dpi) { return static_cast<int>(std::ceil(mm / 25.4 * dpi - 1e-9)); }

// Pixels of the hover's pale blue: bluer than they are red, where the drawing is grey.
int Tinted(const QImage& image, const QRect& r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qBlue(image.pixel(x, y)) > qRed(image.pixel(x, y)) + 8;
    return n;
}
}  // namespace

class TestView : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir Dir;
    QString Notes(const QString& name, int items, const QByteArray& head = {})
    {
        return WriteFile(Dir, name, NotesScore(items, head));
    }

private slots:
    void openHeightAndKeyboardScrolling()
    {
        auto app = StartApp(Dir);
        CMainFrame& frame = *app->GetMainFrame();
        CPlektoDoc& doc = app->GetDocument();
        QVERIFY(doc.OnOpenDocument(Notes(QStringLiteral("narrow.tab"), 30, "$UnitWidth:5/tmTitle\n")));
        QVERIFY(doc.Score->Settings.UnitWidth == 5.0); QVERIFY(doc.Score->TitleBlock);
        // Nothing of the first file survives: settings and title are the new file's.
        QVERIFY(doc.OnOpenDocument(Notes(QStringLiteral("plain.tab"), 30)));
        QVERIFY(doc.Score->Settings.UnitWidth == 6.0); QVERIFY(!doc.Score->TitleBlock);
        frame.resize(500, 400);
        CPlektoView& view = *frame.GetView();
        // 20 lines are 825 mm tall (20 x 39.5 + 20 + 15): the scroll range ends there.
        QVERIFY(app->OpenDocumentFile(Notes(QStringLiteral("twenty.tab"), 20 * ItemsPerLine)));
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        view.setFocus();
        const int page = view.viewport()->height(), line = Pixels(view, 3950), unit = Pixels(view, 600);
        const int bottom = Pixels(view, 82500) - page;
        QCOMPARE(view.verticalScrollBar()->maximum(), bottom);
        const std::tuple<Qt::Key, int, int> steps[] = {
            {Qt::Key_PageDown, page, 0}, {Qt::Key_Down, page + line, 0}, {Qt::Key_Up, page, 0},
            {Qt::Key_PageUp, 0, 0},      {Qt::Key_End, bottom, 0},       {Qt::Key_Home, 0, 0},
            {Qt::Key_Right, 0, unit},    {Qt::Key_Right, 0, 2 * unit},   {Qt::Key_Left, 0, unit},
            {Qt::Key_A, 0, unit},        {Qt::Key_Space, 0, unit},  // other keys do not scroll
        };
        for (const auto& [key, y, x] : steps) {
            QTest::keyClick(&view, key);
            QCOMPARE(view.verticalScrollBar()->value(), y); QCOMPARE(view.horizontalScrollBar()->value(), x);
        }
    }

    void paintPrintAndCopy()
    {
        auto app = StartApp(Dir, {Example("exercise.tab")});
        CMainFrame& frame = *app->GetMainFrame();
        frame.resize(900, 700);
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CPlektoView& view = *frame.GetView();
        QVERIFY(DarkPixels(view.viewport()->grab().toImage()) > 500);
        QVERIFY(app->GetDocument().Score->MemoryDC);  // made by the prepare step
        // A 1-bit image a page wide and a page tall at the screen's resolution, mostly white,
        // whatever the screen's zoom.
        view.SetZoom(4.0);
        frame.GetAction(CommandId::CopyImage)->trigger();
        view.SetZoom(1.0);
        const QImage image = QGuiApplication::clipboard()->image();
        const double dpi = view.ScreenDpi();
        QVERIFY(image.depth() == 1);
        QVERIFY(image.size() == QSize(Bitmap(210.0, dpi), Bitmap(290.0, dpi)));
        QVERIFY(DarkPixels(image) > 0); QVERIFY(DarkPixels(image) < image.width() * image.height() / 10);
        // 20 lines at 6 lines a page: 4 pages.
        QVERIFY(app->OpenDocumentFile(Notes(QStringLiteral("twenty.tab"), 20 * ItemsPerLine)));
        auto seen = OnNextModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QPrintDialog*>(w);
            QVERIFY(dialog); QVERIFY(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
            QCOMPARE(QPoint(dialog->minPage(), dialog->maxPage()), QPoint(1, 4));
        });
        frame.GetAction(CommandId::FilePrint)->trigger();
        QVERIFY(seen->Seen);
        // The preview shows every page and remembers a two-page mode for the next time.
        for (const auto mode : {QPrintPreviewWidget::SinglePageView, QPrintPreviewWidget::FacingPagesView}) {
            seen = OnNextModal([&](QWidget* w) {
                auto* preview = w->findChild<QPrintPreviewWidget*>();
                QVERIFY(preview->pageCount() == 4); QVERIFY(preview->viewMode() == mode);
                preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
            });
            frame.GetAction(CommandId::FilePrintPreview)->trigger();
            QVERIFY(seen->Seen);
            QCOMPARE(app->GetSettings().value(QStringLiteral("Settings/PreviewPages")).toInt(), 2);
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        for (const auto& [name, from, pages] : {std::tuple{"all.pdf", 0, 4}, std::tuple{"range.pdf", 2, 3}}) {
            printer.setOutputFileName(Dir.filePath(QString::fromLatin1(name)));
            printer.setPrintRange(from ? QPrinter::PageRange : QPrinter::AllPages);
            printer.setFromTo(from, from ? 7 : 0);  // clipped to the score's 4 pages
            view.PrintPages(printer);
            QCOMPARE(PdfPageCount(printer.outputFileName()), pages);
        }
        // Printing leaves the document one page tall; the next screen paint restores it.
        QCOMPARE(view.GetPageView().DocumentHeight, 290.0);
        QTRY_COMPARE(view.GetPageView().DocumentHeight, 825.0);
        // Copied, a long score is the whole continuous page, down to its last line.
        view.OnCopyImage();
        const QImage tall = QGuiApplication::clipboard()->image();
        QCOMPARE(tall.height(), Bitmap(825.0, dpi));
        QVERIFY(DarkPixels(tall.copy(0, tall.height() * 9 / 10, tall.width(), tall.height() / 10)) > 0);
    }

    void viewportPaintMatchesTheWholePage()
    {
        // Large fret numbers and narrow zones: marks reach into the neighbouring slots.
        auto app = StartApp(Dir);
        QFile example(Example("blues_shuffle.tab"));
        QVERIFY(example.open(QIODevice::ReadOnly));
        const QByteArray head =
            "$FontSizeFret:30/$TabUpperMargin:2/$TabLowerMargin:1/$ChordZoneHeight:1/$TripletZoneHeight:1\n";
        QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("tall.tab"), head + example.readAll())));
        CScore& score = *app->GetDocument().Score;
        CPageView pageView;
        pageView.Prepare(score, false);
        const double dpi = 96.0;
        const QSize window(700, 300);
        auto whole = [&](QPoint scroll) {
            QImage image(window, QImage::Format_RGB32);
            QPainter painter(&image);
            painter.fillRect(image.rect(), Qt::white);
            painter.translate(-scroll);
            CPainterSurface surface(painter, {dpi / 2540.0, CPainterSurface::Target::Raster, false});
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            pageView.Paint(surface, score, 1);
            return image;
        };
        // The whole viewport, then strips exposed by scrolling down in small steps.
        QImage shown(window, QImage::Format_RGB32);
        QPoint scroll(0, -window.height());
        for (int step : {window.height(), 37, 299, 41}) {
            scroll.ry() += step;
            QImage next(window, QImage::Format_RGB32);
            QPainter painter(&next);
            painter.drawImage(QPoint(0, -step), shown);
            CPlektoView::PaintViewport(painter, pageView, score, scroll,
                                       QRect(0, window.height() - step, window.width(), step), dpi);
            painter.end();
            QCOMPARE(next, whole(scroll));
            shown = next;
        }
    }

    void absurdSettingsStillPaintScrollAndCopy_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("copied");  // else refused, leaving the clipboard alone
        QTest::newRow("kilometre page") << QByteArray("$PageWidth:1e6/$PageHeight:1e6") << false;
        QTest::newRow("negative page") << QByteArray("$PageWidth:-210/$PageHeight:-290/$MarginTop:-15") << false;
        QTest::newRow("no line height") << QByteArray("$Strings:1/$TabUpperMargin:0/$TabLowerMargin:0/"
                                                      "$ChordZoneHeight:0/$TripletZoneHeight:0") << true;
        QTest::newRow("huge values") << QByteArray("$PitchBetweenLine:1e300/$UnitWidth:1e300/$FontSizeFret:2000000000")
                                     << false;
        QTest::newRow("not numbers") << QByteArray("$PageHeight:nan/$MarginLeft:inf/$StemHeight:-inf") << true;
    }

    void absurdSettingsStillPaintScrollAndCopy()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, copied);
        auto app = StartApp(Dir);
        QVERIFY(app->OpenDocumentFile(Notes(QStringLiteral("absurd.tab"), 60, head + "\n")));
        QVERIFY(QTest::qWaitForWindowExposed(app->GetMainFrame()));
        CPlektoView& view = *app->GetMainFrame()->GetView();
        view.viewport()->repaint();
        for (Qt::Key key : {Qt::Key_End, Qt::Key_PageUp, Qt::Key_Down, Qt::Key_Right, Qt::Key_Home})
            QTest::keyClick(&view, key);
        const QScrollBar& h = *view.horizontalScrollBar();
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QCOMPARE(h.value(), h.minimum() + std::min(h.singleStep(), h.maximum()));
        view.viewport()->repaint();
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        view.OnCopyImage();
        const QImage image = QGuiApplication::clipboard()->image();
        if (copied) {
            QCOMPARE(image.depth(), 1);
        } else {
            QVERIFY(image.isNull());
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        }
    }

    void linesAreOneBlackPixelOnEveryTarget_data()
    {
        QTest::addColumn<CPainterSurface::Target>("target");
        QTest::newRow("image or screen") << CPainterSurface::Target::Raster;
        QTest::newRow("printer, preview, PDF, SVG") << CPainterSurface::Target::Vector;
    }

    void linesAreOneBlackPixelOnEveryTarget()
    {
        // A regression test: printed lines were 0.04 mm wide, under half a pixel at 300 dpi,
        // so the print preview showed them pale grey or not at all.
        QFETCH(CPainterSurface::Target, target);
        QImage image(300, 300, QImage::Format_RGB32);  // 1 inch at 300 dpi
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            // Vector targets (printer, preview, PDF, SVG) draw antialiased.
            CPainterSurface surface(painter, {300.0 / 2540.0, target, target == CPainterSurface::Target::Vector});
            surface.MoveTo(0, -1000);  // level, 1 cm down
            surface.LineTo(2540, -1000);
            surface.MoveTo(0, -1500);  // falling by half a pixel for each pixel across
            surface.LineTo(2540, -2770);
            surface.SelectBrush(CBrush::Hollow);
            surface.Rectangle(500, -2000, 2000, -2400);  // its outline only
        }
        // Down each probed column: every line crossed is one pixel tall and black.
        const auto runs = [&](int x) {
            QList<int> found;  // the height of each dark run, negative when one of its pixels is not black
            for (int y = 0; y < image.height(); ++y) {
                if (qGray(image.pixel(x, y)) > 128)
                    continue;
                int height = 0;
                bool black = true;
                for (; y < image.height() && qGray(image.pixel(x, y)) <= 128; ++y, ++height)
                    black = black && qGray(image.pixel(x, y)) == 0;
                found << (black ? height : -height);
            }
            return found;
        };
        for (const int x : {101, 150, 222})  // the level line, the slope and both rectangle edges
            QCOMPARE(runs(x), (QList<int>{1, 1, 1, 1}));
        QCOMPARE(runs(30), (QList<int>{1, 1}));  // left of the rectangle
    }

    void zoomStepsAroundThePointerAndFitsTheWidth()
    {
        QTemporaryDir dir;
        auto app = StartApp(dir, {WriteFile(dir, QStringLiteral("long.tab"), NotesScore(40 * ItemsPerLine))});
        CMainFrame& frame = *app->GetMainFrame();
        frame.resize(900, 700);
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CPlektoView& view = *frame.GetView();
        view.setFocus();
        const std::pair<QKeySequence, double> keys[] = {
            {QKeySequence(Qt::CTRL | Qt::Key_Plus), 1.1}, {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1.25},
            {QKeySequence(Qt::CTRL | Qt::Key_Minus), 1.1}, {QKeySequence(Qt::CTRL | Qt::Key_0), 1.0},
            {QKeySequence(Qt::CTRL | Qt::Key_Minus), 0.9}};
        for (const auto& [key, zoom] : keys) {
            QTest::keySequence(&frame, key);
            QCOMPARE(view.GetZoom(), zoom);
        }
        QCOMPARE(Pane(frame, "ZoomPane"), QStringLiteral("90 %"));
        QCOMPARE(app->GetSettings().value(QStringLiteral("Viewer/Zoom")).toDouble(), 0.9);
        for (const auto& [id, limit] : {std::pair{CommandId::ViewZoomIn, CPlektoView::MaxZoom},
                                        std::pair{CommandId::ViewZoomOut, CPlektoView::MinZoom}}) {
            for (int i = 0; i < 30; ++i)
                frame.GetAction(id)->trigger();
            QCOMPARE(view.GetZoom(), limit);
        }
        // Half-way down, a notch of the wheel with Ctrl keeps the page point under the pointer.
        // The window narrower than the page, so that both directions can scroll.
        frame.resize(500, 500);
        view.SetZoom(1.0);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        const QPoint at(100, 150);
        for (const auto& [angle, zoom] : {std::pair{120, 1.1}, std::pair{240, 1.5}, std::pair{-120, 1.25}}) {
            const double before = view.GetZoom();
            const QPointF page = (QPointF(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value()) + at) / before;
            QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), {}, {0, angle}, Qt::NoButton, Qt::ControlModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(view.viewport(), &wheel);
            QCOMPARE(view.GetZoom(), zoom);
            const QPointF now = (QPointF(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value()) + at) / zoom;
            QVERIFY((now - page).manhattanLength() <= 2.0 / zoom);  // rounding to whole pixels
        }
        // Fit width: the page's 210 mm are the viewport's width; nothing to scroll across.
        frame.GetAction(CommandId::ViewZoomFitWidth)->trigger();
        QVERIFY(std::abs(Pixels(view, 21000) * view.GetZoom() - view.viewport()->width()) < 1.0);
        QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
    }

    void storedZoomIsClamped()
    {
        const std::pair<const char*, double> rows[] = {
            {"2", 2.0}, {"50", CPlektoView::MaxZoom}, {"-1", CPlektoView::MinZoom}, {"nan", 1.0}, {"big", 1.0}};
        for (const auto& [stored, zoom] : rows) {
            QTemporaryDir dir;
            QSettings(dir.filePath(QStringLiteral("Plekto.conf")), QSettings::IniFormat)
                .setValue(QStringLiteral("Viewer/Zoom"), QString::fromLatin1(stored));
            QVERIFY2(StartApp(dir)->GetMainFrame()->GetView()->GetZoom() == zoom, stored);
        }
    }

    void hoverShowsTheSourceAndDoubleClickOpensIt()
    {
        QTemporaryDir dir;
        // Items 10 to 19 make the second line of text: item 12 starts at column 15 of line 2.
        const QString path = WriteFile(dir, QStringLiteral("it's my score.tab"), NotesScore(30));
        auto app = StartApp(dir, {path});
        CMainFrame& frame = *app->GetMainFrame();
        frame.resize(900, 700);
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CPlektoView& view = *frame.GetView();
        const QRect column = view.ItemViewportRect(12);
        // The unit width, 6 mm, in the whole pixels it touches.
        QVERIFY(std::abs(column.width() - Pixels(view, 600)) <= 2);
        QTest::mouseMove(view.viewport(), column.center());
        QCOMPARE(view.GetHoveredItem(), std::optional<std::size_t>(12));
        QCOMPARE(Pane(frame, "SourcePane"), QStringLiteral("行 2, 桁 15"));
        QVERIFY(Tinted(view.viewport()->grab().toImage(), column) > column.width() * column.height() / 2);
        QTest::mouseMove(view.viewport(), QPoint(2, 2));  // the top margin
        QVERIFY(!view.GetHoveredItem());
        QCOMPARE(Pane(frame, "SourcePane"), QString());
        QCOMPARE(Tinted(view.viewport()->grab().toImage(), column), 0);
        // At twice the size the hit test still finds the item.
        view.SetZoom(2.0);
        QCOMPARE(view.ItemAtViewport(view.ItemViewportRect(12).center()), std::optional<std::size_t>(12));
        QVERIFY(std::abs(view.ItemViewportRect(12).width() - Pixels(view, 1200)) <= 2);

        QStringList launched;
        frame.Launcher = [&](const QString& program, const QStringList& arguments, QString& error) {
            launched = QStringList{program} + arguments;
            error = QStringLiteral("not today");
            return program != QStringLiteral("broken");
        };
        // The first time a dialog offers the editors; cancelled, nothing starts.
        auto seen = OnNextModal([](QWidget* w) { QCOMPARE(w->objectName(), QStringLiteral("EditorCommandDialog")); });
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.ItemViewportRect(12).center());
        QVERIFY(seen->Seen); QVERIFY(launched.isEmpty());
        app->GetSettings().setValue(CMainFrame::EditorCommandKey, QStringLiteral("code --goto %f:%l:%c"));
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.ItemViewportRect(12).center());
        QCOMPARE(launched, (QStringList{"code", "--goto", path + ":2:15"}));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, view.ItemViewportRect(0).center());
        QCOMPARE(launched.last(), path + ":1:1");
        // A failure to start names the command and the reason.
        app->GetSettings().setValue(CMainFrame::EditorCommandKey, QStringLiteral("broken %f"));
        seen = OnNextModal([](QWidget* w) {
            QVERIFY(MessageText(w).contains(QStringLiteral("broken %f")));
            QVERIFY(MessageText(w).contains(QStringLiteral("not today")));
        });
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.ItemViewportRect(12).center());
        QVERIFY(seen->Seen);
    }

    void editorCommandExpansion_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("words");  // empty: refused
        const QString file = QStringLiteral("/tmp/my scores/it's.tab");
        QTest::newRow("double quotes keep blanks") << QStringLiteral("gvim \"+call cursor(%l,%c)\" %f")
                                                   << QStringList{"gvim", "+call cursor(12,3)", file};
        QTest::newRow("single quotes, backslashes, %%")
            << QStringLiteral("'/opt/my ed/ed' a\\ b \"x\\\"y\\n\" '%%l' %x")
            << QStringList{"/opt/my ed/ed", "a b", "x\"y\\n", "%l", "%x"};
        QTest::newRow("empty quoted word") << QStringLiteral("ed \"\"  %l\t") << QStringList{"ed", "", "12"};
        QTest::newRow("open quote") << QStringLiteral("emacs \"+%l") << QStringList{};
        QTest::newRow("trailing backslash") << QStringLiteral("ed %f \\") << QStringList{};
    }

    void editorCommandExpansion()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, words);
        const auto expanded = ExpandEditorCommand(command, QStringLiteral("/tmp/my scores/it's.tab"), 12, 3);
        QCOMPARE(expanded.value_or(QStringList{}), words);
    }
};

QTEST_MAIN(TestView)
#include "tst_view.moc"
