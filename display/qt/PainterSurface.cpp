#include "display/qt/PainterSurface.h"

#include <QFontMetricsF>
#include <QMutex>
#include <QMutexLocker>
#include <QPolygonF>
#include <QRegion>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

#include "display/Font.h"
#include "display/qt/FontMatch.h"
#include "display/qt/TextCodec.h"
#include "settings/Units.h"
#include "symbols/Bitmap.h"

namespace
{
// Logical y grows upward; the painter's grows downward. The painter keeps a positive
// scale so that text stays upright, and the surface negates y.
QPointF Pt(int32_t x, int32_t y) { return {static_cast<double>(x), -static_cast<double>(y)}; }

QRectF Box(int32_t l, int32_t t, int32_t r, int32_t b) { return QRectF(Pt(l, t), Pt(r, b)).normalized(); }

int TextFlags(uint32_t flags)
{
    // Texts are shown as written: an "&" in a title or chord name is an ampersand, not
    // a marker for underlining the next character.
    int qflags = 0;
    if (flags & DT_CENTER)
        qflags |= Qt::AlignHCenter;
    else if (flags & DT_RIGHT)
        qflags |= Qt::AlignRight;
    else
        qflags |= Qt::AlignLeft;
    // Vertical placement exists only for single lines; other text starts at the top.
    if (flags & DT_SINGLELINE) {
        qflags |= Qt::TextSingleLine;
        if (flags & DT_VCENTER)
            qflags |= Qt::AlignVCenter;
        else if (flags & DT_BOTTOM)
            qflags |= Qt::AlignBottom;
        else
            qflags |= Qt::AlignTop;
    } else {
        qflags |= Qt::AlignTop;
    }
    if (flags & DT_NOCLIP)
        qflags |= Qt::TextDontClip;
    return qflags;
}

int32_t RoundUp(double v) { return TruncSat(std::ceil(v)); }

// Parametric angle, in degrees counter-clockwise as seen on the page, of the point where
// the ray from the centre toward (x, y) meets the ellipse.
double RayAngle(double x, double y, double cx, double cy, double rx, double ry)
{
    return std::atan2((y - cy) / ry, (x - cx) / rx) * 180.0 / std::numbers::pi;
}
}  // namespace

CPainterSurface::CPainterSurface(QPainter& painter, const COptions& options) : Painter(painter), Options(options)
{
    if (!(Options.Scale > 0.0) || !std::isfinite(Options.Scale))
        Options.Scale = 1.0;
    Painter.save();
    Painter.scale(Options.Scale, Options.Scale);
    // Shapes are never antialiased: an antialiased one-pixel line that falls between two
    // pixel rows (as on the print preview, which draws the page reduced) shows as two grey
    // rows; without it, it is one black row, as on the screen.
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setRenderHint(QPainter::TextAntialiasing, Options.Antialias);
    // A cosmetic pen (width 0) is one device pixel whatever the scale: on an image, the
    // screen, a print preview drawn small and a printer alike, and the thinnest line a
    // PDF or SVG viewer can show. A width in page units would fade below a pixel when
    // the page is shown reduced.
    LinePen = QPen(Qt::black, 0);
    LinePen.setCapStyle(Qt::FlatCap);
    LinePen.setJoinStyle(Qt::MiterJoin);
    Painter.setPen(LinePen);
    DefaultFont = MakeQFont(nullptr);
    Painter.setFont(DefaultFont);
    OnSelectBrush(CurrentBrush());
}

CPainterSurface::~CPainterSurface() { Painter.restore(); }

const QFont& CPainterSurface::FontFor(const CFont* font)
{
    if (!font)
        return DefaultFont;
    CCachedFont& cached = Fonts[font];
    if (cached.Font.pixelSize() <= 0 || cached.Name != font->Name || cached.Size != font->Size ||
        cached.Height != font->Height) {
        cached.Name = font->Name;
        cached.Size = font->Size;
        cached.Height = font->Height;
        cached.Font = MakeQFont(font);
    }
    return cached.Font;
}

