// A surface that draws nothing and records every call as plain data: the tests check
// geometry through it, and "plekto trace" prints it. Text is measured with fixed metrics
// so that recordings are the same on every machine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "display/Surface.h"

struct CRecordedCall
{
    enum class Kind
    {
        MoveTo,
        LineTo,
        Rectangle,
        Ellipse,
        RoundRect,
        Arc,
        Polygon,     // Args: x1 y1 ... xn yn
        StretchBlt,  // Args: x y w h id sx sy sw sh (id 0 when no bitmap was selected)
        DrawText,    // Args: l t r b as passed (for a measuring call: as measured)
        Brush,
        Font,
    };

    Kind What = Kind::MoveTo;
    std::vector<int32_t> Args;
    uint32_t Flags = 0;                            // DrawText
    std::string Text;                              // DrawText: the text bytes; Font: the face name bytes
    TextEncoding Encoding = TextEncoding::Cp932;   // how Text is to be decoded
    CBrush Brush = CBrush::Black;                  // Brush
    bool DefaultFont = false;                      // Font: the surface's initial font was selected
    int32_t FontSize = 0;                          // Font: the CFont's Size (tenths of a point)
    bool Measuring = false;                        // DT_CALCRECT: kept, but not part of the trace

    bool operator==(const CRecordedCall&) const = default;
};

// Turns text bytes in the given encoding into UTF-8 for the trace.
using CTextDecoder = std::function<std::string(std::string_view bytes, TextEncoding encoding)>;

// The identity: bytes pass through unchanged (core tests, UTF-8 scores).
std::string PassBytes(std::string_view bytes, TextEncoding encoding);

class CRecordingSurface : public CSurface
{
public:
    // Metrics of the initial (null) font: the same as a font of Size 90 (9 pt), a
    // usual size for a surface's stock font.
    static constexpr int32_t DefaultFontSize = 90;

    // Em height in 0.01 mm of a font of `size` tenths of a point: trunc(size x 2540 / 720).
    // A negative size gives the height of its magnitude (as a platform font would);
    // results saturate to the int32 range.
    static int32_t EmHeight(int32_t size);
    // Number of characters of text in the encoding: UTF-8 code points, or code page 932
    // characters where a lead byte and its trail byte count as one.
    static int64_t CountCharacters(std::string_view text, TextEncoding encoding);
    // Width of text in the current font: characters x trunc(E x 6 / 10), saturated.
    int32_t TextWidth(std::string_view text) const;
    // Height of one line of text in the current font: E.
    int32_t TextHeight() const;

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

    const std::vector<CRecordedCall>& Calls() const { return Recorded; }
    void Clear() { Recorded.clear(); }

    // The trace: one line per call that is not a measuring call, without line ends.
    std::vector<std::string> TraceLines(const CTextDecoder& decode = PassBytes) const;
    // The same lines, each ended by "\n" (for golden files).
    std::string Trace(const CTextDecoder& decode = PassBytes) const;

protected:
    void OnSelectFont(const CFont* font) override;
    void OnSelectBrush(CBrush brush) override;

private:
    void Record(CRecordedCall::Kind what, std::vector<int32_t> args);

    std::vector<CRecordedCall> Recorded;
};

// One trace line for a call (measuring calls are formatted too; callers skip them).
// Texts and face names are decoded to UTF-8 by `decode` and written as JSON strings.
// Face names are decoded as UTF-8 when they are valid UTF-8, else as code page 932.
std::string FormatCall(const CRecordedCall& call, const CTextDecoder& decode = PassBytes);
