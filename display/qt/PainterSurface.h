// The drawing surface over a QPainter: raster images (1-bit included), PDF, SVG, and the
// screen and printer. Logical units are 0.01 mm with y upward, as for every surface.
//
// Scale and origin: the caller owns the painter, begun on its device, and may give it a
// transform first (the viewer translates it by the scroll position, in device pixels).
// The surface then multiplies in a positive scale of `Scale` device units per 0.01 mm and
// negates y itself, so logical (x, y) lands at device (Scale * x, -Scale * y) plus the
// caller's transform: the page's top-left corner is the painter's origin. The surface
// restores the painter's state when it is destroyed. Typical scales: an image at D dpi
// D / 2540; a QPdfWriter or QSvgGenerator at resolution 2540, 1.
//
// Lines: one device pixel wide on every target (a cosmetic pen), so that none fades
// away when a page is shown reduced, as in the print preview.
//
// Text: fonts are matched by face name (FontMatch.h) and sized by their em height in
// logical units. DrawText clips to its rectangle unless DT_NOCLIP and shows text as
// written: "&" is an ampersand, never a marker that underlines the next letter.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <map>
#include <string>
#include <tuple>

#include "display/Surface.h"

class CPainterSurface : public CSurface
{
public:
    enum class Target
    {
        Raster,  // images and the screen: level and upright lines filled as whole pixels
        Vector,  // PDF, SVG, printers and the print preview: every line stroked
    };

    struct COptions
    {
        double Scale = 1.0;  // device units per 0.01 mm; must be positive and finite
        Target Kind = Target::Raster;
        // Antialiased text; off for 1-bit images, where partial pixels are lost anyway.
        // Lines and shapes are never antialiased.
        bool Antialias = false;
        // Rows at the top and at the bottom of a raster device that the caller throws away
        // (an image painted in bands): rectangles reaching beyond the device are cut short
        // inside them, because Qt draws the corners of a clipped outline differently.
        int DiscardedRows = 0;
    };

    CPainterSurface(QPainter& painter, const COptions& options);
    ~CPainterSurface() override;
    CPainterSurface(const CPainterSurface&) = delete;
    CPainterSurface& operator=(const CPainterSurface&) = delete;

    void DrawText(std::string_view text, CRect& rect, uint32_t flags) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) override;
    void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override;
    void RoundRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t w, int32_t h) override;
    void Arc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t x1, int32_t y1, int32_t x2,
             int32_t y2) override;
    void PaintPolygon(std::span<const CPoint> points) override;
    void StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, const CMemoryDC& src, int32_t sx, int32_t sy,
                    int32_t sw, int32_t sh) override;

protected:
    void OnSelectFont(const CFont* font) override;
    void OnSelectBrush(CBrush brush) override;

private:
    struct CCachedFont
    {
        std::string Name;
        int32_t Size = 0;
        int32_t Height = 0;
        QFont Font;
    };
    using CBitmapKey = std::tuple<const CBitmap*, int, int, int, int>;

    const QFont& FontFor(const CFont* font);
    // Fills a level or upright line on a raster target as whole pixels; false for lines
    // the painter has to draw.
    bool FillStraightLine(QPointF from, QPointF to);
    // Fills the upright edges of a hollow rectangle that spans the raster device from
    // above to below; false when the painter has to draw it.
    bool FillUprightEdges(const QRectF& box);
    // The box of a rectangle with the edges beyond a banded device moved into its
    // discarded rows.
    QRectF KeptOnDevice(QRectF box) const;
    const QPainterPath& BitmapPath(const CBitmap& bitmap, int sx, int sy, int sw, int sh);

    QPainter& Painter;
    COptions Options;
    QPen LinePen;
    QPointF Current;  // the pen position of MoveTo/LineTo, in painter coordinates
    QFont DefaultFont;
    std::map<const CFont*, CCachedFont> Fonts;
    std::map<CBitmapKey, QPainterPath> BitmapPaths;
};