void CPainterSurface::OnSelectFont(const CFont* font) { Painter.setFont(FontFor(font)); }

void CPainterSurface::OnSelectBrush(CBrush brush)
{
    switch (brush) {
    case CBrush::Hollow:
        Painter.setBrush(Qt::NoBrush);
        break;
    case CBrush::Black:
        Painter.setBrush(Qt::black);
        break;
    case CBrush::White:
        Painter.setBrush(Qt::white);
        break;
    }
}

void CPainterSurface::DrawText(std::string_view text, CRect& rect, uint32_t flags)
{
    const int qflags = TextFlags(flags);
    if (flags & DT_CALCRECT) {
        std::optional<CTextExtent> extent = MeasuredExtent(text, flags);
        if (!extent) {
            QPaintDevice* device = Painter.device();
            const QFont& font = FontFor(CurrentFont());
            const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
            const int layout = qflags & ~(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask | Qt::TextDontClip);
            const QRectF bounds = metrics.boundingRect(QRectF(0, 0, 1e7, 1e7),
                                                       layout | Qt::AlignLeft | Qt::AlignTop,
                                                       DecodeText(text, GetTextEncoding()));
            extent = CTextExtent{RoundUp(bounds.width()), RoundUp(bounds.height())};
            RememberExtent(text, flags, *extent);
        }
        rect.right = SatAdd(rect.left, extent->Width);
        rect.bottom = SatSub(rect.top, extent->Height);
        return;
    }
    const QString string = DecodeText(text, GetTextEncoding());
    const QFont& font = FontFor(CurrentFont());
    Painter.setFont(font);
    Painter.drawText(Box(rect.left, rect.top, rect.right, rect.bottom), qflags, string);
}

void CPainterSurface::MoveTo(int32_t x, int32_t y) { Current = Pt(x, y); }

void CPainterSurface::LineTo(int32_t x, int32_t y)
{
    const QPointF to = Pt(x, y);
    if (!FillStraightLine(Current, to)) {
        Painter.setPen(LinePen);
        Painter.drawLine(Current, to);
    }
    Current = to;
}

bool CPainterSurface::FillStraightLine(QPointF from, QPointF to)
{
    // Qt draws a one-pixel line pixel by pixel and hands long runs of them to other
    // threads, which costs more than the pixels themselves. A level or upright line is a
    // rectangle of whole pixels: the ones Qt's line would cover (the row or column under
    // it, along it from the rounded start up to the rounded end) are filled at once.
    if (Options.Kind != Target::Raster || (from.x() != to.x()) == (from.y() != to.y()))
        return false;
    const QTransform transform = Painter.worldTransform();
    if (transform.type() > QTransform::TxScale)
        return false;
    const QPointF a = transform.map(from), b = transform.map(to);
    QPaintDevice* device = Painter.device();
    if (!device)
        return false;
    // Far outside the device nothing is drawn; clamping keeps the pixel numbers in range.
    const auto pixel = [](double v, double limit) {
        return static_cast<int>(std::clamp(v, -2.0, limit + 2.0));
    };
    const double w = device->width(), h = device->height();
    QRect pixels;
    if (from.y() == to.y()) {
        const int row = pixel(std::floor(a.y()), h);
        const int left = pixel(std::floor(std::min(a.x(), b.x()) + 0.5), w);
        const int right = pixel(std::floor(std::max(a.x(), b.x()) + 0.5), w);
        pixels = QRect(QPoint(left, row), QPoint(right - 1, row));
    } else {
        const int column = pixel(std::floor(a.x()), w);
        const int top = pixel(std::floor(std::min(a.y(), b.y()) + 0.5), h);
        const int bottom = pixel(std::floor(std::max(a.y(), b.y()) + 0.5), h);
        pixels = QRect(QPoint(column, top), QPoint(column, bottom - 1));
    }
    if (pixels.isEmpty())
        return true;
    Painter.setWorldTransform(QTransform());
    Painter.fillRect(pixels, LinePen.color());
    Painter.setWorldTransform(transform);
    return true;
}

