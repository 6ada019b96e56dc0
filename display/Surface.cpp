#include "display/Surface.h"

#include <tuple>

#include "display/Font.h"

// The key of a lookup, without copying the face name or the text.
struct CSurface::CExtentKeyView
{
    bool DefaultFont = false;
    int32_t Size = 0;
    int32_t Height = 0;
    TextEncoding Encoding = TextEncoding::Cp932;
    uint32_t Flags = 0;
    std::string_view Face;
    std::string_view Text;
};

namespace
{
template <class Key>
auto Fields(const Key& k)
{
    return std::make_tuple(k.DefaultFont, k.Size, k.Height, k.Encoding, k.Flags, std::string_view(k.Face),
                           std::string_view(k.Text));
}
}  // namespace

template <class A, class B>
bool CSurface::CExtentOrder::operator()(const A& a, const B& b) const
{
    return Fields(a) < Fields(b);
}

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

CSurface::CExtentKeyView CSurface::KeyFor(std::string_view text, uint32_t flags) const
{
    CExtentKeyView key;
    key.DefaultFont = Font == nullptr;
    if (Font) {
        key.Size = Font->Size;
        key.Height = Font->Height;
        key.Face = Font->Name;
    }
    key.Encoding = Encoding;
    key.Flags = flags;
    key.Text = text;
    return key;
}

std::optional<CSurface::CTextExtent> CSurface::MeasuredExtent(std::string_view text, uint32_t flags) const
{
    const auto found = Extents.find(KeyFor(text, flags));
    if (found == Extents.end())
        return std::nullopt;
    return found->second;
}

void CSurface::RememberExtent(std::string_view text, uint32_t flags, CTextExtent extent)
{
    if (text.size() > MaxExtentText)
        return;
    if (Extents.size() >= MaxExtents)
        Extents.clear();
    const CExtentKeyView view = KeyFor(text, flags);
    CExtentKey key;
    key.DefaultFont = view.DefaultFont;
    key.Size = view.Size;
    key.Height = view.Height;
    key.Encoding = view.Encoding;
    key.Flags = view.Flags;
    key.Face = view.Face;
    key.Text = view.Text;
    Extents.insert_or_assign(std::move(key), extent);
}
