#include "display/RecordingSurface.h"

#include <cstdio>
#include <utility>

#include "display/Font.h"
#include "display/Json.h"
#include "model/TextEncoding.h"
#include "settings/Units.h"
#include "symbols/Bitmap.h"

namespace
{
const char* KindName(CRecordedCall::Kind what)
{
    switch (what) {
    case CRecordedCall::Kind::MoveTo:
        return "MoveTo";
    case CRecordedCall::Kind::LineTo:
        return "LineTo";
    case CRecordedCall::Kind::Rectangle:
        return "Rectangle";
    case CRecordedCall::Kind::Ellipse:
        return "Ellipse";
    case CRecordedCall::Kind::RoundRect:
        return "RoundRect";
    case CRecordedCall::Kind::Arc:
        return "Arc";
    case CRecordedCall::Kind::Polygon:
        return "Polygon";
    case CRecordedCall::Kind::StretchBlt:
        return "StretchBlt";
    case CRecordedCall::Kind::DrawText:
        return "DrawText";
    case CRecordedCall::Kind::Brush:
        return "Brush";
    case CRecordedCall::Kind::Font:
        return "Font";
    }
    return "?";
}

const char* BrushName(CBrush brush)
{
    switch (brush) {
    case CBrush::Hollow:
        return "hollow";
    case CBrush::Black:
        return "black";
    case CBrush::White:
        return "white";
    }
    return "?";
}

void AppendNumbers(std::string& out, const std::vector<int32_t>& args, size_t from, size_t to)
{
    for (size_t i = from; i < to && i < args.size(); ++i) {
        out += ' ';
        out += std::to_string(args[i]);
    }
}

}  // namespace

std::string PassBytes(std::string_view bytes, TextEncoding) { return std::string(bytes); }

int32_t CRecordingSurface::EmHeight(int32_t size)
{
    const int64_t em = PointTenthsToUnits(size);
    return SatFrom64(em < 0 ? -em : em);
}

int64_t CRecordingSurface::CountCharacters(std::string_view text, TextEncoding encoding)
{
    int64_t count = 0;
    if (encoding == TextEncoding::Utf8) {
        // A lead byte takes the continuation bytes it announces; a byte that fits no
        // sequence counts alone, as a decoder would replace it by one character.
        for (size_t i = 0; i < text.size(); ++count) {
            const auto lead = static_cast<unsigned char>(text[i++]);
            size_t more = 0;
            if (lead >= 0xC2 && lead <= 0xDF)
                more = 1;
            else if (lead >= 0xE0 && lead <= 0xEF)
                more = 2;
            else if (lead >= 0xF0 && lead <= 0xF4)
                more = 3;
            for (size_t k = 0; k < more && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; ++k)
                ++i;
        }
        return count;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        // A lead byte takes its trail byte with it; a lead byte at the very end stands alone.
        if (IsCp932Lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            ++i;
        ++count;
    }
    return count;
}

int32_t CRecordingSurface::TextHeight() const
{
    return EmHeight(CurrentFont() ? CurrentFont()->Size : DefaultFontSize);
}

int32_t CRecordingSurface::TextWidth(std::string_view text) const
{
    const int64_t advance = int64_t{TextHeight()} * 6 / 10;
    const int64_t chars = CountCharacters(text, GetTextEncoding());
    // Both factors are below 2^31, so the product fits in 64 bits.
    return SatFrom64(chars * advance);
}

void CRecordingSurface::Record(CRecordedCall::Kind what, std::vector<int32_t> args)
{
    CRecordedCall call;
    call.What = what;
    call.Args = std::move(args);
    Recorded.push_back(std::move(call));
}

void CRecordingSurface::DrawText(std::string_view text, CRect& rect, uint32_t flags)
{
    CRecordedCall call;
    call.What = CRecordedCall::Kind::DrawText;
    call.Flags = flags;
    call.Text = std::string(text);
    call.Encoding = GetTextEncoding();
    if (flags & DT_CALCRECT) {
        rect.right = SatAdd(rect.left, TextWidth(text));
        rect.bottom = SatSub(rect.top, TextHeight());
        call.Measuring = true;
    }
    call.Args = {rect.left, rect.top, rect.right, rect.bottom};
    Recorded.push_back(std::move(call));
}

void CRecordingSurface::MoveTo(int32_t x, int32_t y) { Record(CRecordedCall::Kind::MoveTo, {x, y}); }
void CRecordingSurface::LineTo(int32_t x, int32_t y) { Record(CRecordedCall::Kind::LineTo, {x, y}); }

void CRecordingSurface::Rectangle(int32_t l, int32_t t, int32_t r, int32_t b)
{
    Record(CRecordedCall::Kind::Rectangle, {l, t, r, b});
}

void CRecordingSurface::Ellipse(int32_t l, int32_t t, int32_t r, int32_t b)
{
    Record(CRecordedCall::Kind::Ellipse, {l, t, r, b});
}

void CRecordingSurface::RoundRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t w, int32_t h)
{
    Record(CRecordedCall::Kind::RoundRect, {l, t, r, b, w, h});
}