void CPainterSurface::Rectangle(int32_t l, int32_t t, int32_t r, int32_t b)
{
    const QRectF box = Box(l, t, r, b);
    if (FillUprightEdges(box))
        return;
    Painter.setPen(LinePen);
    Painter.drawRect(KeptOnDevice(box));
}

bool CPainterSurface::FillUprightEdges(const QRectF& box)
{
    // A hollow rectangle taller than the raster device at both ends (the page frame on a
    // band of a long image) shows only its two upright edges: Qt would stroke them pixel
    // by pixel, handing the runs to other threads; the same columns are filled at once.
    if (Options.Kind != Target::Raster || CurrentBrush() != CBrush::Hollow)
        return false;
    const QTransform transform = Painter.worldTransform();
    QPaintDevice* device = Painter.device();
    if (!device || transform.type() > QTransform::TxScale)
        return false;
    const QPointF a = transform.map(box.topLeft()), b = transform.map(box.bottomRight());
    const double h = device->height(), w = device->width();
    if (!(a.y() < -2.0 && b.y() > h + 2.0 && std::isfinite(a.x()) && std::isfinite(b.x())))
        return false;
    Painter.setWorldTransform(QTransform());
    for (const double x : {a.x(), b.x()}) {
        const int column = static_cast<int>(std::clamp(std::floor(x), -2.0, w + 2.0));
        Painter.fillRect(QRect(column, 0, 1, device->height()), LinePen.color());
    }
    Painter.setWorldTransform(transform);
    return true;
}

QRectF CPainterSurface::KeptOnDevice(QRectF box) const
{
    // An edge beyond the device moves, by whole pixels, into the rows thrown away, so Qt
    // sees a rectangle it need not clip and draws the kept rows as a tall device would.
    const QPaintDevice* device = Painter.device();
    const QTransform transform = Painter.worldTransform();
    if (Options.DiscardedRows < 4 || !device || transform.type() > QTransform::TxScale)
        return box;
    const double low = 2.0, high = device->height() - 2.0;
    const double top = transform.map(QPointF(0, box.top())).y(), bottom = transform.map(QPointF(0, box.bottom())).y();
    if (!(bottom >= low && top <= high))
        return box;  // wholly outside (or not a number): Qt draws none of it
    const QTransform back = transform.inverted();
    const auto pulled = [&](double y, double limit, double base) {
        const double device = transform.map(QPointF(0, y)).y();
        if (!std::isfinite(device) || (limit == low ? device >= low : device <= high))
            return y;
        return back.map(QPointF(0, base + (device - std::floor(device)))).y();
    };
    box.setTop(pulled(box.top(), low, low));
    box.setBottom(pulled(box.bottom(), high, high - 1.0));
    return box;
}

void CPainterSurface::Ellipse(int32_t l, int32_t t, int32_t r, int32_t b)
{
    Painter.setPen(LinePen);
    Painter.drawEllipse(Box(l, t, r, b));
}

void CPainterSurface::RoundRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t w, int32_t h)
{
    // The corner ellipse is w by h; Qt wants its radii.
    Painter.setPen(LinePen);
    Painter.drawRoundedRect(Box(l, t, r, b), std::fabs(static_cast<double>(w)) / 2.0,
                            std::fabs(static_cast<double>(h)) / 2.0, Qt::AbsoluteSize);
}

