// The five unit items drawn into one column on the recording surface; the expected
// calls are worked out from the formulas by hand. Default settings: a column is 600
// wide; the line's top is -1500, string 1 lies 1700 below it (-3200), string k another
// (k - 1) x 250 lower. The fret font (9 pt) measures 317 high and 190 a character here.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "display/PageView.h"
#include "display/RecordingSurface.h"
#include "model/Score.h"
#include "settings/SettingsStore.h"
#include "symbols/Items.h"

namespace
{
using Lines = std::vector<std::string>;

const CRect Column{3200, -1500, 3800, -5450};
const std::string Fret = "Font \"Courier New Bold\" 90";

class ItemDrawing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPageView::CreateFonts(Score.Settings);
        Score.MemoryDC = std::make_unique<CMemoryDC>();
    }

    template <class Item>
    std::unique_ptr<Item> Make(CRect rect = Column)
    {
        auto item = std::make_unique<Item>(&Score, 1);
        item->Rect = rect;
        return item;
    }

    // The trace of one Draw; with `shapesOnly`, font and brush selections are left out.
    static Lines Trace(CScoreItem& item, bool shapesOnly = false)
    {
        CRecordingSurface dc;
        item.Draw(dc);
        Lines lines;
        for (const std::string& line : dc.TraceLines())
            if (!shapesOnly || (line.rfind("Font", 0) != 0 && line.rfind("Brush", 0) != 0))
                lines.push_back(line);
        return lines;
    }

    CMemorySettingsStore Store;
    CScore Score{Store};
};
}  // namespace

TEST_F(ItemDrawing, NoteNumbersSitCentredOnTheirLinesWithDotsAndStem)
{
    auto note = Make<CItemNote>();
    note->Dotted = true;
    note->SetFrets(".2.-..12");
    // Text rectangles reach 317 / 2 = 158 either side of the line; dots at 0.9 x 600,
    // half a line above their fret's line; the stem from 9 mm above string 1 down to
    // the top of the first number. Measuring selects the fret font and restores it.
    const Lines expected{
        Fret, Fret, Fret, Fret, Fret,
        "DrawText 33 3200 -3292 3800 -3608 \"2\"", "Ellipse 3740 -3325 3790 -3375",
        "DrawText 33 3200 -4042 3800 -4358 \"12\"", "Ellipse 3740 -4075 3790 -4125",
        "Font default", "MoveTo 3500 -2300", "LineTo 3500 -3292",
    };
    EXPECT_EQ(Trace(*note), expected);
    EXPECT_EQ(note->StemX, 3500);
    EXPECT_EQ(note->StemTipY, -2300);

    note->Dotted = false;
    note->SetFrets("x.99");
    EXPECT_EQ(Trace(*note, true), (Lines{"DrawText 33 3200 -3042 3800 -3358 \"X\"",
                                         "DrawText 33 3200 -3292 3800 -3608 \"99\"", "MoveTo 3500 -2300",
                                         "LineTo 3500 -3042"}));
}

TEST_F(ItemDrawing, HalfAndWholeNotesAreBoxedAndOnlyNotesLongerThanWholeHaveStems)
{
    // The box is 1.2 x the width of "0X" (456) centred, 72 in from each side, from the
    // top of the first number to the bottom of the last, corners 228. Half notes put
    // their dots at 1.2 x 600, outside the column.
    auto half = Make<CItemNote>();
    half->Length = 2;
    half->Dotted = true;
    half->SetFrets("3..5");
    EXPECT_EQ(Trace(*half, true),
              (Lines{"DrawText 33 3200 -3042 3800 -3358 \"3\"", "Ellipse 3920 -3075 3970 -3125",
                     "DrawText 33 3200 -3542 3800 -3858 \"5\"", "Ellipse 3920 -3575 3970 -3625",
                     "RoundRect 3272 -3042 3728 -3858 228 228", "MoveTo 3500 -2300", "LineTo 3500 -3042"}));

    auto whole = Make<CItemNote>();
    whole->Length = 1;
    whole->SetFrets("3");
    EXPECT_EQ(Trace(*whole), (Lines{Fret, Fret, Fret, Fret, Fret, "DrawText 33 3200 -3042 3800 -3358 \"3\"",
                                    "Brush hollow", "RoundRect 3272 -3042 3728 -3358 228 228", "Brush black",
                                    "Font default"}));

    // A column narrower than 456 gives the box its whole width.
    auto narrow = Make<CItemNote>(CRect{3200, -1500, 3600, -5450});
    narrow->Length = 2;
    narrow->SetFrets("7");
    EXPECT_EQ(Trace(*narrow, true).at(1), "RoundRect 3200 -3042 3600 -3358 200 200");

    // Without frets: no box, and the stem ends on string 1.
    whole->SetFrets("");
    EXPECT_TRUE(Trace(*whole, true).empty());
    half->SetFrets("");
    EXPECT_EQ(Trace(*half, true), (Lines{"MoveTo 3500 -2300", "LineTo 3500 -3200"}));
}

