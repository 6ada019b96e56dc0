// The document and the view: replacing the score, the document height and scroll sizes,
// keyboard scrolling, the print range, printing to PDF, the preview, copy as image and
// the settings command's relayout.
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <cmath>

#include "WidgetTest.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/PlektoDoc.h"
#include "display/qt/PainterSurface.h"
#include "display/qt/PlektoView.h"
#include "model/Score.h"
#include "settings/Units.h"

using namespace WidgetTest;

namespace
{
constexpr int ItemsPerLine = 26;  // default settings: (190 - 32) mm / 6 mm

// Pages of a PDF: the page objects, not the page tree.
int PdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

int BlackPixels(const QImage& image)
{
    const QImage mono = image.convertToFormat(QImage::Format_Grayscale8);
    int black = 0;
    for (int y = 0; y < mono.height(); ++y) {
        const uchar* line = mono.constScanLine(y);
        for (int x = 0; x < mono.width(); ++x)
            black += line[x] < 128;
    }
    return black;
}

// Pixels on the view's screen for a length in 0.01 mm.
int Pixels(const CPlektoView& view, int32_t units) { return qRound(units * view.ScreenDpi() / 2540.0); }
}  // namespace

class TestView : public QObject
{
    Q_OBJECT

private slots:
    void openReplacesTheScoreWholesale();
    void documentHeightCoversEveryLine();
    void keyboardScrolling();
    void printDialogOffersEveryPage();
    void printsEachPageToPdf();
    void printingLeavesTheScreenHeightToTheNextPaint();
    void previewShowsEveryPageAndKeepsItsMode();
    void copyImageOfTheWholePage();
    void copyFailureLeavesTheClipboard();
    void paintShowsThePage();
    void viewportPaintMatchesTheWholePage();
    void settingsCommandLaysOutAgainOnOk();
    void absurdSettingsStillPaintScrollAndCopy_data();
    void absurdSettingsStillPaintScrollAndCopy();

private:
    QTemporaryDir Dir;
};

void TestView::openReplacesTheScoreWholesale()
{
    auto app = StartApp(Dir);
    CPlektoDoc& doc = app->GetDocument();
    const QString narrow = WriteFile(Dir, QStringLiteral("narrow.tab"), NotesScore(30, "$UnitWidth:5/tmTitle\n"));
    const QString plain = WriteFile(Dir, QStringLiteral("plain.tab"), NotesScore(30));
    QVERIFY(doc.OnOpenDocument(narrow));
    QCOMPARE(doc.Score->Settings.UnitWidth, 5.0);
    QVERIFY(doc.Score->TitleBlock);
    QCOMPARE(doc.GetTitle(), QStringLiteral("narrow.tab"));
    // Nothing of the first file survives: settings, title and items are the new file's.
    QVERIFY(doc.OnOpenDocument(plain));
    QCOMPARE(doc.Score->Settings.UnitWidth, 6.0);
    QVERIFY(!doc.Score->TitleBlock);
    QCOMPARE(doc.Score->UnitItems.size(), std::size_t{30});
    QCOMPARE(doc.Score->LineCount, 2);
    QVERIFY(doc.OnNewDocument());
    QCOMPARE(doc.GetTitle(), QStringLiteral("無題"));
    QVERIFY(doc.Score->UnitItems.empty());
    QCOMPARE(doc.Score->LineCount, 0);
}

void TestView::documentHeightCoversEveryLine()
{
    auto app = StartApp(Dir);
    CPlektoView& view = *app->GetMainFrame()->GetView();
    struct CCase
    {
        int Lines;
        double Height;
    };
    // Up to a page the document is one page tall; beyond, 20 lines need
    // 20 x 39.5 + 20 + 15 = 825 mm.
    for (const CCase c : {CCase{0, 290.0}, CCase{3, 290.0}, CCase{6, 290.0}, CCase{20, 825.0}}) {
        const QString name = QStringLiteral("lines%1.tab").arg(c.Lines);
        const QString file = WriteFile(Dir, name, NotesScore(c.Lines * ItemsPerLine));
        QVERIFY(app->OpenDocumentFile(file));
        view.OnPrepareDC(false);
        QCOMPARE(view.GetPageView().DocumentHeight, c.Height);
        QCOMPARE(view.verticalScrollBar()->maximum(),
                 std::max(0, Pixels(view, ToUnits(c.Height)) - view.viewport()->height()));
    }
}

