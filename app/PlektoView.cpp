#include "app/PlektoView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/PlektoDoc.h"
#include "display/qt/Export.h"
#include "display/qt/PageDrawer.h"
#include "display/qt/FontMatch.h"
#include "display/qt/PainterSurface.h"
#include "model/Score.h"
#include "settings/Units.h"

namespace
{
constexpr double UnitsPerInch = 2540.0;
const QString PreviewPagesKey = QStringLiteral("Settings/PreviewPages");
const QString PrintFailed = QStringLiteral("印刷を開始できません。");

// Logical units (0.01 mm) to whole pixels at the given scale, kept to what a scroll
// bar can hold.
int ToPixels(int32_t units, double pixelsPerUnit)
{
    const double pixels = std::round(units * pixelsPerUnit);
    if (!(pixels > 0.0))
        return 0;
    return pixels >= std::numeric_limits<int>::max() / 2 ? std::numeric_limits<int>::max() / 2
                                                           : static_cast<int>(pixels);
}

// A scroll bar for a total extent, a visible page and a line step, in pixels. A page
// or line of zero scrolls by a tenth of the next larger size, as scrolling views do.
void SetBar(QScrollBar& bar, int total, int page, int line)
{
    if (page <= 0)
        page = std::max(total / 10, 1);
    if (line <= 0)
        line = std::max(page / 10, 1);
    bar.setRange(0, std::max(0, total - page));
    bar.setPageStep(page);
    bar.setSingleStep(line);
}

// A pixel coordinate kept to what a QRect can hold.
int SatPixel(double pixels)
{
    constexpr double most = std::numeric_limits<int>::max() / 4;
    return pixels >= most ? static_cast<int>(most) : pixels <= -most ? static_cast<int>(-most) : static_cast<int>(std::floor(pixels));
}

const QColor CursorColour(0, 90, 255);
}  // namespace

CPlektoView::CPlektoView(CPlektoDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), Doc(doc)
{
    setObjectName(QStringLiteral("PlektoView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    ClickTimer = new QTimer(this);
    ClickTimer->setSingleShot(true);
    connect(ClickTimer, &QTimer::timeout, this, [this] { emit ItemClicked(ClickedItem); });
    // A scroll the follower did not make means the user is looking elsewhere.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (!FollowScrolling && PlayCursor) {
                Following = false;
                UnfollowedLine = PlayCursor->Line;
            }
        });
}

CPlektoView::~CPlektoView() = default;

double CPlektoView::ScreenDpi() const
{
    const QScreen* s = screen();
    double dpi = s ? s->physicalDotsPerInch() : 0.0;
    // A screen that reports no usable size is taken at its logical resolution.
    if (!(dpi >= 1.0 && dpi <= 10000.0))
        dpi = s ? s->logicalDotsPerInch() : 96.0;
    return dpi;
}

void CPlektoView::OnInitialUpdate()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    if (Doc.Score)
        OnPrepareDC(false);
    viewport()->update();
}

void CPlektoView::OnReloadUpdate()
{
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    if (Doc.Score)
        OnPrepareDC(false);
    // The new ranges clamp the old position.
    horizontalScrollBar()->setValue(scroll.x());
    verticalScrollBar()->setValue(scroll.y());
    viewport()->update();
}

void CPlektoView::OnPrepareDC(bool printing)
{
    CScore& score = *Doc.Score;
    PageView.Prepare(score, printing);
    SetScrollSizes(score);
}

void CPlektoView::SetScrollSizes(const CScore& score)
{
    const ScoreSettings& s = score.Settings;
    const double scale = ScreenDpi() / UnitsPerInch;
    const QSize client = viewport()->size();
    SetBar(*horizontalScrollBar(), ToPixels(ToUnits(s.PageWidth), scale), client.width(),
           ToPixels(ToUnits(s.UnitWidth), scale));
    SetBar(*verticalScrollBar(), ToPixels(ToUnits(PageView.DocumentHeight), scale), client.height(),
           ToPixels(ToUnits(s.LineHeight()), scale));
}

void CPlektoView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (Doc.Score)
        SetScrollSizes(*Doc.Score);
}

