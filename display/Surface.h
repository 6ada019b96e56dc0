// The drawing surface: the GDI-like operations that page and symbol drawing use, in
// logical units of 0.01 mm with x to the right and y upward (the page's top edge is 0).
// The base keeps the selection state (font, brush, text encoding) so that back ends
// implement only the primitives; every selection and restore passes through it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/TextEncoding.h"

struct CFont;
struct CBitmap;

struct CRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const CRect&) const = default;
};

struct CPoint
{
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const CPoint&) const = default;
};

// DrawText flags, with the values of the platform they come from.
enum : uint32_t
{
    DT_LEFT = 0x0,
    DT_TOP = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_SINGLELINE = 0x20,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
};

// The three stock brushes; the view's own solid black brush is Black.
enum class CBrush
{
    Hollow,
    Black,
    White,
};

// A memory surface into which a bitmap is selected before it is copied (StretchBlt).
class CMemoryDC
{
public:
    const CBitmap* SelectBitmap(const CBitmap* bitmap)
    {
        const CBitmap* previous = Selected;
        Selected = bitmap;
        return previous;
    }
    const CBitmap* SelectedBitmap() const { return Selected; }

private:
    const CBitmap* Selected = nullptr;
};

class CSurface
{
public:
    virtual ~CSurface() = default;

    // Selections return what was selected before; the caller selects it back.
    // A null font is the surface's initial font.
    const CFont* SelectFont(const CFont* font);
    CBrush SelectBrush(CBrush brush);
    const CFont* CurrentFont() const { return Font; }
    CBrush CurrentBrush() const { return Brush; }

    // How text bytes handed to DrawText are decoded.
    void SetTextEncoding(TextEncoding encoding) { Encoding = encoding; }
    TextEncoding GetTextEncoding() const { return Encoding; }

    // One string in a rectangle with DT_* flags. With DT_CALCRECT nothing is drawn:
    // rect.right and rect.bottom are set so that the rectangle holds the text
    // (bottom - top is negative in these coordinates).
    virtual void DrawText(std::string_view text, CRect& rect, uint32_t flags) = 0;

    virtual void MoveTo(int32_t x, int32_t y) = 0;
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // Outlined with the pen, filled with the current brush.
    virtual void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) = 0;
    virtual void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) = 0;
    virtual void RoundRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t w, int32_t h) = 0;
    // The arc of the ellipse bounded by (l, t, r, b), counter-clockwise as seen on the page
    // from the ray toward (x1, y1) to the ray toward (x2, y2).
    virtual void Arc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t x1, int32_t y1, int32_t x2,
                     int32_t y2) = 0;
    // A polygon region in winding fill mode, painted with the current brush.
    virtual void PaintPolygon(std::span<const CPoint> points) = 0;
    // Copies the bitmap selected into src, scaled to (x, y, w, h), ANDed onto the page:
    // black stays, white leaves the page unchanged. A negative h extends downward.
    virtual void StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, const CMemoryDC& src, int32_t sx,
                            int32_t sy, int32_t sw, int32_t sh) = 0;

protected:
    // Back ends that need to react to a selection (or record it) override these.
    virtual void OnSelectFont(const CFont* font) { (void)font; }
    virtual void OnSelectBrush(CBrush brush) { (void)brush; }

    // Extents of DT_CALCRECT measurements, for back ends whose measuring is costly: every
    // note column measures the same few strings. An entry belongs to the current font's
    // value (face, size, height; never its address, which a destroyed font may pass on
    // to another), the encoding, the flags and the text. A back end's metrics must not
    // change during its lifetime (one surface, one device).
    struct CTextExtent
    {
        int32_t Width = 0;
        int32_t Height = 0;
    };
    std::optional<CTextExtent> MeasuredExtent(std::string_view text, uint32_t flags) const;
    void RememberExtent(std::string_view text, uint32_t flags, CTextExtent extent);

private:
    // Only short texts are kept, and the whole cache is dropped when it is full: a score's
    // chord names and labels cannot make it grow without bound.
    static constexpr std::size_t MaxExtents = 256;
    static constexpr std::size_t MaxExtentText = 64;
    struct CExtentKey
    {
        bool DefaultFont = false;
        int32_t Size = 0;
        int32_t Height = 0;
        TextEncoding Encoding = TextEncoding::Cp932;
        uint32_t Flags = 0;
        std::string Face;
        std::string Text;
    };
    struct CExtentKeyView;
    struct CExtentOrder
    {
        using is_transparent = void;
        template <class A, class B>
        bool operator()(const A& a, const B& b) const;
    };
    CExtentKeyView KeyFor(std::string_view text, uint32_t flags) const;

    const CFont* Font = nullptr;
    CBrush Brush = CBrush::Black;
    TextEncoding Encoding = TextEncoding::Cp932;
    std::map<CExtentKey, CTextExtent, CExtentOrder> Extents;
};

// Selects a font or a brush for the lifetime of a scope and selects the previous one
// back: every drawing restores what it changed.
class CFontScope
{
public:
    CFontScope(CSurface& dc, const CFont* font) : Dc(dc), Previous(dc.SelectFont(font)) {}
    ~CFontScope() { Dc.SelectFont(Previous); }
    CFontScope(const CFontScope&) = delete;
    CFontScope& operator=(const CFontScope&) = delete;

private:
    CSurface& Dc;
    const CFont* Previous;
};

class CBrushScope
{
public:
    CBrushScope(CSurface& dc, CBrush brush) : Dc(dc), Previous(dc.SelectBrush(brush)) {}
    ~CBrushScope() { Dc.SelectBrush(Previous); }
    CBrushScope(const CBrushScope&) = delete;
    CBrushScope& operator=(const CBrushScope&) = delete;

private:
    CSurface& Dc;
    CBrush Previous;
};