void CPainterSurface::Arc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t x1, int32_t y1, int32_t x2,
                          int32_t y2)
{
    // Angles in the page's y-up terms are the painter's angles too: the painter shows
    // counter-clockwise as counter-clockwise, and the surface only flips the sign of y.
    const double cx = (static_cast<double>(l) + r) / 2.0;
    const double cy = (static_cast<double>(t) + b) / 2.0;
    double rx = std::fabs(static_cast<double>(r) - l) / 2.0;
    double ry = std::fabs(static_cast<double>(t) - b) / 2.0;
    // A flat ellipse still has directions; only avoid dividing by zero.
    rx = rx > 0 ? rx : 1.0;
    ry = ry > 0 ? ry : 1.0;
    const double start = RayAngle(x1, y1, cx, cy, rx, ry);
    double span = RayAngle(x2, y2, cx, cy, rx, ry) - start;
    while (span <= 0.0)
        span += 360.0;  // equal rays give the whole ellipse
    while (span > 360.0)
        span -= 360.0;
    const QRectF box = Box(l, t, r, b);
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, span);
    Painter.strokePath(path, LinePen);
}

void CPainterSurface::PaintPolygon(std::span<const CPoint> points)
{
    if (points.size() < 3)
        return;
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const CPoint& p : points)
        polygon << Pt(p.x, p.y);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addPolygon(polygon);
    path.closeSubpath();
    // A region is painted with the brush only, without an outline.
    Painter.fillPath(path, Painter.brush());
}