void CRecordingSurface::Arc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t x1, int32_t y1, int32_t x2,
                            int32_t y2)
{
    Record(CRecordedCall::Kind::Arc, {l, t, r, b, x1, y1, x2, y2});
}

void CRecordingSurface::PaintPolygon(std::span<const CPoint> points)
{
    std::vector<int32_t> args;
    args.reserve(points.size() * 2);
    for (const CPoint& p : points) {
        args.push_back(p.x);
        args.push_back(p.y);
    }
    Record(CRecordedCall::Kind::Polygon, std::move(args));
}

void CRecordingSurface::StretchBlt(int32_t x, int32_t y, int32_t w, int32_t h, const CMemoryDC& src, int32_t sx,
                                   int32_t sy, int32_t sw, int32_t sh)
{
    const CBitmap* bitmap = src.SelectedBitmap();
    Record(CRecordedCall::Kind::StretchBlt, {x, y, w, h, bitmap ? bitmap->ResourceId : 0, sx, sy, sw, sh});
}

void CRecordingSurface::OnSelectFont(const CFont* font)
{
    CRecordedCall call;
    call.What = CRecordedCall::Kind::Font;
    if (font) {
        call.Text = font->Name;
        call.FontSize = font->Size;
    } else {
        call.DefaultFont = true;
    }
    Recorded.push_back(std::move(call));
}

void CRecordingSurface::OnSelectBrush(CBrush brush)
{
    CRecordedCall call;
    call.What = CRecordedCall::Kind::Brush;
    call.Brush = brush;
    Recorded.push_back(std::move(call));
}

std::vector<std::string> CRecordingSurface::TraceLines(const CTextDecoder& decode) const
{
    std::vector<std::string> lines;
    lines.reserve(Recorded.size());
    for (const CRecordedCall& call : Recorded)
        if (!call.Measuring)
            lines.push_back(FormatCall(call, decode));
    return lines;
}

std::string CRecordingSurface::Trace(const CTextDecoder& decode) const
{
    std::string out;
    for (const std::string& line : TraceLines(decode)) {
        out += line;
        out += '\n';
    }
    return out;
}

std::string FormatCall(const CRecordedCall& call, const CTextDecoder& decode)
{
    std::string out = KindName(call.What);
    const std::vector<int32_t>& a = call.Args;
    switch (call.What) {
    case CRecordedCall::Kind::Polygon:
        out += ' ';
        out += std::to_string(a.size() / 2);
        AppendNumbers(out, a, 0, a.size());
        break;
    case CRecordedCall::Kind::StretchBlt:
        // x y w h id, then the source size (the source origin is not part of the trace).
        AppendNumbers(out, a, 0, 5);
        AppendNumbers(out, a, 7, 9);
        break;
    case CRecordedCall::Kind::DrawText:
        out += ' ';
        out += std::to_string(call.Flags);
        AppendNumbers(out, a, 0, a.size());
        out += ' ';
        out += Json::Quote(decode(call.Text, call.Encoding));
        break;
    case CRecordedCall::Kind::Brush:
        out += ' ';
        out += BrushName(call.Brush);
        break;
    case CRecordedCall::Kind::Font:
        if (call.DefaultFont) {
            out += " default";
        } else {
            const TextEncoding nameEncoding = IsValidUtf8(call.Text) ? TextEncoding::Utf8 : TextEncoding::Cp932;
            out += ' ';
            out += Json::Quote(decode(call.Text, nameEncoding));
            out += ' ';
            out += std::to_string(call.FontSize);
        }
        break;
    default:
        AppendNumbers(out, a, 0, a.size());
        break;
    }
    return out;
}
