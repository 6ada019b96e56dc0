// The built-in symbol bitmaps and the PBM reader behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "symbols/Bitmap.h"

namespace
{
// Black pixels in rows y0..y1 (exclusive).
long Ink(const CBitmap& bitmap, int y0, int y1)
{
    return std::count(bitmap.Pixels.begin() + y0 * bitmap.Width, bitmap.Pixels.begin() + y1 * bitmap.Width, 1);
}
}  // namespace

TEST(SymbolBitmaps, EachResourceHasItsSizeAndInkAndUnknownOnesGiveNothing)
{
    const std::tuple<int, int, int> rows[] = {
        {IDB_FLAG1, 80, 257},  {IDB_FLAG2, 80, 257},  {IDB_FLAG3, 80, 257},  {IDB_REST4, 80, 214},
        {IDB_REST8, 80, 214},  {IDB_REST16, 80, 214}, {IDB_REST32, 80, 214}, {IDB_VIBRATO, 588, 152},
    };
    for (const auto& [id, width, height] : rows) {
        const std::unique_ptr<CBitmap> bitmap = LoadSymbolBitmap(id);
        ASSERT_NE(bitmap, nullptr) << id;
        const long area = width * height;
        ASSERT_EQ(std::tuple(bitmap->ResourceId, bitmap->Width, bitmap->Height, bitmap->Pixels.size()),
                  std::tuple(id, width, height, static_cast<size_t>(area)));
        // Black ink on white: a real share of both.
        EXPECT_TRUE(Ink(*bitmap, 0, height) > area / 10) << id;
        EXPECT_TRUE(Ink(*bitmap, 0, height) < area * 6 / 10) << id;
    }
    for (int id : {0, 130, 134, 140, -131})
        EXPECT_EQ(LoadSymbolBitmap(id), nullptr) << id;
}

TEST(SymbolBitmaps, ShapesSitWhereTheDrawingPutsThem)
{
    // Flags hang from the stem end at the top-left corner and part further out: one black
    // run per flag down the middle column.
    for (int id : {IDB_FLAG1, IDB_FLAG2, IDB_FLAG3}) {
        const auto flag = LoadSymbolBitmap(id);
        int runs = flag->Black(40, 0) ? 1 : 0;
        for (int y = 1; y < flag->Height; ++y)
            runs += flag->Black(40, y) && !flag->Black(40, y - 1) ? 1 : 0;
        EXPECT_EQ(runs, id - IDB_FLAG1 + 1) << id;
        EXPECT_TRUE(flag->Black(1, 1)) << id;
        EXPECT_TRUE(flag->Black(1, 8)) << id;
    }
    // Rests fill the staff height: ink in the top and the bottom tenth.
    for (int id : {IDB_REST4, IDB_REST8, IDB_REST16, IDB_REST32}) {
        EXPECT_TRUE(Ink(*LoadSymbolBitmap(id), 0, 21) > 0) << id;
        EXPECT_TRUE(Ink(*LoadSymbolBitmap(id), 193, 214) > 0) << id;
    }
    // Copies of the wave laid side by side join: the last column continues the first.
    const auto wave = LoadSymbolBitmap(IDB_VIBRATO);
    int differing = 0, edge = 0;
    for (int y = 0; y < wave->Height; ++y) {
        differing += wave->Black(0, y) != wave->Black(wave->Width - 1, y) ? 1 : 0;
        edge += wave->Black(0, y) ? 1 : 0;
    }
    EXPECT_LE(differing, 4); EXPECT_GT(edge, 10);
}

TEST(Pbm, ReadsPlainAndRawImagesAndRefusesMalformedOnes)
{
    using Pixels = std::vector<uint8_t>;
    // Plain: comments in the header, digits with or without white space between them.
    const auto plain = ParsePbm("P1\n# a comment\n3 2\n1 0 1\n010\n");
    // Raw: rows padded to whole bytes, most significant bit first.
    const auto packed = ParsePbm(std::string("P4 10 2\n") + "\xC0\x40" + "\x01\x80");
    ASSERT_TRUE(plain);
    ASSERT_TRUE(packed);
    EXPECT_EQ(std::tuple(plain->Width, plain->Height, plain->Pixels), std::tuple(3, 2, Pixels{1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(std::tuple(packed->Width, packed->Height, packed->Pixels),
              std::tuple(10, 2, Pixels{1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0}));
    const std::string malformed[] = {
        "", "P2\n1 1\n1\n", "1 1\n1\n",              // empty, other format, no magic
        "P1\n3\n", "P1\n0 2\n", "P1\n2 -2\n1111\n",  // missing height, zero width, negative height
        "P1\n2 2\n1 0 1\n", "P1\n2 1\n1 2\n",        // short plain raster, bad digit
        "P4\n9 2\n\xff\xff\xff", "P4\n8 1\xff",      // short raw raster, no separator
        "P1\n99999999999999999999 1\n1\n",           // overflowing width
        "P4\n8000 8000\n\xff",  // a huge claimed size is refused before anything is allocated
    };
    for (const std::string& data : malformed)
        EXPECT_EQ(ParsePbm(data), nullptr) << data;
}