namespace
{
// Douglas-Peucker on an open run of points: keeps first and last and every point that
// lies farther than the tolerance from the line through the ones kept around it.
void KeepFarPoints(const QPolygonF& points, int first, int last, double tolerance, std::vector<bool>& keep)
{
    if (last <= first + 1)
        return;
    const QPointF a = points[first];
    const QPointF b = points[last];
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double length = std::hypot(dx, dy);
    double farthest = -1;
    int index = first;
    for (int i = first + 1; i < last; ++i) {
        const QPointF p = points[i];
        const double distance = length > 0 ? std::abs(dy * (p.x() - a.x()) - dx * (p.y() - a.y())) / length
                                           : std::hypot(p.x() - a.x(), p.y() - a.y());
        if (distance > farthest) {
            farthest = distance;
            index = i;
        }
    }
    if (farthest <= tolerance)
        return;
    keep[static_cast<std::size_t>(index)] = true;
    KeepFarPoints(points, first, index, tolerance, keep);
    KeepFarPoints(points, index, last, tolerance, keep);
}

// A closed outline with fewer points, none of the dropped ones farther than the
// tolerance from it. The outline is cut at its first point and the point farthest from it.
QPolygonF SimplifiedOutline(QPolygonF polygon, double tolerance)
{
    if (polygon.size() > 1 && polygon.front() == polygon.back())
        polygon.removeLast();
    if (polygon.size() < 4)
        return polygon;
    int far = 0;
    double best = -1;
    for (int i = 1; i < polygon.size(); ++i) {
        const double d = std::hypot(polygon[i].x() - polygon[0].x(), polygon[i].y() - polygon[0].y());
        if (d > best) {
            best = d;
            far = i;
        }
    }
    QPolygonF ring = polygon;
    ring.append(polygon.front());
    std::vector<bool> keep(static_cast<std::size_t>(ring.size()), false);
    keep.front() = keep.back() = keep[static_cast<std::size_t>(far)] = true;
    KeepFarPoints(ring, 0, far, tolerance, keep);
    KeepFarPoints(ring, far, static_cast<int>(ring.size()) - 1, tolerance, keep);
    QPolygonF result;
    for (int i = 0; i + 1 < ring.size(); ++i)
        if (keep[static_cast<std::size_t>(i)])
            result.append(ring[i]);
    // A shape of a pixel or two would collapse into a line: keep such shapes whole.
    return result.size() < 4 ? polygon : result;
}

// The black pixels of a part of a bitmap as one region (row runs, merged by QRegion),
// outlined as a path: filling it black is what ANDing a monochrome bitmap does, on every
// target, and unlike an image it never hides what lies under its white pixels.
QPainterPath OutlineBlackPixels(const CBitmap& bitmap, const QRect& source)
{
    std::vector<QRect> runs;
    for (int y = source.top(); y <= source.bottom(); ++y) {
        for (int x = source.left(); x <= source.right();) {
            if (!bitmap.Black(x, y)) {
                ++x;
                continue;
            }
            const int begin = x;
            while (x <= source.right() && bitmap.Black(x, y))
                ++x;
            runs.emplace_back(begin - source.left(), y - source.top(), x - begin, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    QPainterPath path;
    path.addRegion(region);
    // One outline instead of stacked rectangles: no hairline seams in vector viewers.
    // Its pixel stair steps are then straightened to within a pixel, which keeps the
    // shape and makes a PDF of many flags and rests several times smaller and faster.
    const QPainterPath outline = path.simplified();
    QPainterPath smooth;
    smooth.setFillRule(outline.fillRule());
    for (const QPolygonF& polygon : outline.toSubpathPolygons()) {
        smooth.addPolygon(SimplifiedOutline(polygon, 1.0));
        smooth.closeSubpath();
    }
    return smooth;
}

// Outlines take milliseconds and every paint of the view makes a new surface, so they
// are also kept for the whole process, keyed by the pixels themselves.
QPainterPath SharedOutline(const CBitmap& bitmap, const QRect& source)
{
    uint64_t hash = 1469598103934665603ULL;  // FNV-1a over the pixels
    for (uint8_t pixel : bitmap.Pixels)
        hash = (hash ^ pixel) * 1099511628211ULL;
    const auto key = std::make_tuple(hash, bitmap.Width, bitmap.Height, source.x(), source.y(), source.width(),
                                     source.height());
    static QMutex mutex;
    static std::map<decltype(key), QPainterPath> outlines;
    QMutexLocker lock(&mutex);
    const auto found = outlines.find(key);
    if (found != outlines.end())
        return found->second;
    if (outlines.size() >= 256)  // a bound, far above the symbols' needs
        outlines.clear();
    return outlines.emplace(key, OutlineBlackPixels(bitmap, source)).first->second;
}
}  // namespace

const QPainterPath& CPainterSurface::BitmapPath(const CBitmap& bitmap, int sx, int sy, int sw, int sh)
{
    const CBitmapKey key{&bitmap, sx, sy, sw, sh};
    const auto found = BitmapPaths.find(key);
    if (found != BitmapPaths.end())
        return found->second;
    return BitmapPaths.emplace(key, SharedOutline(bitmap, QRect(sx, sy, sw, sh))).first->second;
}

void CPainterSurface::StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, const CMemoryDC& src, int32_t sx,
                                 int32_t sy, int32_t sw, int32_t sh)
{
    const CBitmap* bitmap = src.SelectedBitmap();
    if (!bitmap || sw == 0 || sh == 0 || w == 0 || h == 0)
        return;
    // Only the part of the source rectangle that lies on the bitmap has pixels.
    const QRect source = QRect(sx, sy, sw, sh).normalized().intersected(QRect(0, 0, bitmap->Width, bitmap->Height));
    if (source.isEmpty())
        return;
    const QPainterPath& path = BitmapPath(*bitmap, source.x(), source.y(), source.width(), source.height());

    // Source pixel (u, v), v downward, goes to logical (x + (u - sx) w / sw, y + (v - sy) h / sh):
    // a negative h extends downward, and opposite signs mirror as the platform's copy does.
    const double scaleX = static_cast<double>(w) / sw;
    const double scaleY = static_cast<double>(h) / sh;
    const double originX = x + (source.x() - static_cast<double>(sx)) * scaleX;
    const double originY = y + (source.y() - static_cast<double>(sy)) * scaleY;
    const QTransform toPainter(scaleX, 0, 0, -scaleY, originX, -originY);
    Painter.save();
    Painter.setTransform(toPainter, true);
    Painter.fillPath(path, Qt::black);
    Painter.restore();
}
