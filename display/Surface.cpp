#include "display/Surface.h"

const CFont* CSurface::SelectFont(const CFont* font)
{
    const CFont* previous = Font;
    Font = font;
    OnSelectFont(font);
    return previous;
}

CBrush CSurface::SelectBrush(CBrush brush)
{
    CBrush previous = Brush;
    Brush = brush;
    OnSelectBrush(brush);
    return previous;
}
