// The five unit items drawn into one column on the recording surface. Default settings:
// a column is 600 wide, the line's top is -1500, string k lies at -3200 - (k - 1) x 250.
// The fret font (9 pt) measures 317 high and 190 a character here.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <tuple>

#include "ScoreFixture.h"

namespace
{
using Lines = std::vector<std::string>;

const CRect Column{3200, -1500, 3800, -5450};
const std::string Fret = "Font \"Courier New Bold\" 90";

struct ItemDrawing : ::testing::Test
{
    ItemDrawing()
    {
        CPageView::CreateFonts(Score.Settings);
        Score.MemoryDC = std::make_unique<CMemoryDC>();
    }
    template <class Item>
    std::unique_ptr<Item> Make(int32_t length = 4, CRect rect = Column)
    {
        auto item = std::make_unique<Item>(&Score, 1);
        item->Rect = rect;
        if constexpr (requires { item->Length; })
            item->Length = length;
        return item;
    }
    std::unique_ptr<CItemNote> Note(const char* frets, int32_t length = 4, bool dotted = false, CRect rect = Column,
                                    CItemNote::Head head = CItemNote::Head::Numbers, CItemNote::Flag flag = CItemNote::Flag::None)
    {
        auto note = Make<CItemNote>(length, rect);
        note->Dotted = dotted;
        note->HeadKind = head;
        note->FlagKind = flag;
        note->SetFrets(frets);
        return note;
    }
    // The trace of one Draw; with `shapesOnly`, font and brush selections are left out.
    static Lines Trace(CScoreItem& item, bool shapesOnly = false)
    {
        CRecordingSurface dc;
        item.Draw(dc);
        Lines lines = dc.TraceLines();
        if (shapesOnly)
            std::erase_if(lines, [](const std::string& l) { return l.starts_with("Font") || l.starts_with("Brush"); });
        return lines;
    }
    CMemorySettingsStore Store;
    CScore Score{Store};
};
}  // namespace

TEST_F(ItemDrawing, NoteNumbersSitCentredOnTheirLinesWithDotsAndStem)
{
    // Numbers reach 158 either side of their line, dots at 0.9 x 600 half a line above it,
    // the stem from 9 mm above string 1 to the first number. Measuring restores the font.
    auto note = Note(".2.-..12", 4, true);
    EXPECT_EQ(Trace(*note), (Lines{Fret, Fret, Fret, Fret, Fret, "DrawText 33 3200 -3292 3800 -3608 \"2\"",
                                   "Ellipse 3740 -3325 3790 -3375", "DrawText 33 3200 -4042 3800 -4358 \"12\"",
                                   "Ellipse 3740 -4075 3790 -4125", "Font default", "MoveTo 3500 -2300",
                                   "LineTo 3500 -3292"}));
    EXPECT_EQ(note->StemX(), 3500); EXPECT_EQ(note->StemTipY(), -2300);
    EXPECT_EQ(Trace(*Note("x.99"), true).at(0), "DrawText 33 3200 -3042 3800 -3358 \"X\"");
}

TEST_F(ItemDrawing, NoteHeadsBoxesCrossesAndSlashes)
{
    // The box is 1.2 x the width of "0X" centred, from the first number to the last; half
    // notes put their dots at 1.2 x 600, outside the column.
    EXPECT_EQ(Trace(*Note("3..5", 2, true), true),
              (Lines{"DrawText 33 3200 -3042 3800 -3358 \"3\"", "Ellipse 3920 -3075 3970 -3125",
                     "DrawText 33 3200 -3542 3800 -3858 \"5\"", "Ellipse 3920 -3575 3970 -3625",
                     "RoundRect 3272 -3042 3728 -3858 228 228", "MoveTo 3500 -2300", "LineTo 3500 -3042"}));
    EXPECT_EQ(Trace(*Note("3", 1)), (Lines{Fret, Fret, Fret, Fret, Fret, "DrawText 33 3200 -3042 3800 -3358 \"3\"",
                                           "Brush hollow", "RoundRect 3272 -3042 3728 -3358 228 228",
                                           "Brush black", "Font default"}));
    // A column narrower than the box gives it its whole width.
    EXPECT_EQ(Trace(*Note("7", 2, false, {3200, -1500, 3600, -5450}), true).at(1),
              "RoundRect 3200 -3042 3600 -3358 200 200");
    // Without frets: no box, and the stem ends on string 1.
    EXPECT_TRUE(Trace(*Note("", 1), true).empty());
    EXPECT_EQ(Trace(*Note("", 2), true), (Lines{"MoveTo 3500 -2300", "LineTo 3500 -3200"}));
    // Cross and slash heads span string 2 to the next to last; frets are not drawn.
    EXPECT_EQ(Trace(*Note("1.2.3", 4, false, Column, CItemNote::Head::Cross)), (Lines{"MoveTo 3400 -3450", "LineTo 3600 -4200", "MoveTo 3600 -3450",
                                    "LineTo 3400 -4200", "MoveTo 3500 -2300", "LineTo 3500 -3450"}));
    // The slash leans by min(width of "0", a quarter column), painted black.
    EXPECT_EQ(Trace(*Note("", 4, false, Column, CItemNote::Head::Slash)),
              (Lines{Fret, "Font default", "Brush black",
                     "Polygon 5 3500 -3450 3350 -4200 3200 -4200 3350 -3450 3500 -3450", "Brush black",
                     "MoveTo 3500 -2300", "LineTo 3500 -3450"}));
    EXPECT_EQ(Trace(*Note("", 4, false, {0, -1500, 1200, -5450}, CItemNote::Head::Slash), true).at(0), "Polygon 5 600 -3450 410 -4200 220 -4200 410 -3450 600 -3450");
}