void TestView::keyboardScrolling()
{
    auto app = StartApp(Dir);
    CMainFrame& frame = *app->GetMainFrame();
    frame.resize(500, 400);
    CPlektoView& view = *frame.GetView();
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("twenty.tab"), NotesScore(20 * ItemsPerLine))));
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    view.setFocus();
    QScrollBar& v = *view.verticalScrollBar();
    QScrollBar& h = *view.horizontalScrollBar();
    const int page = view.viewport()->height();
    const int line = Pixels(view, 3950);  // one TAB line
    const int unit = Pixels(view, 600);   // one drawing unit
    QVERIFY(h.maximum() > 2 * unit);      // the 210 mm page is wider than 500 px

    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(v.value(), page);
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(v.value(), page + line);
    QTest::keyClick(&view, Qt::Key_Up);
    QCOMPARE(v.value(), page);
    QTest::keyClick(&view, Qt::Key_PageUp);
    QCOMPARE(v.value(), 0);
    QTest::keyClick(&view, Qt::Key_End);
    QCOMPARE(v.value(), v.maximum());
    QCOMPARE(v.maximum(), Pixels(view, 82500) - page);
    QTest::keyClick(&view, Qt::Key_Home);
    QCOMPARE(v.value(), 0);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Right);
    QCOMPARE(h.value(), 2 * unit);
    QTest::keyClick(&view, Qt::Key_Left);
    QCOMPARE(h.value(), unit);
    // Other keys do not scroll.
    QTest::keyClick(&view, Qt::Key_A);
    QTest::keyClick(&view, Qt::Key_Space);
    QCOMPARE(v.value(), 0);
    QCOMPARE(h.value(), unit);
}

void TestView::printDialogOffersEveryPage()
{
    auto app = StartApp(Dir);
    // 13 lines at 6 lines a page: 3 pages.
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("three.tab"), NotesScore(12 * ItemsPerLine + 1))));
    QCOMPARE(app->GetDocument().Score->PageCount, 3);
    int minPage = -1;
    int maxPage = -1;
    bool rangeOffered = false;
    auto seen = OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QPrintDialog*>(w);
        QVERIFY(dialog);
        minPage = dialog->minPage();
        maxPage = dialog->maxPage();
        rangeOffered = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
    });
    app->GetMainFrame()->GetAction(CommandId::FilePrint)->trigger();
    QVERIFY(*seen);
    QCOMPARE(minPage, 1);
    QCOMPARE(maxPage, 3);
    QVERIFY(rangeOffered);
}

void TestView::printsEachPageToPdf()
{
    auto app = StartApp(Dir);
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("three.tab"), NotesScore(12 * ItemsPerLine + 1))));
    CPlektoView& view = *app->GetMainFrame()->GetView();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Dir.filePath(QStringLiteral("all.pdf")));
    view.PrintPages(printer);
    QCOMPARE(PdfPageCount(printer.outputFileName()), 3);

    printer.setOutputFileName(Dir.filePath(QStringLiteral("range.pdf")));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 7);  // clipped to the score's 3 pages
    view.PrintPages(printer);
    QCOMPARE(PdfPageCount(printer.outputFileName()), 2);
}

void TestView::printingLeavesTheScreenHeightToTheNextPaint()
{
    auto app = StartApp(Dir);
    CMainFrame& frame = *app->GetMainFrame();
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("twenty.tab"), NotesScore(20 * ItemsPerLine))));
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CPlektoView& view = *frame.GetView();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Dir.filePath(QStringLiteral("twenty.pdf")));
    view.PrintPages(printer);
    QCOMPARE(PdfPageCount(printer.outputFileName()), 4);
    // While printing the document is one page tall ...
    QCOMPARE(view.GetPageView().DocumentHeight, 290.0);
    // ... and the next screen paint makes it the whole score again.
    QTRY_COMPARE(view.GetPageView().DocumentHeight, 825.0);
    QCOMPARE(view.verticalScrollBar()->maximum(), Pixels(view, 82500) - view.viewport()->height());
}

