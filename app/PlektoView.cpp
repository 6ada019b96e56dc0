#include "app/PlektoView.h"

#include <QClipboard>
#include <QCursor>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QWheelEvent>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "app/PlektoDoc.h"
#include "display/qt/Export.h"
#include "display/qt/PageDrawer.h"
#include "display/qt/FontMatch.h"
#include "display/qt/PainterSurface.h"
#include "model/Reader.h"
#include "model/Score.h"
#include "settings/Units.h"

namespace
{
constexpr double UnitsPerInch = 2540.0;
const QString PreviewPagesKey = QStringLiteral("Settings/PreviewPages");

const QString ZoomKey = QStringLiteral("Viewer/Zoom");
// Zoom steps in per cent, as document viewers offer them.
constexpr std::array<int, 19> ZoomLadder = {25, 33, 50, 67, 75, 80, 90, 100, 110, 125,
                                            150, 175, 200, 250, 300, 400, 500, 600, 800};
// The pale fill over the column under the pointer; the drawing shows through.
const QColor HoverFill(40, 120, 255, 48);

// A pixel coordinate kept to what QRect can hold.
int PixelSat(double v)
{
    constexpr double limit = std::numeric_limits<int>::max() / 2;
    if (!(v > -limit))
        return v < 0 ? -static_cast<int>(limit) : 0;
    return v >= limit ? static_cast<int>(limit) : static_cast<int>(v);
}

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

const QColor CursorColour(0, 90, 255);
}  // namespace