TEST_F(ItemDrawing, CrossAndSlashHeadsSpanStringTwoToTheNextToLast)
{
    // String 2 at -3450, string 5 at -4200; the cross is inset by a third of the column.
    auto cross = Make<CItemNote>();
    cross->HeadKind = CItemNote::Cross;
    cross->SetFrets("1.2.3");  // frets are not drawn with these heads
    EXPECT_EQ(Trace(*cross), (Lines{"MoveTo 3400 -3450", "LineTo 3600 -4200", "MoveTo 3600 -3450",
                                    "LineTo 3400 -4200", "MoveTo 3500 -2300", "LineTo 3500 -3450"}));

    // The slash leans by a = min(width of "0" = 190, 600 / 4 = 150), painted black.
    auto slash = Make<CItemNote>();
    slash->HeadKind = CItemNote::Slash;
    EXPECT_EQ(Trace(*slash), (Lines{Fret, "Font default", "Brush black",
                                    "Polygon 5 3500 -3450 3350 -4200 3200 -4200 3350 -3450 3500 -3450",
                                    "Brush black", "MoveTo 3500 -2300", "LineTo 3500 -3450"}));
    // On a wide column the width of "0" is the smaller.
    auto wide = Make<CItemNote>(CRect{0, -1500, 1200, -5450});
    wide->HeadKind = CItemNote::Slash;
    EXPECT_EQ(Trace(*wide, true).at(0), "Polygon 5 600 -3450 410 -4200 220 -4200 410 -3450 600 -3450");
}

TEST_F(ItemDrawing, SingleFlagsCopyTheBitmapOfTheirLengthFromTheStemTip)
{
    auto note = Make<CItemNote>();
    note->FlagKind = CItemNote::Single;
    note->SetFrets("0");
    const std::pair<int32_t, std::string> cases[] = {
        {8, "StretchBlt 3500 -2300 300 -900 131 80 257"},
        {16, "StretchBlt 3500 -2300 300 -900 132 80 257"},
        {32, "StretchBlt 3500 -2300 300 -900 133 80 257"},
        {4, "LineTo 3500 -3042"},
        {64, "LineTo 3500 -3042"},
    };
    for (const auto& [length, last] : cases) {
        note->Length = length;
        EXPECT_EQ(Trace(*note, true).back(), last) << "length " << length;
        EXPECT_EQ(Score.MemoryDC->SelectedBitmap(), nullptr) << "length " << length;
    }
    note->FlagKind = CItemNote::Connected;  // the beam draws it
    note->Length = 8;
    EXPECT_EQ(Trace(*note, true).back(), "LineTo 3500 -3042");
}