void TestView::previewShowsEveryPageAndKeepsItsMode()
{
    auto app = StartApp(Dir);
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("three.tab"), NotesScore(12 * ItemsPerLine + 1))));
    int pages = -1;
    auto seen = OnNextModal([&](QWidget* w) {
        auto* preview = w->findChild<QPrintPreviewWidget*>();
        QVERIFY(preview);
        pages = preview->pageCount();
        preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
    });
    app->GetMainFrame()->GetAction(CommandId::FilePrintPreview)->trigger();
    QVERIFY(*seen);
    QCOMPARE(pages, 3);
    QCOMPARE(app->GetSettings().value(QStringLiteral("Settings/PreviewPages")).toInt(), 2);
    // The next preview starts with two pages.
    QPrintPreviewWidget::ViewMode mode = QPrintPreviewWidget::SinglePageView;
    auto again = OnNextModal([&](QWidget* w) { mode = w->findChild<QPrintPreviewWidget*>()->viewMode(); });
    app->GetMainFrame()->GetAction(CommandId::FilePrintPreview)->trigger();
    QVERIFY(*again);
    QCOMPARE(mode, QPrintPreviewWidget::FacingPagesView);
}

void TestView::copyImageOfTheWholePage()
{
    auto app = StartApp(Dir);
    CMainFrame& frame = *app->GetMainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CPlektoView& view = *frame.GetView();
    QTRY_COMPARE(view.GetPageView().DocumentHeight, 290.0);
    frame.GetAction(CommandId::CopyImage)->trigger();
    const QImage image = QGuiApplication::clipboard()->image();
    QVERIFY(!image.isNull());
    QCOMPARE(image.depth(), 1);
    // A page wide and a page tall at the screen's resolution.
    const double dpi = view.ScreenDpi();
    QCOMPARE(image.width(), static_cast<int>(std::ceil(210.0 / 25.4 * dpi - 1e-9)));
    QCOMPARE(image.height(), static_cast<int>(std::ceil(290.0 / 25.4 * dpi - 1e-9)));
    // White, with the frame and the blank string lines in black: the frame's left
    // edge runs down at the left margin, and a string line crosses the page.
    const int black = BlackPixels(image);
    QVERIFY(black > 0);
    QVERIFY(black < image.width() * image.height() / 10);
    const int marginX = qRound(20.0 / 25.4 * dpi);
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    int frameRows = 0;
    for (int y = 0; y < grey.height(); ++y)
        for (int dx = -1; dx <= 1; ++dx)
            if (qGray(grey.pixel(marginX + dx, y)) < 128) {
                ++frameRows;
                break;
            }
    QVERIFY(frameRows > image.height() * 8 / 10);

    // A long score: the whole continuous page, down to its last line.
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("twenty.tab"), NotesScore(20 * ItemsPerLine))));
    QTRY_COMPARE(view.GetPageView().DocumentHeight, 825.0);
    view.OnCopyImage();
    const QImage tall = QGuiApplication::clipboard()->image();
    QCOMPARE(tall.depth(), 1);
    QCOMPARE(tall.height(), static_cast<int>(std::ceil(825.0 / 25.4 * dpi - 1e-9)));
    QVERIFY(BlackPixels(tall.copy(0, tall.height() * 9 / 10, tall.width(), tall.height() / 10)) > 0);
}

void TestView::copyFailureLeavesTheClipboard()
{
    auto app = StartApp(Dir);
    CMainFrame& frame = *app->GetMainFrame();
    // A page of a kilometre cannot become a bitmap.
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("huge.tab"), "$PageHeight:1000000/n4nn0\n")));
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_COMPARE(frame.GetView()->GetPageView().DocumentHeight, 1000000.0);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    frame.GetView()->OnCopyImage();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(QGuiApplication::clipboard()->image().isNull());
}

void TestView::paintShowsThePage()
{
    auto app = StartApp(Dir, {Example("exercise.tab")});
    CMainFrame& frame = *app->GetMainFrame();
    frame.resize(900, 700);
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CPlektoView& view = *frame.GetView();
    const QImage shot = view.viewport()->grab().toImage();
    QVERIFY(BlackPixels(shot) > 500);
    // Fonts and the memory surface were made by the prepare step.
    const CScore& score = *app->GetDocument().Score;
    QVERIFY(score.Settings.FontFret.Font && score.Settings.FontTAB.Font);
    QVERIFY(score.Settings.FontMainTitle.Font && score.Settings.FontSubTitle.Font);
    QVERIFY(score.MemoryDC);
}

