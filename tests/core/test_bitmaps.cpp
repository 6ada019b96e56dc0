// The built-in symbol bitmaps and the PBM reader behind them.
#include <gtest/gtest.h>

#include <string>

#include "symbols/Bitmap.h"

namespace
{
int CountBlack(const CBitmap& bitmap, int x0, int y0, int x1, int y1)
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            count += bitmap.Black(x, y) ? 1 : 0;
    return count;
}
}  // namespace

TEST(SymbolBitmaps, EachResourceHasItsSizeAndIsASymbol)
{
    struct Row
    {
        int id;
        int width;
        int height;
    };
    const Row rows[] = {
        {IDB_FLAG1, 80, 257},  {IDB_FLAG2, 80, 257},  {IDB_FLAG3, 80, 257},  {IDB_REST4, 80, 214},
        {IDB_REST8, 80, 214},  {IDB_REST16, 80, 214}, {IDB_REST32, 80, 214}, {IDB_VIBRATO, 588, 152},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const std::unique_ptr<CBitmap> bitmap = LoadSymbolBitmap(row.id);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->ResourceId, row.id);
        EXPECT_EQ(bitmap->Width, row.width);
        EXPECT_EQ(bitmap->Height, row.height);
        ASSERT_EQ(bitmap->Pixels.size(), static_cast<size_t>(row.width) * row.height);
        // Black ink on white: a real share of both.
        const int black = CountBlack(*bitmap, 0, 0, row.width, row.height);
        EXPECT_GT(black, row.width * row.height / 10);
        EXPECT_LT(black, row.width * row.height * 6 / 10);
    }
}

TEST(SymbolBitmaps, UnknownResourceNumbersGiveNothing)
{
    for (int id : {0, 130, 134, 140, -131})
        EXPECT_EQ(LoadSymbolBitmap(id), nullptr) << id;
}

TEST(SymbolBitmaps, ShapesSitWhereTheDrawingPutsThem)
{
    // Flags hang from the stem end at the top-left corner.
    for (int id : {IDB_FLAG1, IDB_FLAG2, IDB_FLAG3}) {
        const auto flag = LoadSymbolBitmap(id);
        ASSERT_NE(flag, nullptr);
        EXPECT_TRUE(flag->Black(1, 1)) << id;
        EXPECT_TRUE(flag->Black(1, 8)) << id;
        // The flags join along the stem but are apart further out: one black run per
        // flag down the middle of the image.
        int runs = 0;
        for (int y = 0, inside = 0; y < flag->Height; ++y) {
            const int now = flag->Black(flag->Width / 2, y) ? 1 : 0;
            runs += now && !inside;
            inside = now;
        }
        EXPECT_EQ(runs, id - IDB_FLAG1 + 1) << id;
    }
    // Rests fill the staff height: ink in the top and the bottom tenth.
    for (int id : {IDB_REST4, IDB_REST8, IDB_REST16, IDB_REST32}) {
        const auto rest = LoadSymbolBitmap(id);
        ASSERT_NE(rest, nullptr);
        EXPECT_GT(CountBlack(*rest, 0, 0, rest->Width, rest->Height / 10), 0) << id;
        EXPECT_GT(CountBlack(*rest, 0, rest->Height * 9 / 10, rest->Width, rest->Height), 0) << id;
    }
    // Copies of the wave laid side by side join: the last column continues the first.
    const auto wave = LoadSymbolBitmap(IDB_VIBRATO);
    ASSERT_NE(wave, nullptr);
    int differing = 0;
    for (int y = 0; y < wave->Height; ++y)
        differing += wave->Black(0, y) != wave->Black(wave->Width - 1, y) ? 1 : 0;
    EXPECT_LE(differing, 4);
    EXPECT_GT(CountBlack(*wave, 0, 0, 1, wave->Height), 10);
}

TEST(Pbm, ReadsPlainAndRawImages)
{
    // Plain: comments in the header, digits with or without white space between them.
    const auto plain = ParsePbm("P1\n# a comment\n3 2\n1 0 1\n010\n");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->Width, 3);
    EXPECT_EQ(plain->Height, 2);
    EXPECT_EQ(plain->Pixels, (std::vector<uint8_t>{1, 0, 1, 0, 1, 0}));

    // Raw: rows padded to whole bytes, most significant bit first.
    const std::string raw = std::string("P4 10 2\n") + "\xC0\x40" + "\x01\x80";
    const auto packed = ParsePbm(raw);
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(packed->Width, 10);
    EXPECT_EQ(packed->Pixels,
              (std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0}));
}

TEST(Pbm, RefusesMalformedData)
{
    const struct
    {
        const char* name;
        std::string data;
    } rows[] = {
        {"empty", ""},
        {"other format", "P2\n1 1\n1\n"},
        {"no magic", "1 1\n1\n"},
        {"missing height", "P1\n3\n"},
        {"zero width", "P1\n0 2\n"},
        {"negative height", "P1\n2 -2\n1111\n"},
        {"short plain raster", "P1\n2 2\n1 0 1\n"},
        {"bad plain digit", "P1\n2 1\n1 2\n"},
        {"short raw raster", std::string("P4\n9 2\n\xff\xff\xff")},
        {"raw without separator", std::string("P4\n8 1") + "\xff"},
        {"overflowing width", "P1\n99999999999999999999 1\n1\n"},
        // A header that claims a huge image is refused before anything is allocated.
        {"huge claimed size", "P4\n8000 8000\n\xff"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ParsePbm(row.data), nullptr) << row.name;
}