TEST_F(ItemDrawing, FlagsAndRestsCopyTheBitmapOfTheirLength)
{
    // Single flags hang from the stem tip; a connected flag is the beam's to draw.
    const std::tuple<int32_t, CItemNote::Flag, std::string> flags[] = {
        {32, CItemNote::Flag::Single, "StretchBlt 3500 -2300 300 -900 133 80 257"},
        {4, CItemNote::Flag::Single, "LineTo 3500 -3042"},
        {64, CItemNote::Flag::Single, "LineTo 3500 -3042"},
        {8, CItemNote::Flag::Connected, "LineTo 3500 -3042"},
    };
    for (const auto& [length, flag, last] : flags) {
        EXPECT_EQ(Trace(*Note("0", length, false, Column, CItemNote::Head::Numbers, flag), true).back(), last) << length;
        EXPECT_EQ(Score.MemoryDC->SelectedBitmap(), nullptr) << length;
    }
    // Whole rests hang from string 3, half rests sit on it; neither shows its dot. Bitmaps
    // are scaled to the staff's height and centred, the dot between strings 3 and 4.
    const std::pair<int32_t, Lines> rows[] = {
        {1, {"Rectangle 3350 -3700 3650 -3825"}},
        {2, {"Rectangle 3350 -3700 3650 -3575"}},
        {4, {"StretchBlt 3266 -3200 467 -1250 135 80 214", "Ellipse 3740 -3825 3790 -3875"}},
        {32, {"StretchBlt 3266 -3200 467 -1250 138 80 214", "Ellipse 3740 -3825 3790 -3875"}},
        {0, {}}, {3, {}}, {64, {}},
    };
    for (const auto& [length, expected] : rows) {
        auto rest = Make<CItemRest>(length);
        rest->Dotted = true;
        EXPECT_EQ(Trace(*rest), expected) << length;
        EXPECT_EQ(Score.MemoryDC->SelectedBitmap(), nullptr);
    }
    auto rest = Make<CItemRest>(8);  // without its bitmap nothing, not even the dot
    rest->Dotted = true;
    Score.Rest8Bitmap.reset();
    EXPECT_TRUE(Trace(*rest).empty());
}

TEST_F(ItemDrawing, TimeSignaturesRepeatBarsAndSpaces)
{
    // Each figure centred in its half of the staff; figures of 100 or more are left out.
    auto time = Make<CItemMusicalTime>();
    time->Numerator = 12;
    time->Denominator = 8;
    EXPECT_EQ(Trace(*time), (Lines{"Font \"Courier New\" 120", "DrawText 37 3200 -3200 3800 -3825 \"12\"",
                                   "DrawText 37 3200 -3825 3800 -4450 \"8\"", "Font default"}));
    time->Numerator = 100;
    EXPECT_EQ(Trace(*time, true), (Lines{"DrawText 37 3200 -3825 3800 -4450 \"8\""}));
    // Opening bars at the left edge, closing at the right; the dots 1.5 and 3.5 line
    // spacings below string 1 whatever the number of strings.
    EXPECT_EQ(Trace(*Make<CItemRepeatBar>()), (Lines{"Rectangle 3200 -3200 3300 -4450", "MoveTo 3400 -3200",
                                                     "LineTo 3400 -4450", "Ellipse 3500 -3575 3550 -3625",
                                                     "Ellipse 3500 -4075 3550 -4125"}));
    auto close = Make<CItemRepeatBar>();
    close->Side = CItemRepeatBar::RepeatSide::Close;
    Score.Settings.Strings = 4;
    EXPECT_EQ(Trace(*close), (Lines{"Rectangle 3700 -3200 3800 -3950", "MoveTo 3600 -3200", "LineTo 3600 -3950",
                                    "Ellipse 3500 -3575 3550 -3625", "Ellipse 3500 -4075 3550 -4125"}));
    EXPECT_TRUE(Trace(*Make<CItemSpace>()).empty());
}

TEST_F(ItemDrawing, MissingFontsAndAbsurdSettingsDrawWithoutOverflow)
{
    // No fret font: measures are 0, the numbers get zero-height rectangles on the line.
    Score.Settings.ClearFonts();
    CRecordingSurface dc;
    Note("5", 2)->Draw(dc);
    const Lines lines = dc.TraceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DrawText 33 3200 -3200 3800 -3200 \"5\""), lines.end());
    EXPECT_EQ(dc.CurrentFont(), nullptr); EXPECT_EQ(dc.CurrentBrush(), CBrush::Black);
    // The widest column and absurd lengths saturate (run under the sanitizers).
    constexpr int32_t Min = std::numeric_limits<int32_t>::min(), Max = std::numeric_limits<int32_t>::max();
    const CRect huge{Min, Max, Max, Min};
    CPageView::CreateFonts(Score.Settings);
    Score.Settings.PitchBetweenLine = 1e300;
    Score.Settings.TabUpperMargin = -1e300;
    Score.Settings.StemHeight = std::numeric_limits<double>::quiet_NaN();
    auto big = Note("1.2.3.4.5.6", 2, true, huge);
    EXPECT_EQ(Trace(*big, true).size(), 6u * 2 + 3);  // numbers, dots, box, stem
    EXPECT_EQ(big->StemX(), -1);                        // the centre of the full range
    for (int32_t length : {1, 2, 4})
        EXPECT_FALSE(Trace(*Make<CItemRest>(length, huge)).empty());
    EXPECT_EQ(Trace(*Make<CItemRepeatBar>(4, huge)).size(), 5u);
}