void TestView::viewportPaintMatchesTheWholePage()
{
    // Settings that make stems, flags and text reach out of their slot into the
    // neighbouring ones: large fret numbers, narrow zones.
    auto app = StartApp(Dir);
    QFile example(Example("blues_shuffle.tab"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    const QByteArray text =
        "$FontSizeFret:30/$TabUpperMargin:2/$TabLowerMargin:1/$ChordZoneHeight:1/$TripletZoneHeight:1\n" +
        example.readAll();
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("tall.tab"), text)));
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
    QPoint scroll(0, 0);
    {
        QPainter painter(&shown);
        CPlektoView::PaintViewport(painter, pageView, score, scroll, shown.rect(), dpi);
    }
    QCOMPARE(shown, whole(scroll));
    for (int step : {37, 150, 299, 41}) {
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

void TestView::settingsCommandLaysOutAgainOnOk()
{
    auto app = StartApp(Dir);
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("three.tab"), NotesScore(3 * ItemsPerLine))));
    CPlektoView& view = *app->GetMainFrame()->GetView();
    QAction* command = app->GetMainFrame()->GetAction(CommandId::ScoreSettings);
    view.ScoreSettingsSheet = nullptr;
    command->trigger();  // no sheet installed: nothing happens
    QCOMPARE(app->GetDocument().Score->LineCount, 3);

    bool accept = false;
    view.ScoreSettingsSheet = [&](QWidget*, CScore& score) {
        // The head and the columns double: 12 items a line instead of 26.
        score.Settings.UnitWidth = 12.0;
        return accept;
    };
    command->trigger();
    QCOMPARE(app->GetDocument().Score->LineCount, 3);  // cancelled: no new layout
    accept = true;
    command->trigger();
    QCOMPARE(app->GetDocument().Score->LineCount, 7);
}

void TestView::absurdSettingsStillPaintScrollAndCopy_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::newRow("kilometre page") << QByteArray("$PageWidth:1e6/$PageHeight:1e6");
    QTest::newRow("negative page") << QByteArray("$PageWidth:-210/$PageHeight:-290/$MarginTop:-15");
    QTest::newRow("no line height") << QByteArray("$Strings:1/$TabUpperMargin:0/$TabLowerMargin:0/"
                                                  "$ChordZoneHeight:0/$TripletZoneHeight:0");
    QTest::newRow("zero unit") << QByteArray("$UnitWidth:0/$UnitsForTAB:-3");
    QTest::newRow("huge values") << QByteArray("$PitchBetweenLine:1e300/$UnitWidth:1e300/$FontSizeFret:2000000000");
    QTest::newRow("not numbers") << QByteArray("$PageHeight:nan/$MarginLeft:inf/$StemHeight:-inf");
}

void TestView::absurdSettingsStillPaintScrollAndCopy()
{
    QFETCH(QByteArray, head);
    auto app = StartApp(Dir);
    CMainFrame& frame = *app->GetMainFrame();
    QVERIFY(app->OpenDocumentFile(WriteFile(Dir, QStringLiteral("absurd.tab"), NotesScore(60, head + "\n"))));
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CPlektoView& view = *frame.GetView();
    view.viewport()->repaint();
    for (Qt::Key key : {Qt::Key_End, Qt::Key_PageUp, Qt::Key_Down, Qt::Key_Right, Qt::Key_Home})
        QTest::keyClick(&view, key);
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    QCOMPARE(view.horizontalScrollBar()->value(), view.horizontalScrollBar()->minimum() +
                                                       std::min(view.horizontalScrollBar()->singleStep(),
                                                                view.horizontalScrollBar()->maximum()));
    view.viewport()->repaint();
    QVERIFY(app->GetDocument().Score->Settings.FontFret.Font);  // the prepare step ran
    // The image is made or refused; a refusal leaves the clipboard alone.
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    view.OnCopyImage();
    const QImage image = QGuiApplication::clipboard()->image();
    QVERIFY(image.isNull() ? QGuiApplication::clipboard()->text() == QStringLiteral("kept") : image.depth() == 1);
}

QTEST_MAIN(TestView)
#include "tst_view.moc"
