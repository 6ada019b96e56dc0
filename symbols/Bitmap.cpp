// The symbol bitmaps are PBM files built into the program; this reads them.
#include "symbols/Bitmap.h"

#include <cstddef>
#include <optional>

#include "symbols/BitmapData.h"

namespace
{
// Far above any symbol, and small enough that a hostile header cannot make us
// allocate without bound.
constexpr int64_t MaxPbmPixels = 64LL * 1024 * 1024;

class CPbmReader
{
public:
    explicit CPbmReader(std::string_view data) : Data(data) {}

    // Skips white space and comments ("#" to the end of the line).
    void SkipSpace()
    {
        while (Pos < Data.size()) {
            const char c = Data[Pos];
            if (c == '#') {
                while (Pos < Data.size() && Data[Pos] != '\n' && Data[Pos] != '\r')
                    ++Pos;
            } else if (IsSpace(c)) {
                ++Pos;
            } else {
                break;
            }
        }
    }

    // A positive decimal number after optional white space and comments.
    std::optional<int> Number()
    {
        SkipSpace();
        int64_t value = 0;
        size_t digits = 0;
        while (Pos < Data.size() && Data[Pos] >= '0' && Data[Pos] <= '9') {
            value = value * 10 + (Data[Pos] - '0');
            if (value > MaxPbmPixels)
                return std::nullopt;
            ++Pos;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return static_cast<int>(value);
    }

    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

    std::string_view Data;
    size_t Pos = 0;
};

bool ReadPlain(CPbmReader& in, CBitmap& bitmap)
{
    for (uint8_t& pixel : bitmap.Pixels) {
        in.SkipSpace();
        if (in.Pos >= in.Data.size())
            return false;
        const char c = in.Data[in.Pos++];
        if (c != '0' && c != '1')
            return false;
        pixel = c == '1' ? 1 : 0;
    }
    return true;
}

bool ReadRaw(CPbmReader& in, CBitmap& bitmap)
{
    // Exactly one white-space character separates the header from the raster.
    if (in.Pos >= in.Data.size() || !CPbmReader::IsSpace(in.Data[in.Pos]))
        return false;
    ++in.Pos;
    const size_t rowBytes = (static_cast<size_t>(bitmap.Width) + 7) / 8;
    if (in.Data.size() - in.Pos < rowBytes * static_cast<size_t>(bitmap.Height))
        return false;
    for (int y = 0; y < bitmap.Height; ++y) {
        const size_t row = in.Pos + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < bitmap.Width; ++x) {
            const auto byte = static_cast<unsigned char>(in.Data[row + static_cast<size_t>(x) / 8]);
            bitmap.Pixels[static_cast<size_t>(y) * bitmap.Width + x] = (byte >> (7 - x % 8)) & 1;
        }
    }
    return true;
}
}  // namespace

std::unique_ptr<CBitmap> ParsePbm(std::string_view data)
{
    if (data.size() < 2 || data[0] != 'P' || (data[1] != '1' && data[1] != '4'))
        return nullptr;
    CPbmReader in(data.substr(2));
    const std::optional<int> width = in.Number();
    const std::optional<int> height = in.Number();
    if (!width || !height || *width <= 0 || *height <= 0 || int64_t{*width} * *height > MaxPbmPixels)
        return nullptr;

    // Refuse before allocating when the data cannot hold the raster the header claims:
    // a plain raster needs a character per pixel, a raw one a bit per pixel.
    const size_t remaining = in.Data.size() - in.Pos;
    const size_t pixels = static_cast<size_t>(*width) * static_cast<size_t>(*height);
    const size_t needed = data[1] == '1' ? pixels : (static_cast<size_t>(*width) + 7) / 8 * *height + 1;
    if (remaining < needed)
        return nullptr;

    auto bitmap = std::make_unique<CBitmap>();
    bitmap->Width = *width;
    bitmap->Height = *height;
    bitmap->Pixels.assign(pixels, 0);
    const bool ok = data[1] == '1' ? ReadPlain(in, *bitmap) : ReadRaw(in, *bitmap);
    return ok ? std::move(bitmap) : nullptr;
}

namespace
{
std::unique_ptr<CBitmap> ParseSymbolBitmap(int resourceId)
{
    const std::string_view file = SymbolBitmapFile(resourceId);
    if (file.empty())
        return nullptr;
    std::unique_ptr<CBitmap> bitmap = ParsePbm(file);
    if (bitmap)
        bitmap->ResourceId = resourceId;
    return bitmap;
}
}  // namespace

// Every score owns its own copies, but the built-in images are parsed only once: a
// score is built for every file opened, and reading a small file should not be
// dominated by decoding the same eight images again.
std::unique_ptr<CBitmap> LoadSymbolBitmap(int resourceId)
{
    static const std::unique_ptr<CBitmap> parsed[] = {
        ParseSymbolBitmap(IDB_FLAG1),  ParseSymbolBitmap(IDB_FLAG2),  ParseSymbolBitmap(IDB_FLAG3),
        ParseSymbolBitmap(IDB_REST4),  ParseSymbolBitmap(IDB_REST8),  ParseSymbolBitmap(IDB_REST16),
        ParseSymbolBitmap(IDB_REST32), ParseSymbolBitmap(IDB_VIBRATO)};
    for (const auto& bitmap : parsed)
        if (bitmap && bitmap->ResourceId == resourceId)
            return std::make_unique<CBitmap>(*bitmap);
    return nullptr;
}