void CPlektoView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    if (!Doc.Score) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    OnPrepareDC(false);
    const QPoint scroll = ScrollPosition();
    PaintViewport(painter, PageView, *Doc.Score, scroll, event->rect(), ScreenDpi());
    if (PlayCursor) {
        const QRect bar = CursorStrip(*PlayCursor, scroll, ScreenDpi());
        if (bar.intersects(event->rect()))
            painter.fillRect(bar, CursorColour);
    }
}

QPoint CPlektoView::ScrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

std::optional<std::size_t> CPlektoView::ItemAtViewport(const QPoint& pos) const
{
    if (!Doc.Score || !Doc.Score->Geometry.BuiltFor(*Doc.Score))
        return std::nullopt;
    const double scale = ScreenDpi() / UnitsPerInch;
    const QPoint scroll = ScrollPosition();
    // The middle of the pixel, in logical units (y grows upward).
    const double x = (pos.x() + scroll.x() + 0.5) / scale;
    const double y = -(pos.y() + scroll.y() + 0.5) / scale;
    return Doc.Score->Geometry.ItemAt(0, TruncSat(x), TruncSat(y));
}

QRect CPlektoView::CursorStrip(const CCursorPosition& position, QPoint scroll, double dpi)
{
    const double scale = dpi / UnitsPerInch;
    const int x = SatPixel(position.X * scale) - scroll.x();
    const int top = SatPixel(-position.Top * scale) - scroll.y();
    const int bottom = SatPixel(-position.Bottom * scale) - scroll.y();
    return QRect(QPoint(x, top), QPoint(x + CursorWidth - 1, std::max(top, bottom)));
}

QRect CPlektoView::PlayCursorRect() const
{
    return PlayCursor ? CursorStrip(*PlayCursor, ScrollPosition(), ScreenDpi()) : QRect();
}

void CPlektoView::SetPlayCursor(const std::optional<CCursorPosition>& position)
{
    if (!position) {
        viewport()->update(PlayCursorRect());
        PlayCursor.reset();
        Following = true;
        return;
    }
    if (!Following && position->Line != UnfollowedLine)
        Following = true;
    if (Following)
        FollowCursor(*position);
    // After any scroll: where the old bar's pixels are now.
    const QRect before = PlayCursorRect();
    PlayCursor = position;
    const QRect after = PlayCursorRect();
    if (after != before) {
        viewport()->update(before);
        viewport()->update(after);
    }
}

void CPlektoView::FollowCursor(const CCursorPosition& position)
{
    const QRect bar = CursorStrip(position, {0, 0}, ScreenDpi());
    const QRect seen(ScrollPosition(), viewport()->size());
    if (seen.contains(bar))
        return;
    FollowScrolling = true;
    // The bar's slot near the top, its x a quarter in from the left.
    if (bar.top() < seen.top() || bar.bottom() > seen.bottom())
        verticalScrollBar()->setValue(bar.top() - seen.height() / 8);
    if (bar.left() < seen.left() || bar.right() > seen.right())
        horizontalScrollBar()->setValue(bar.left() - seen.width() / 4);
    FollowScrolling = false;
}

