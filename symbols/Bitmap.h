// The eight monochrome symbol bitmaps (flags, rests, vibrato), built into the program.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

struct CBitmap
{
    int ResourceId = 0;
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;  // Width x Height, row by row from the top; 1 = black

    bool Black(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x] != 0; }
};

// Resource numbers of the symbol bitmaps; there is no 134.
enum : int
{
    IDB_FLAG1 = 131,
    IDB_FLAG2 = 132,
    IDB_FLAG3 = 133,
    IDB_REST4 = 135,
    IDB_REST8 = 136,
    IDB_REST16 = 137,
    IDB_REST32 = 138,
    IDB_VIBRATO = 139,
};

// Loads one of the built-in bitmaps; null for an unknown resource number.
std::unique_ptr<CBitmap> LoadSymbolBitmap(int resourceId);

// Parses a PBM image (P1 or P4); null when the data is not one.
std::unique_ptr<CBitmap> ParsePbm(std::string_view data);