TEST_F(ItemDrawing, RestsDrawBlocksOrBitmapsScaledToTheStaff)
{
    auto rest = Make<CItemRest>();
    rest->Dotted = true;  // whole and half rests show no dot
    rest->Length = 1;     // hangs from string 3 (-3700), half a line spacing deep
    EXPECT_EQ(Trace(*rest), (Lines{"Rectangle 3350 -3700 3650 -3825"}));
    rest->Length = 2;  // sits on it
    EXPECT_EQ(Trace(*rest), (Lines{"Rectangle 3350 -3700 3650 -3575"}));

    // 80 x 214 scaled to the staff height 1250: 1250 x 80 / 214 = 467 wide, centred; the
    // dot between strings 3 and 4 at 0.9 of the column.
    rest->Length = 4;
    EXPECT_EQ(Trace(*rest), (Lines{"StretchBlt 3266 -3200 467 -1250 135 80 214", "Ellipse 3740 -3825 3790 -3875"}));
    rest->Dotted = false;
    rest->Length = 32;
    EXPECT_EQ(Trace(*rest), (Lines{"StretchBlt 3266 -3200 467 -1250 138 80 214"}));
    EXPECT_EQ(Score.MemoryDC->SelectedBitmap(), nullptr);

    for (int32_t length : {0, 3, 64}) {
        rest->Length = length;
        EXPECT_TRUE(Trace(*rest).empty()) << "length " << length;
    }
    rest->Length = 8;  // without its bitmap nothing, not even the dot
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

    // Bars at the left edge when opening, at the right when closing; the dots 1.5 and
    // 3.5 line spacings below string 1 whatever the number of strings.
    auto open = Make<CItemRepeatBar>();
    EXPECT_EQ(Trace(*open), (Lines{"Rectangle 3200 -3200 3300 -4450", "MoveTo 3400 -3200", "LineTo 3400 -4450",
                                   "Ellipse 3500 -3575 3550 -3625", "Ellipse 3500 -4075 3550 -4125"}));
    auto close = Make<CItemRepeatBar>();
    close->IsEnd = 1;
    Score.Settings.Strings = 4;
    EXPECT_EQ(Trace(*close), (Lines{"Rectangle 3700 -3200 3800 -3950", "MoveTo 3600 -3200", "LineTo 3600 -3950",
                                    "Ellipse 3500 -3575 3550 -3625", "Ellipse 3500 -4075 3550 -4125"}));

    auto space = Make<CItemSpace>();
    EXPECT_TRUE(Trace(*space).empty());
}

TEST_F(ItemDrawing, MissingFontsAndAbsurdSettingsDrawWithoutOverflow)
{
    // No fret font: measures are 0, the numbers get zero-height rectangles on the line.
    Score.Settings.ClearFonts();
    auto note = Make<CItemNote>();
    note->Length = 2;
    note->SetFrets("5");
    CRecordingSurface dc;
    note->Draw(dc);
    const Lines lines = dc.TraceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DrawText 33 3200 -3200 3800 -3200 \"5\""), lines.end());
    EXPECT_EQ(dc.CurrentFont(), nullptr);
    EXPECT_EQ(dc.CurrentBrush(), CBrush::Black);

    // The widest column and absurd lengths saturate (run under the sanitizers).
    constexpr int32_t Min = std::numeric_limits<int32_t>::min();
    constexpr int32_t Max = std::numeric_limits<int32_t>::max();
    CPageView::CreateFonts(Score.Settings);
    Score.Settings.PitchBetweenLine = 1e300;
    Score.Settings.TabUpperMargin = -1e300;
    Score.Settings.StemHeight = std::numeric_limits<double>::quiet_NaN();
    const CRect huge{Min, Max, Max, Min};
    auto big = Make<CItemNote>(huge);
    big->Length = 2;
    big->Dotted = true;
    big->SetFrets("1.2.3.4.5.6");
    EXPECT_EQ(Trace(*big, true).size(), 6u * 2 + 3);  // numbers, dots, box, stem
    EXPECT_EQ(big->StemX, -1);                        // the centre of the full range
    for (int32_t length : {1, 2, 4}) {
        auto rest = Make<CItemRest>(huge);
        rest->Length = length;
        EXPECT_FALSE(Trace(*rest).empty());
    }
    auto bar = Make<CItemRepeatBar>(huge);
    EXPECT_EQ(Trace(*bar).size(), 5u);
}