CPlektoView::CPlektoView(CPlektoDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), Doc(doc)
{
    setObjectName(QStringLiteral("PlektoView"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // Hover shows where a column comes from without a button held.
    viewport()->setMouseTracking(true);
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

double CPlektoView::PixelsPerUnit() const { return ScreenDpi() * Zoom / UnitsPerInch; }

void CPlektoView::SetStore(QSettings* settings)
{
    Store = settings;
    if (!Store)
        return;
    bool ok = false;
    const double stored = Store->value(ZoomKey).toDouble(&ok);
    if (ok)
        SetZoom(stored);
}

QString CPlektoView::ZoomText(double factor) { return QStringLiteral("%1 %").arg(qRound(factor * 100.0)); }

void CPlektoView::SetZoom(double factor, std::optional<QPoint> anchor)
{
    factor = std::isnan(factor) ? 1.0 : std::clamp(factor, MinZoom, MaxZoom);
    if (factor == Zoom)
        return;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const QPointF at = anchor ? QPointF(*anchor) : QRectF(viewport()->rect()).center();
    // The anchor's page point in 0.01 mm, x to the right and y down.
    const QPointF page = (QPointF(h->value(), v->value()) + at) / PixelsPerUnit();
    Zoom = factor;
    if (Doc.Score)
        SetScrollSizes(*Doc.Score);
    const double scale = PixelsPerUnit();
    h->setValue(PixelSat(std::round(page.x() * scale - at.x())));
    v->setValue(PixelSat(std::round(page.y() * scale - at.y())));
    viewport()->update();
    UpdateHoverAtPointer();
    if (Store)
        Store->setValue(ZoomKey, Zoom);
    emit ZoomChanged(Zoom);
}

void CPlektoView::ZoomIn(std::optional<QPoint> anchor)
{
    const double percent = Zoom * 100.0;
    const auto next = std::find_if(ZoomLadder.begin(), ZoomLadder.end(), [percent](int step) { return step > percent + 0.5; });
    SetZoom(next == ZoomLadder.end() ? MaxZoom : *next / 100.0, anchor);
}

void CPlektoView::ZoomOut(std::optional<QPoint> anchor)
{
    const double percent = Zoom * 100.0;
    const auto next = std::find_if(ZoomLadder.rbegin(), ZoomLadder.rend(), [percent](int step) { return step < percent - 0.5; });
    SetZoom(next == ZoomLadder.rend() ? MinZoom : *next / 100.0, anchor);
}

void CPlektoView::ZoomActualSize() { SetZoom(1.0); }

void CPlektoView::ZoomFitWidth()
{
    if (!Doc.Score)
        return;
    const double pageWidth = ToUnits(Doc.Score->Settings.PageWidth) * ScreenDpi() / UnitsPerInch;
    if (!(pageWidth >= 1.0))
        return;
    // The vertical bar stays; its room is not the page's.
    SetZoom(viewport()->width() / pageWidth, QPoint(0, viewport()->height() / 2));
    horizontalScrollBar()->setValue(0);
}

void CPlektoView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A notch is 120; fine-grained wheels and touchpads add up to one. The whole ladder
    // is 18 notches, so more in one event says nothing more.
    constexpr int most = 18 * QWheelEvent::DefaultDeltasPerStep;
    WheelZoomDelta += std::clamp(event->angleDelta().y(), -most, most);
    const QPoint at = event->position().toPoint();
    for (; WheelZoomDelta >= QWheelEvent::DefaultDeltasPerStep; WheelZoomDelta -= QWheelEvent::DefaultDeltasPerStep)
        ZoomIn(at);
    for (; WheelZoomDelta <= -QWheelEvent::DefaultDeltasPerStep; WheelZoomDelta += QWheelEvent::DefaultDeltasPerStep)
        ZoomOut(at);
    event->accept();
}

std::optional<std::size_t> CPlektoView::ItemAtViewport(const QPoint& pos) const
{
    if (!Doc.Score || !Doc.Score->Geometry.BuiltFor(*Doc.Score))
        return std::nullopt;
    const double scale = PixelsPerUnit();
    const double x = (pos.x() + horizontalScrollBar()->value() + 0.5) / scale;
    const double y = -(pos.y() + verticalScrollBar()->value() + 0.5) / scale;
    return Doc.Score->Geometry.ItemAt(0, TruncSat(x), TruncSat(y));
}

QRect CPlektoView::ItemViewportRect(std::size_t item) const
{
    if (!Doc.Score || !Doc.Score->Geometry.BuiltFor(*Doc.Score))
        return {};
    const std::optional<CItemPlace> place = Doc.Score->Geometry.Place(item, 0);
    if (!place)
        return {};
    const double scale = PixelsPerUnit();
    const double x = horizontalScrollBar()->value();
    const double y = verticalScrollBar()->value();
    const CRect& r = place->Rect;
    const QPoint topLeft(PixelSat(std::floor(r.left * scale - x)), PixelSat(std::floor(-r.top * scale - y)));
    const QPoint bottomRight(PixelSat(std::ceil(r.right * scale - x)), PixelSat(std::ceil(-r.bottom * scale - y)));
    return QRect(topLeft, bottomRight - QPoint(1, 1));
}

CSourcePoint CPlektoView::SourceOf(std::size_t item) const
{
    if (!Doc.Score)
        return {};
    if (!Sources)
        Sources = std::make_unique<CItemSourcePoints>(*Doc.Score, Doc.Text);
    return Sources->Of(item);
}

void CPlektoView::SetHovered(std::optional<std::size_t> item)
{
    if (item == Hovered)
        return;
    // Only the two columns change; a pixel of room covers the rounding of the fill.
    if (Hovered)
        viewport()->update(ItemViewportRect(*Hovered).adjusted(-1, -1, 1, 1));
    Hovered = item;
    QString text;
    if (Hovered) {
        viewport()->update(ItemViewportRect(*Hovered).adjusted(-1, -1, 1, 1));
        const CSourcePoint at = SourceOf(*Hovered);
        if (at.Line > 0)
            text = tr("行 %1, 桁 %2").arg(at.Line).arg(at.Column);
    }
    emit SourceHovered(text);
}

void CPlektoView::UpdateHoverAtPointer()
{
    if (viewport()->underMouse())
        SetHovered(ItemAtViewport(viewport()->mapFromGlobal(QCursor::pos())));
}

void CPlektoView::scrollContentsBy(int dx, int dy)
{
    QAbstractScrollArea::scrollContentsBy(dx, dy);
    UpdateHoverAtPointer();
}

void CPlektoView::ForgetSource()
{
    Sources.reset();
    Hovered.reset();
    emit SourceHovered(QString());
}

bool CPlektoView::RequestSource(const QPoint& pos)
{
    const std::optional<std::size_t> item = ItemAtViewport(pos);
    if (!item)
        return false;
    const CSourcePoint at = SourceOf(*item);
    if (at.Line <= 0)
        return false;
    emit SourceRequested(at.Line, at.Column);
    return true;
}

void CPlektoView::mouseMoveEvent(QMouseEvent* event)
{
    SetHovered(ItemAtViewport(event->position().toPoint()));
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CPlektoView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier) &&
        RequestSource(event->position().toPoint())) {
        event->accept();
        return;
    }
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
    if (event->button() == Qt::LeftButton && RequestSource(event->position().toPoint())) {
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

bool CPlektoView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        SetHovered(std::nullopt);
    return QAbstractScrollArea::viewportEvent(event);
}

void CPlektoView::OnInitialUpdate()
{
    ForgetSource();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    if (Doc.Score)
        OnPrepareDC(false);
    viewport()->update();
}

void CPlektoView::OnReloadUpdate()
{
    ForgetSource();
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
    const double scale = PixelsPerUnit();
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
    PaintViewport(painter, PageView, *Doc.Score, scroll, event->rect(), ScreenDpi() * Zoom);
    if (Hovered)
        painter.fillRect(ItemViewportRect(*Hovered) & event->rect(), HoverFill);
    if (PlayCursor) {
        const QRect bar = CursorStrip(*PlayCursor, scroll, ScreenDpi() * Zoom);
        if (bar.intersects(event->rect()))
            painter.fillRect(bar, CursorColour);
    }
}

QPoint CPlektoView::ScrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QRect CPlektoView::CursorStrip(const CCursorPosition& position, QPoint scroll, double dpi)
{
    const double scale = dpi / UnitsPerInch;
    const int x = PixelSat(std::floor(position.X * scale)) - scroll.x();
    const int top = PixelSat(std::floor(-position.Top * scale)) - scroll.y();
    const int bottom = PixelSat(std::floor(-position.Bottom * scale)) - scroll.y();
    return QRect(QPoint(x, top), QPoint(x + CursorWidth - 1, std::max(top, bottom)));
}

QRect CPlektoView::PlayCursorRect() const
{
    return PlayCursor ? CursorStrip(*PlayCursor, ScrollPosition(), ScreenDpi() * Zoom) : QRect();
}

void CPlektoView::SetPlayCursor(const std::optional<CCursorPosition>& position, bool follow)
{
    if (!position) {
        viewport()->update(PlayCursorRect());
        PlayCursor.reset();
        Following = true;
        return;
    }
    if (!Following && position->Line != UnfollowedLine)
        Following = true;
    if (follow && Following)
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
    const QRect bar = CursorStrip(position, {0, 0}, ScreenDpi() * Zoom);
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
        QMessageBox::warning(this, QStringLiteral("Plekto"), tr("印刷を開始できません。"));
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
    if (preview && Store && Store->value(PreviewPagesKey).toInt() == 2)
        preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) { PrintPages(*printer); });
    dialog.exec();
    if (preview && Store)
        Store->setValue(PreviewPagesKey, preview->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1);
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