void CPlektoView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier) {
        if (const std::optional<std::size_t> item = ItemAtViewport(event->position().toPoint())) {
            ClickedItem = *item;
            ClickTimer->start(QApplication::doubleClickInterval());
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CPlektoView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double-click is not a choice of where to play.
    ClickTimer->stop();
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CPlektoView::PaintViewport(QPainter& painter, const CPageView& pageView, CScore& score, QPoint scroll,
                                const QRect& exposed, double dpi)
{
    painter.save();
    // A paint event clips to what it exposes; painting elsewhere would draw twice.
    painter.setClipRect(exposed, Qt::IntersectClip);
    painter.fillRect(exposed, Qt::white);
    const double scale = dpi / UnitsPerInch;
    const CBand band = WidenedBand({TruncSat(-(exposed.top() + scroll.y()) / scale),
                                    TruncSat(-(exposed.bottom() + 1 + scroll.y()) / scale)},
                                   BleedAllowance(score.Settings));
    painter.translate(-scroll.x(), -scroll.y());
    {
        CPainterSurface surface(painter, {scale, CPainterSurface::Target::Raster, false});
        // Crisp one-pixel lines as the platform's pens draw them, smooth text as its fonts do.
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        pageView.Paint(surface, score, 1, band);
    }
    painter.restore();
}

void CPlektoView::keyPressEvent(QKeyEvent* event)
{
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageUp:
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_End:
        v->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    case Qt::Key_Home:
        v->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_Left:
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Up:
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Down:
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool CPlektoView::OnPreparePrinting(QPrinter& printer)
{
    const int maxPage = Doc.Score ? std::max(Doc.Score->PageCount, 1) : 1;
    // Every job starts from all pages, whatever range the last one printed.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, maxPage);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

void CPlektoView::PrintPages(QPrinter& printer)
{
    if (!Doc.Score)
        return;
    const int pageCount = std::max(Doc.Score->PageCount, 1);
    int first = 1;
    int last = pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::clamp(printer.fromPage(), 1, pageCount);
        last = std::clamp(printer.toPage() > 0 ? printer.toPage() : pageCount, first, pageCount);
    }
    const bool reverse = printer.pageOrder() == QPrinter::LastPageFirst;
    // Copies the printer cannot make itself are printed here, collated.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(printer.copyCount(), 1);

    QPainter painter;
    if (!painter.begin(&printer)) {
        QMessageBox::warning(this, QStringLiteral("Plekto"), PrintFailed);
        return;
    }
    bool firstSheet = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int i = first; i <= last; ++i) {
            const int page = reverse ? last - (i - first) : i;
            if (!firstSheet)
                printer.newPage();
            firstSheet = false;
            OnPrepareDC(true);
            OnPrint(painter, printer, page);
        }
    }
    painter.end();
    // The next screen paint prepares for the screen again.
    viewport()->update();
}

void CPlektoView::OnPrint(QPainter& painter, const QPrinter& printer, int pageNumber)
{
    const double scale = printer.resolution() / UnitsPerInch;
    CPainterSurface surface(painter, {scale, CPainterSurface::Target::Vector, true});
    PageView.Paint(surface, *Doc.Score, pageNumber);
}

void CPlektoView::OnFilePrint()
{
    if (!Printer || !Doc.Score || !OnPreparePrinting(*Printer))
        return;
    PrintPages(*Printer);
}

void CPlektoView::OnFilePrintPreview()
{
    if (!Printer || !Doc.Score)
        return;
    Printer->setPrintRange(QPrinter::AllPages);
    QPrintPreviewDialog dialog(Printer, this);
    dialog.resize(window()->size());
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    if (preview && PreviewStore && PreviewStore->value(PreviewPagesKey).toInt() == 2)
        preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) { PrintPages(*printer); });
    dialog.exec();
    if (preview && PreviewStore)
        PreviewStore->setValue(PreviewPagesKey, preview->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1);
}

void CPlektoView::OnCopyImage()
{
    if (!Doc.Score || !screen())
        return;
    CScore& score = *Doc.Score;
    // The page a whole number of 0.01 mm wide and as tall as the last prepare step
    // left the document, at the screen's own resolution.
    const double widthMm = ToUnits(score.Settings.PageWidth) / 100.0;
    const double heightMm = ToUnits(PageView.DocumentHeight) / 100.0;
    std::string error;
    const QImage image = RenderMonoImage(widthMm, heightMm, ScreenDpi(), PageDrawer(PageView, score, 1), error);
    // Any failure leaves the clipboard as it was.
    if (image.isNull())
        return;
    QGuiApplication::clipboard()->setImage(image);
}

void CPlektoView::OnScoreSettings()
{
    if (!Doc.Score || !ScoreSettingsSheet)
        return;
    if (ScoreSettingsSheet(this, *Doc.Score))
        OnSettingsApplied();
}

void CPlektoView::OnSettingsApplied()
{
    if (!Doc.Score)
        return;
    Doc.Relayout();
    viewport()->update();
}
